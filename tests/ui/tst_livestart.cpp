// The demo's start: on the emulator, with windows, the spectrum is live within two seconds and nothing waits
// for a click; every other run starts with the port closed and the first start's box, as always.
#include <QLabel>
#include <QScopeGuard>
#include <QTest>
#include <algorithm>

#include "EmulatorAppRig.h"
#include "FileBytes.h"
#include "LiveStart.h"

using namespace tk;
using namespace tk::test;

namespace {

bool Filled(const TraceArray& t) {
    return std::any_of(t.begin() + 1, t.begin() + 501, [](std::int16_t v) { return v != 0; });
}
bool Filled(const MeasurementModel& m) {
    return Filled(m.traceActual) && Filled(m.tracePeak) && Filled(m.traceAverage);
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
            EmulatorAppRig rig({QStringLiteral("--emu-baud=5")}, EmulatorAppRig::NoWindow{});
            if (parameterFile != "-") QVERIFY(WriteBytes(rig.home.filePath("TK820-2.par"), parameterFile));
            LiveStart liveStart(rig.dialogs, ParseCommandLine(arguments));
            rig.makeWindow(liveStart);
            const auto closeFirst = qScopeGuard([&] { rig.window.reset(); });  // before its dialogs go
            MainWindow& window = *rig.window;
            window.show();

            const double shown = rig.clock.seconds();
            liveStart.Load(window, QString(), 5);
            // Timer1 ticks every 100 ms; a tick's reads take their own time on the line.
            while (rig.clock.seconds() - shown < 2.0 && !Filled(rig.model)) {
                rig.clock.advance(0.1);
                window.Tick();
            }
            QCOMPARE(rig.clock.seconds() - shown <= 2.0, live);
            QCOMPARE(rig.port.isOpen(), live);
            QCOMPARE(Filled(rig.model), live);
            QCOMPARE(window.action(QStringLiteral("mnufastmode"))->isChecked(), live);
            QCOMPARE(rig.dialogs.messages.size(), box ? 1 : 0);
            if (box) QCOMPARE(rig.dialogs.messages[0].text, QStringLiteral("Cannot open file"));
            // Only the start-up's message is kept back; a later load that fails says so.
            liveStart.message(QStringLiteral("Cannot open file"), QStringLiteral("File handling"));
            QCOMPARE(rig.dialogs.messages.size(), box ? 2 : 1);
            auto* info = window.findChild<QLabel*>(QStringLiteral("infotext"));
            QCOMPARE(info != nullptr && info->text() == QString::fromUtf8(FIRST_START_NOTICE), live && !box);
            // Its window shows the whole text.
            if (info) QVERIFY(info->parentWidget()->width() >= info->sizeHint().width());
        }
    }
};

QTEST_MAIN(TestLiveStart)
#include "tst_livestart.moc"
