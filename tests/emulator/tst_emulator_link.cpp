// The link layer talking to the emulated interface through the in-process port, in simulated time: the
// connection at a high rate. The faults are in tst_faultmatrix.

#include <QTest>

#include "EmulatorLinkRig.h"
#include "StartUp.h"

using namespace tk;
using namespace tk::test;

namespace {

using Messages = QList<ScriptedDialogs::Message>;

using Rig = EmulatorLinkRig;

}  // namespace

class TestEmulatorLink : public QObject {
    Q_OBJECT
private slots:
    void connectsAt115200() {
        Rig rig;
        rig.model.settings.baudIndex = 5;
        rig.model.settings.resolution = 1;
        rig.link.ConnectInterface();

        QCOMPARE(rig.dialogs.messages, Messages());
        QVERIFY(rig.port.isOpen());
        QVERIFY(rig.view.online);
        QCOMPARE(rig.view.caption, QString::fromLatin1(MAIN_CAPTION) + QStringLiteral("V2.31"));
        QCOMPARE(rig.port.device().received(), QByteArray("i5bvbobcbobr"));
        QCOMPARE(rig.port.lineSettings(), QStringLiteral("115200,N,8,1"));
        QCOMPARE(rig.port.device().baudAt(rig.clock.seconds()), 115200);
        const auto& acquisition = rig.port.device().acquisition();
        QCOMPARE(acquisition.resolution(), 1);
        QVERIFY(!acquisition.sleeping());
        QVERIFY(acquisition.calculating());
    }
};

QTEST_GUILESS_MAIN(TestEmulatorLink)
#include "tst_emulator_link.moc"
