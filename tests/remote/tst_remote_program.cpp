#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "EmulatorAppRig.h"
#include "SessionRemoteTarget.h"
#include "RemoteDialogs.h"
#include "ScpiSession.h"

using namespace tk;
using namespace tk::test;

namespace {

// The main window over the emulated interface in simulated time, with its dialogs behind the remote ones,
// and one remote session whose files are in a folder of their own.
struct RemoteRig : EmulatorAppRig {
    QTemporaryDir folder;
    RemoteDialogs remoteDialogs{dialogs};
    std::unique_ptr<SessionRemoteTarget> target;
    std::shared_ptr<ScpiSession> session;
    QList<QByteArray> answers;

    RemoteRig() : EmulatorAppRig({}, NoWindow{}) {
        start(remoteDialogs);
        target = std::make_unique<SessionRemoteTarget>(window->session(), remoteDialogs, nullptr);
        session = ScpiSession::Create(*target, folder.path(), [this](const QByteArray& a) { answers << a; });
        for (const char* f : {"limits/cispr32-class-b-mains.grn", "scripts/campaign.set"})
            QFile::copy(QStringLiteral(TK_SOURCE_DIR "/examples/") + QString::fromLatin1(f),
                        QDir(folder.path()).filePath(QFileInfo(QString::fromLatin1(f)).fileName()));
    }
    // The answer to a line that ends with a query.
    QByteArray ask(const QByteArray& line) {
        answers.clear();
        session->Receive(line);
        return answers.isEmpty() ? QByteArray("(none)") : answers.join("|").chopped(1);
    }
};

}  // namespace

class TestRemoteProgram : public QObject {
    Q_OBJECT
private slots:
    // A remote load refreshes the open windows as the menu's load does, and a remote reset the check marks.
    void remoteCommandsRefreshTheWindows() {
        RemoteRig rig;
        rig.trigger("mnucontrollbox");
        rig.ask("MMEM:LOAD:STAT \"campaign.set\"");
        QCOMPARE(rig.window->findChild<QLineEdit*>(QStringLiteral("centerfreq"))->text(),
                 QString::number(double(rig.model.settings.centerFreq)));
        rig.ask("FAST ON");
        QVERIFY(rig.window->action(QStringLiteral("mnufastmode"))->isChecked());
        rig.ask("*RST");
        QVERIFY(!rig.window->action(QStringLiteral("mnufastmode"))->isChecked());
        QVERIFY(rig.dialogs.messages.isEmpty());
    }
};

QTEST_MAIN(TestRemoteProgram)
#include "tst_remote_program.moc"
