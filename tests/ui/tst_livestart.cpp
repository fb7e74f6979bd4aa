// The demo's start: on the emulator, with windows, the spectrum is live within two seconds and nothing waits
// for a click; every other run starts with the port closed and the first start's box, as always.
#include <QLabel>
#include <QTest>
#include <algorithm>

#include "EmulatorOptionsOf.h"
#include "EmulatorPort.h"
#include "FileBytes.h"
#include "LiveStart.h"
#include "MainWindowRig.h"
#include "RoutingSerialPort.h"

using namespace tk;
using namespace tk::test;

namespace {

bool Filled(const TraceArray& t) {
    return std::any_of(t.begin() + 1, t.begin() + 501, [](std::int16_t v) { return v != 0; });
}

}  // namespace

class TestLiveStart : public QObject {
    Q_OBJECT
private slots:
    void start() {
        const struct {
            QStringList arguments;
            QByteArray parameterFile;  // "-": none
            bool live;
            bool box;
        } rows[] = {
            {{"--emulator"}, "-", true, false},    // first start
            {{"--emulator"}, "", true, false},     // left empty by a start that ended without Exit
            {{"--emulator"}, "junk", true, true},  // a foreign parameter file
            {{"--emulator", "--headless"}, "-", false, true},  // without windows
            {{}, "-", false, true},                            // real ports
        };
        for (const auto& [arguments, parameterFile, live, box] : rows) {
            QTemporaryDir home;
            if (parameterFile != "-") QVERIFY(WriteBytes(home.filePath("TK820-2.par"), parameterFile));
            FakeClock clock;
            ScriptedPort absent{clock};
            absent.openFails = true;
            EmulatorPort emulator(clock, EmulatorOptionsOf({QStringLiteral("--emu-baud=5")}));
            RoutingSerialPort port(absent);
            port.addDevice(QStringLiteral("emulator"), emulator);
            PortMap portMap;
            portMap.set(2, QStringLiteral("emulator"));
            MeasurementModel model;
            ScriptedDialogs dialogs;
            RecordingHelp help;
            LiveStart liveStart(dialogs, ParseCommandLine(arguments));
            MainWindow window({model, port, clock, liveStart, help, portMap, home.path(), {}});
            window.show();

            const double shown = clock.seconds();
            liveStart.Load(window, QString(), 5);
            // Timer1 ticks every 100 ms; a tick's reads take their own time on the line.
            while (clock.seconds() - shown < 2.0 &&
                   !(Filled(model.traceActual) && Filled(model.tracePeak) && Filled(model.traceAverage))) {
                clock.advance(0.1);
                window.Tick();
            }
            QCOMPARE(clock.seconds() - shown <= 2.0, live);
            QCOMPARE(port.isOpen(), live);
            QCOMPARE(Filled(model.traceActual) && Filled(model.tracePeak) && Filled(model.traceAverage),
                     live);
            QCOMPARE(window.action(QStringLiteral("mnufastmode"))->isChecked(), live);
            QCOMPARE(dialogs.messages.size(), box ? 1 : 0);
            if (box) QCOMPARE(dialogs.messages[0].text, QStringLiteral("Cannot open file"));
            // Only the start-up's message is kept back; a later load that fails says so.
            liveStart.message(QStringLiteral("Cannot open file"), QStringLiteral("File handling"));
            QCOMPARE(dialogs.messages.size(), box ? 2 : 1);
            auto* info = window.findChild<QLabel*>(QStringLiteral("infotext"));
            QCOMPARE(info != nullptr && info->text() == QString::fromUtf8(FIRST_START_NOTICE), live && !box);
            // Its window shows the whole text.
            if (info) QVERIFY(info->parentWidget()->width() >= info->sizeHint().width());
        }
    }
};

QTEST_MAIN(TestLiveStart)
#include "tst_livestart.moc"
