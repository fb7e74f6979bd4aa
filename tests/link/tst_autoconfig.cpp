#include "AnalyzerLink.h"
#include "AutoConfigure.h"
#include "FakeClock.h"
#include "RecordingLinkView.h"
#include "ScriptedDialogs.h"
#include "ScriptedPort.h"

#include <QTest>

#include <optional>

using namespace tk;
using namespace tk::test;

namespace {

using Message = ScriptedDialogs::Message;
const Message kNothingFound{QStringLiteral("No access to analyzer"), QStringLiteral("Auto config")};

// Several devices behind one port: some are absent and cannot be opened, the others share the scripted
// far end, which sees which device is open through `opened`.
class MultiDevicePort final : public SerialPort {
public:
    explicit MultiDevicePort(ScriptedPort& line) : m_line(line) {}

    QStringList absent;     // devices that fail to open
    QStringList openTried;  // every device asked for, opened or not
    QString opened;         // the device open now

    bool open(const QString& deviceName) override {
        openTried.append(deviceName);
        if (absent.contains(deviceName)) return false;
        if (!m_line.open(deviceName)) return false;
        opened = deviceName;
        return true;
    }
    void close() override {
        m_line.close();
        opened.clear();
    }
    bool isOpen() const override { return m_line.isOpen(); }
    void setLineSettings(const QString& s) override { m_line.setLineSettings(s); }
    QString lineSettings() const override { return m_line.lineSettings(); }
    int bytesWaiting() override { return m_line.bytesWaiting(); }
    bool waitForData(int ms) override { return m_line.waitForData(ms); }
    QByteArray read(int n) override { return m_line.read(n); }
    void write(const QByteArray& bytes) override { m_line.write(bytes); }
    void clearBuffers() override { m_line.clearBuffers(); }
    int bytesToWrite() override { return m_line.bytesToWrite(); }

private:
    ScriptedPort& m_line;
};

class RecordingSearchView final : public AutoConfigureView {
public:
    void SelectPort(int p) override { log.append(QStringLiteral("com%1").arg(p)); }
    void SelectBaud(int k) override { log.append(QStringLiteral("baud%1").arg(k)); }
    void DeselectPort(int p) override { log.append(QStringLiteral("-com%1").arg(p)); }
    void DeselectBaud(int k) override { log.append(QStringLiteral("-baud%1").arg(k)); }
    void ShowProgress(int p, int rate) override {
        progress.append(QStringLiteral("COM%1 %2").arg(p).arg(rate));
    }
    void SearchEnded() override {
        log.append(QStringLiteral("ended"));
        messagesAtEnd = messagesSoFar ? static_cast<int>(messagesSoFar->size()) : -1;
    }
    QStringList log;
    QStringList progress;
    const QList<Message>* messagesSoFar = nullptr;
    int messagesAtEnd = -1;
};

struct Rig {
    FakeClock clock;
    ScriptedPort line{clock};
    MultiDevicePort port{line};
    ScriptedDialogs dialogs;
    RecordingLinkView view;
    PortMap portMap;
    MeasurementModel model;
    AnalyzerLink link{model, port, clock, dialogs, view, portMap};
    RecordingSearchView searchView;

    Rig() { searchView.messagesSoFar = &dialogs.messages; }

    // An interface on one device that answers "i" only at one line setting; anything else stays silent.
    void interfaceAt(const QString& device, const QString& settings, char answer = 'I') {
        line.responder = [this, device, settings, answer](char c, int) {
            if (c == 'i' && port.opened == device && line.lineSettings() == settings)
                return QByteArray(1, answer);
            return QByteArray();
        };
    }
    std::optional<AutoConfigureResult> run() { return AutoConfigure(link, portMap, searchView).Run(); }
};

QStringList AllRates() {
    return {"2400,n,8,1", "9600,n,8,1", "19200,n,8,1", "38400,n,8,1", "115200,n,8,1"};
}

}  // namespace

class TestAutoConfig : public QObject {
    Q_OBJECT
private slots:
    void interfaceAt19200OnCom2() {
        Rig r;
        r.model.moduleSleeping = true;
        r.interfaceAt(QStringLiteral("/dev/ttyS1"), QStringLiteral("19200,n,8,1"));
        const auto found = r.run();

        QCOMPARE(found, (std::optional<AutoConfigureResult>{AutoConfigureResult{2, 3}}));
        QCOMPARE(r.dialogs.messages,
                 (QList<Message>{{QStringLiteral("Analyzer connected Com:  2 Baud: 19200"),
                                  QStringLiteral("Auto config")}}));
        QCOMPARE(r.port.openTried, (QStringList{"/dev/ttyS0", "/dev/ttyS1"}));
        QCOMPARE(r.line.settingsHistory,
                 AllRates() + (QStringList{"2400,n,8,1", "9600,n,8,1", "19200,n,8,1"}));
        // Four transmissions at each silent rate, one where the answer came.
        QCOMPARE(r.line.written, QByteArray(7 * 4, 'i') + "i");
        // The port is let go at the rate that answered; the user's choice and the interface are untouched.
        QVERIFY(!r.port.isOpen());
        QCOMPARE(r.port.lineSettings(), QStringLiteral("19200,n,8,1"));
        QCOMPARE(r.model.settings.portNumber, std::int16_t(2));
        QCOMPARE(r.model.settings.baudIndex, std::int16_t(1));
        QVERIFY(r.model.moduleSleeping);
        QCOMPARE(r.searchView.log, (QStringList{"com1", "baud1", "baud2", "baud3", "baud4", "baud5", "com2",
                                                "baud1", "baud2", "baud3", "ended"}));
        QCOMPARE(r.searchView.progress, (QStringList{"COM1 2400", "COM1 9600", "COM1 19200", "COM1 38400",
                                                     "COM1 115200", "COM2 2400", "COM2 9600", "COM2 19200"}));
        // The busy pointer goes before the message box comes.
        QCOMPARE(r.searchView.messagesAtEnd, 0);
    }

    void foundMessageByPortAndRate_data() {
        QTest::addColumn<int>("portNumber");
        QTest::addColumn<int>("baudIndex");
        QTest::addColumn<QString>("text");
        QTest::newRow("COM1 2400") << 1 << 1 << "Analyzer connected Com:  1 Baud: 2400";
        QTest::newRow("COM3 38400") << 3 << 4 << "Analyzer connected Com:  3 Baud: 38400";
        QTest::newRow("COM4 115200") << 4 << 5 << "Analyzer connected Com:  4 Baud: 115200";
    }
    void foundMessageByPortAndRate() {
        QFETCH(int, portNumber);
        QFETCH(int, baudIndex);
        QFETCH(QString, text);
        Rig r;
        r.interfaceAt(PortMap::defaultDevice(portNumber), AllRates().at(baudIndex - 1));
        QCOMPARE(r.run(), (std::optional<AutoConfigureResult>{AutoConfigureResult{portNumber, baudIndex}}));
        QCOMPARE(r.dialogs.messages, (QList<Message>{{text, QStringLiteral("Auto config")}}));
        QCOMPARE(r.port.openTried.size(), portNumber);
    }

    void otherByteSkipsTheRate() {
        Rig r;
        r.line.responder = [&r](char c, int) {
            if (c != 'i' || r.port.opened != QStringLiteral("/dev/ttyS0")) return QByteArray();
            if (r.line.lineSettings() == QStringLiteral("9600,n,8,1")) return QByteArray("X");
            if (r.line.lineSettings() == QStringLiteral("38400,n,8,1")) return QByteArray("I");
            return QByteArray();
        };
        QCOMPARE(r.run(), (std::optional<AutoConfigureResult>{AutoConfigureResult{1, 4}}));
        // 2400 silent (four "i"), 9600 answers "X" (one "i", no retry), 19200 silent, 38400 answers "I".
        QCOMPARE(r.line.written, QByteArray("iiii") + "i" + "iiii" + "i");
        QCOMPARE(r.dialogs.messages,
                 (QList<Message>{{QStringLiteral("Analyzer connected Com:  1 Baud: 38400"),
                                  QStringLiteral("Auto config")}}));
    }

    void lowerCaseAnswerIsNotTheInterface() {
        Rig r;
        r.interfaceAt(QStringLiteral("/dev/ttyS0"), QStringLiteral("2400,n,8,1"), 'i');
        QCOMPARE(r.run(), std::nullopt);
        QCOMPARE(r.dialogs.messages, QList<Message>{kNothingFound});
    }

    void nothingFound() {
        Rig r;
        r.view.information = QStringLiteral("Searching");
        const double t0 = r.clock.seconds();
        QCOMPARE(r.run(), std::nullopt);
        const double duration = r.clock.seconds() - t0;

        QCOMPARE(r.dialogs.messages, QList<Message>{kNothingFound});
        QCOMPARE(r.port.openTried, (QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"}));
        QCOMPARE(r.line.settingsHistory, AllRates() + AllRates() + AllRates() + AllRates());
        QCOMPARE(r.line.written, QByteArray(4 * 5 * 4, 'i'));
        QVERIFY(!r.port.isOpen());
        QVERIFY(r.view.information.isEmpty());
        QCOMPARE(r.searchView.log.mid(r.searchView.log.size() - 3),
                 (QStringList{"ended", "-baud3", "-com4"}));
        QCOMPARE(r.searchView.messagesAtEnd, 0);
        // Each rate: three reply timeouts of 1 s measured from a start rounded to the whole second, then the
        // fourth transmission gives up at its first empty poll. Twenty rates take about a minute.
        QVERIFY2(duration > 59.0 && duration < 61.0, qPrintable(QString::number(duration)));
    }

    void transmissionTimingAtEachRate_data() {
        QTest::addColumn<int>("replyTimeout");
        QTest::newRow("1 s") << 1;
        QTest::newRow("3 s") << 3;
    }
    void transmissionTimingAtEachRate() {
        QFETCH(int, replyTimeout);
        Rig r;
        r.model.parameters.replyTimeout = static_cast<std::uint8_t>(replyTimeout);
        r.port.absent = QStringList{"/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
        QCOMPARE(r.run(), std::nullopt);
        const QList<double>& t = r.line.writeTimes;
        QCOMPARE(t.size(), 20);
        for (int rate = 0; rate < 5; ++rate) {
            for (int k = 1; k < 4; ++k) {
                // A retransmission follows a full reply timeout, give or take the rounding of the start.
                const double gap = t[rate * 4 + k] - t[rate * 4 + k - 1];
                QVERIFY2(gap > replyTimeout - 0.5 && gap <= replyTimeout + 0.5 + 0.011,
                         qPrintable(QString::number(gap)));
            }
            // After the fourth transmission the search moves on at the first empty poll.
            if (rate < 4) QVERIFY(t[rate * 4 + 4] - t[rate * 4 + 3] < 0.05);
        }
    }

    void absentPortsAreSkippedSilently() {
        Rig r;
        r.port.absent = QStringList{"/dev/ttyS0", "/dev/ttyS2"};
        r.interfaceAt(QStringLiteral("/dev/ttyS3"), QStringLiteral("115200,n,8,1"));
        QCOMPARE(r.run(), (std::optional<AutoConfigureResult>{AutoConfigureResult{4, 5}}));
        QCOMPARE(r.port.openTried, (QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"}));
        // Only the two ports that opened were asked, COM2 at all five rates and COM4 at all five.
        QCOMPARE(r.line.settingsHistory, AllRates() + AllRates());
        QCOMPARE(r.line.written, QByteArray(5 * 4 + 4 * 4, 'i') + "i");
        QCOMPARE(r.dialogs.messages.size(), 1);
        // The options still follow the search through the ports that could not be opened.
        QCOMPARE(r.searchView.log.first(), QStringLiteral("com1"));
        QCOMPARE(r.searchView.log.at(1), QStringLiteral("com2"));
    }

    void everyPortAbsent() {
        Rig r;
        r.port.absent = QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
        const double t0 = r.clock.seconds();
        QCOMPARE(r.run(), std::nullopt);
        QCOMPARE(r.dialogs.messages, QList<Message>{kNothingFound});
        QVERIFY(r.line.written.isEmpty());
        QCOMPARE(r.clock.seconds(), t0);
        QCOMPARE(r.searchView.log, (QStringList{"com1", "com2", "com3", "com4", "ended", "-baud3", "-com4"}));
    }

    void portMapNamesTheDevices() {
        Rig r;
        r.portMap.set(2, QStringLiteral("emulator"));
        r.interfaceAt(QStringLiteral("emulator"), QStringLiteral("9600,n,8,1"));
        QCOMPARE(r.run(), (std::optional<AutoConfigureResult>{AutoConfigureResult{2, 2}}));
        QCOMPARE(r.port.openTried, (QStringList{"/dev/ttyS0", "emulator"}));
    }

    void openPortIsLetGoFirst() {
        Rig r;
        QVERIFY(r.link.OpenPort());  // COM2, as the link left it
        r.view.online = true;
        r.interfaceAt(QStringLiteral("/dev/ttyS0"), QStringLiteral("2400,n,8,1"));
        QCOMPARE(r.run(), (std::optional<AutoConfigureResult>{AutoConfigureResult{1, 1}}));
        QCOMPARE(r.port.openTried, (QStringList{"/dev/ttyS1", "/dev/ttyS0"}));
        QVERIFY(!r.port.isOpen());
        // The "M&odule online" mark follows the port, which the search leaves closed.
        QVERIFY(!r.view.online);
    }

    void buffersClearedBeforeEachTransmission() {
        Rig r;
        r.port.absent = QStringList{"/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
        r.run();
        QCOMPARE(r.line.clearCount, 20);
    }
};

QTEST_MAIN(TestAutoConfig)
#include "tst_autoconfig.moc"
