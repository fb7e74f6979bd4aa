#include <QTest>
#include <optional>

#include "AnalyzerLink.h"
#include "AutoConfigure.h"
#include "LinkRig.h"
#include "RecordingLinkView.h"
#include "Rows.h"
#include "ScriptedDialogs.h"
#include "ScriptedPort.h"

using namespace tk;
using namespace tk::test;

namespace {

using Message = ScriptedDialogs::Message;
using Found = std::optional<AutoConfigureResult>;

// As the search selects a port, makes it fail to open when it is listed in `absent`.
class AbsentPortsView final : public AutoConfigureView {
public:
    explicit AbsentPortsView(ScriptedPort& port) : m_port(port) {}
    QList<int> absent;

private:
    void SelectPort(int portNumber) override { m_port.openFails = absent.contains(portNumber); }
    void SelectBaud(int) override {}
    void DeselectPort(int) override {}
    void DeselectBaud(int) override {}
    void ShowProgress(int, int) override {}
    void SearchEnded() override {}
    ScriptedPort& m_port;
};

struct Rig : LinkRig {
    AbsentPortsView searchView{port};

    // The device answers "i" with the byte given for a rate, such as "9600=X 38400=I"; all else is silent.
    void interfaceAt(const QString& device, const QString& answers) {
        QHash<QString, char> byRate;
        for (const QString& a : answers.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            byRate.insert(a.section(QLatin1Char('='), 0, 0) + QStringLiteral(",n,8,1"), a.back().toLatin1());
        port.responder = [this, device, byRate](char c, int) {
            const char answer = byRate.value(port.lineSettings());
            const bool there = c == 'i' && answer && port.openedDevices.last() == device;
            return there ? QByteArray(1, answer) : QByteArray();
        };
    }
    Found run() { return AutoConfigure(link, portMap, searchView).Run(); }
};

}  // namespace

class TestAutoConfig : public QObject {
    Q_OBJECT
private slots:
    void outcomes_data() {
        QTest::addColumn<QList<int>>("absent");  // ports that cannot be opened
        QTest::addColumn<QString>("device");     // where the interface is
        QTest::addColumn<QString>("answers");
        QTest::addColumn<int>("portNumber");  // found, or 0
        QTest::addColumn<int>("baudIndex");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("transmissions");  // four at each silent rate, one where an answer came
        const char* none = "No access to analyzer";
        // clang-format off
        Row("COM1 2400", QList<int>{}, "/dev/ttyS0", "2400=I", 1, 1, "Analyzer connected Com:  1 Baud: 2400", 1);
        Row("another byte skips the rate", QList<int>{}, "/dev/ttyS0", "9600=X 38400=I", 1, 4,
            "Analyzer connected Com:  1 Baud: 38400", 4 + 1 + 4 + 1);
        Row("lower case is no interface", QList<int>{}, "/dev/ttyS0", "2400=i", 0, 0, none, 1 + 19 * 4);
        Row("ports that fail to open are skipped", QList<int>{1, 3}, "/dev/ttyUSB3", "115200=I", 4, 5,
            "Analyzer connected Com:  4 Baud: 115200", 5 * 4 + 4 * 4 + 1);
        Row("nothing answers", QList<int>{}, "", "", 0, 0, none, 4 * 5 * 4);
        Row("no port opens", QList<int>{1, 2, 3, 4}, "", "", 0, 0, none, 0);
        // clang-format on
    }
    void outcomes() {
        QFETCH(QList<int>, absent);
        QFETCH(QString, device);
        QFETCH(QString, answers);
        QFETCH(int, portNumber);
        QFETCH(int, baudIndex);
        QFETCH(QString, message);
        QFETCH(int, transmissions);
        Rig r;
        QVERIFY(r.link.OpenPort());  // COM2, as the link left it
        r.view.online = true;
        r.portMap.set(4, QStringLiteral("/dev/ttyUSB3"));
        r.searchView.absent = absent;
        r.interfaceAt(device, answers);
        QCOMPARE(r.run(), portNumber ? Found(AutoConfigureResult{portNumber, baudIndex}) : Found());
        QCOMPARE(r.dialogs.messages, (QList<Message>{{message, QStringLiteral("Auto config")}}));
        // The transmissions show the ports and rates tried in order up to the one found.
        QCOMPARE(r.port.written, QByteArray(transmissions, 'i'));
        // The port is let go, and shown so; the choice and the interface are left for the user's "&OK".
        QVERIFY(!r.port.isOpen() && !r.view.online);
        QCOMPARE(r.model.settings.baudIndex, std::int16_t(1));
    }
};

QTEST_MAIN(TestAutoConfig)
#include "tst_autoconfig.moc"
