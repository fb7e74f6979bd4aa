// Scripts run without windows, and remote control without windows, against the in-process emulated interface
// in simulated time: the session alone, in an application that has no widgets. For scripts: the exit status
// and the report of a passing run, of one that reaches its boundary, of one that cannot load its files and of
// ones that could not write theirs.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QtTest>
#include <atomic>
#include <cstdio>
#include <thread>

#include "BoundariesFile.h"
#include "EmulatorOptionsOf.h"
#include "EmulatorPort.h"
#include "FakeClock.h"
#include "FileBytes.h"
#include "FileIO.h"
#include "HeadlessRun.h"
#include "RemoteDialogs.h"
#include "ScpiSession.h"
#include "ScriptFile.h"
#include "ScriptedDialogs.h"
#include "SessionRemoteTarget.h"
#include "SettingsFile.h"

using namespace tk;
using namespace tk::test;

namespace {

// One flat boundary for all three traces from 0.15 to 30 MHz.
QByteArray FlatBoundaries(float levelDbm) {
    MeasurementModel m;
    for (BoundaryLine* b : {&m.boundaryActual, &m.boundaryAverage, &m.boundaryPeak}) {
        b->freqMHz[0] = 0.15f;
        b->freqMHz[1] = 30.0f;
        b->levelDbm[0] = b->levelDbm[1] = levelDbm;
    }
    return BoundariesBytes(m);
}

// 0 to 30 MHz at 500 points, every boundary checked.
QByteArray ScanSettings() {
    MeasurementModel m;
    m.settings.centerFreq = 15.0f;
    m.settings.scanWidth = 3.0f;
    m.settings.baudIndex = 5;
    m.settings.actualInterval = 2;
    m.settings.peakInterval = m.settings.averageInterval = 10;
    m.settings.limitActual = m.settings.limitAverage = m.settings.limitPeak = true;
    m.printActual = true;
    return WriteSettings(m);
}

struct Rig {
    QTemporaryDir dir;
    SimulatedClock clock{36000.0, QDate(2026, 12, 6)};
    EmulatorPort emulator{clock};
    MeasurementModel model;
    HeadlessDialogs dialogs{stdout};
    PortMap portMap;
    Session session{{model, emulator, clock, dialogs, portMap}};

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QJsonObject report() const { return QJsonDocument::fromJson(FileBytes(path("report.json"))).object(); }
    // A scan of one minute stored in scan.mes and printed, then "Script done".
    QString writeScript(const char* settingsFile) {
        ScriptTable table{};
        table[0].settingsFile.set(QString::fromLatin1(settingsFile));
        table[0].boundariesFile.set(QStringLiteral("limits.grn"));
        table[0].measurementFile.set(path("scan.mes"));
        table[0].delayMinutes = 1;
        table[0].printMeasurement = true;
        WriteFileAtomically(path("run.scp"), ScriptBytes(table));
        return path("run.scp");
    }
};

// The session with its dialogs behind the remote ones, and one remote session whose files are in a folder
// of their own; `exit` is what SYST:EXIT runs.
struct RemoteRig {
    QTemporaryDir home;
    QTemporaryDir folder;
    FakeClock clock;
    EmulatorPort emulator{clock, EmulatorOptionsOf({})};
    MeasurementModel model;
    ScriptedDialogs shown;
    RemoteDialogs dialogs{shown};
    PortMap portMap;
    Session program{{model, emulator, clock, dialogs, portMap}};
    SessionRemoteTarget target;
    std::shared_ptr<ScpiSession> session;
    QList<QByteArray> answers;

    explicit RemoteRig(std::function<void()> exit = nullptr) : target{program, dialogs, std::move(exit)} {
        program.Load(QDir(home.path()).filePath(QString::fromLatin1(PARAMETER_FILE_NAME)), QString());
        program.Timer().stop();  // nothing reads but the commands
        shown.messages.clear();  // the first start's "Cannot open file"
        session = ScpiSession::Create(target, folder.path(), [this](const QByteArray& a) { answers << a; });
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

// Swaps a name of a folder with another thing and back, as fast as it can, as someone with a shell in the
// folder could: `make` puts that thing (a link, a pipe) under "fresh" anew before each swap.
class Swapper {
public:
    Swapper(const QString& folder, const char* name, std::function<void(int dir)> make)
        : m_thread([this, dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY), name,
                    make = std::move(make)] {
              while (!m_stop) {
                  ::unlinkat(dir, "fresh", 0);
                  make(dir);
                  ::renameat(dir, "fresh", dir, "other");
                  ::renameat2(dir, name, dir, "other", RENAME_EXCHANGE);
                  ::renameat2(dir, name, dir, "other", RENAME_EXCHANGE);
              }
              ::close(dir);
          }) {}
    ~Swapper() {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace

class TestHeadless : public QObject {
    Q_OBJECT
private slots:
    void run() {
        const struct {
            float boundaryDbm;
            const char* settingsFile;
            QString blocked;  // a folder stands where the run writes this file
            int exitStatus;
            QString worst;  // the smallest margin's step and frequency
        } rows[] = {
            // The emulator's strongest carrier, 66 dBuV (-41 dBm), stands at grid 520: 3.9 MHz.
            {0.0f, "scan.set", "", 0, "0 3.9"},     // under the boundary
            {-50.0f, "scan.set", "", 1, "0 3.9"},   // boundary reached
            {0.0f, "none.set", "", 2, ""},          // settings file missing
            {0.0f, "scan.set", "scan.mes", 2, ""},  // measurement not written
            // The run goes on to "Script done" after the page is lost, and still fails.
            {0.0f, "scan.set", "scan.pdf", 2, "0 3.9"},
        };
        // Blocking, as a script run alone; on the event loop, as with remote clients beside it.
        for (const bool onEventLoop : {false, true})
            for (const auto& [boundaryDbm, settingsFile, blocked, exitStatus, worst] : rows) {
                Rig rig;
                if (onEventLoop) rig.session.RunLineOnEventLoop(true);
                if (!blocked.isEmpty()) QVERIFY(QDir(rig.dir.path()).mkdir(blocked));
                // Files named without a folder are found beside the script, wherever the run is started.
                QVERIFY(WriteFileAtomically(rig.path("scan.set"), ScanSettings()));
                QVERIFY(WriteFileAtomically(rig.path("limits.grn"), FlatBoundaries(boundaryDbm)));
                const QString script = rig.writeScript(settingsFile);
                HeadlessRun run(rig.session, rig.path("TK820-2.par"), rig.dialogs, &rig.clock);
                QCOMPARE(static_cast<int>(run.Exec(script, rig.path("report.json"))), exitStatus);

                const QJsonObject report = rig.report();
                QCOMPARE(report.value("exitStatus").toInt(), exitStatus);
                const QJsonArray unwritten = report.value("unwritten").toArray();
                QCOMPARE(unwritten.size(), blocked.isEmpty() ? 0 : 1);
                if (!blocked.isEmpty()) {
                    QCOMPARE(unwritten[0].toObject().value("file").toString(), rig.path(qPrintable(blocked)));
                    QVERIFY(!unwritten[0].toObject().value("reason").toString().isEmpty());
                }
                const QJsonObject w = report.value("worst").toObject();
                QCOMPARE(w.isEmpty() ? QString()
                                     : QStringLiteral("%1 %2")
                                           .arg(w.value("step").toInt())
                                           .arg(w.value("frequencyMHz").toDouble()),
                         worst);
                if (worst.isEmpty()) {
                    QCOMPARE(report.value("steps").toArray().size(), 0);
                    continue;
                }
                QCOMPARE(rig.dialogs.messages().last().text, QStringLiteral("Script done"));
                // One scan stored and printed, checked on all three traces; the carrier's margin to the flat
                // line.
                const QJsonObject step = report.value("steps").toArray().at(0).toObject();
                QStringList files({rig.path("scan.mes"), rig.path("scan.pdf")});
                files.removeAll(rig.path(qPrintable(blocked)));
                QCOMPARE(step.value("files").toVariant().toStringList(), files);
                QCOMPARE(step.value("boundaries").toArray().size(), 3);
                const double margin = w.value("marginDb").toDouble();
                QVERIFY2(margin > boundaryDbm + 39.0 && margin < boundaryDbm + 43.0,
                         qPrintable(QString::number(margin)));
                QCOMPARE(w.value("reached").toBool(), exitStatus == 1);
                // In simulated time the minute passed at once; the run ended with the script.
                QCOMPARE(rig.clock.minute(), 1);
                QVERIFY(!rig.model.scriptRunning);
            }
    }

    // Each step lists the highest peaks of each trace; with the shipped class B limit the carrier at 3.9 MHz
    // leads the actual trace's list, about 10 dB over its quasi-peak line.
    void peaksOfTheShippedLimit() {
        Rig rig;
        QVERIFY(WriteFileAtomically(rig.path("scan.set"), ScanSettings()));
        QVERIFY(QFile::copy(QStringLiteral(TK_SOURCE_DIR "/examples/limits/cispr32-class-b-mains.grn"),
                            rig.path("limits.grn")));
        HeadlessRun run(rig.session, rig.path("TK820-2.par"), rig.dialogs, &rig.clock);
        QCOMPARE(static_cast<int>(run.Exec(rig.writeScript("scan.set"), rig.path("report.json"))), 1);
        const QJsonObject step = rig.report().value("steps").toArray().at(0).toObject();
        QCOMPARE(step.value("levelUnit").toString(), QStringLiteral("dBm"));
        const QJsonArray traces = step.value("peaks").toArray();
        QCOMPARE(traces.size(), 3);
        QCOMPARE(traces.at(0).toObject().value("trace").toString(), QStringLiteral("actual"));
        const QJsonArray actual = traces.at(0).toObject().value("peaks").toArray();
        QCOMPARE(actual.size(), 10);
        const QJsonObject first = actual.at(0).toObject();
        QCOMPARE(first.value("number").toInt(), 1);
        QCOMPARE(first.value("frequencyMHz").toDouble(), 3.9);
        QVERIFY(first.value("reached").toBool());
        const double margin = first.value("marginDb").toDouble();
        QVERIFY2(margin > -12.0 && margin < -8.0, qPrintable(QString::number(margin)));
    }

    // SYST:EXIT ends a server without windows, and says no error.
    void exitEndsTheServer() {
        bool exited = false;
        RemoteRig rig([&] { exited = true; });
        QCOMPARE(rig.ask("SYST:EXIT;:SYST:ERR?"), QByteArray("0,\"No error\""));
        QVERIFY(exited);
    }

    // A script's message during a remote command is no error of the command; all of them wait for SCR:MESS?,
    // and outside a remote command they are shown as well.
    void scriptMessagesAreNoErrors() {
        ScriptedDialogs shown;
        RemoteDialogs dialogs(shown);
        dialogs.Keep();
        dialogs.notice(QStringLiteral("step 1"), QStringLiteral("Script info"), MessageIcon::Information);
        QVERIFY(dialogs.Take().isEmpty());
        dialogs.notice(QStringLiteral("Script done"), QStringLiteral("Script info"),
                       MessageIcon::Information);
        QCOMPARE(shown.notices, 1);
        QCOMPARE(dialogs.TakeNotices(), (QStringList{"Script info: step 1", "Script info: Script done"}));
    }

    // Without windows a file dialog or an input box is cancelled, says so, and is no error.
    void dialogsAreCancelled() {
        std::FILE* out = std::tmpfile();
        HeadlessDialogs dialogs(out);
        QVERIFY(!dialogs.openFileName({QStringLiteral("Load"), {}, {}, {}}));
        QVERIFY(!dialogs.saveFileName({QStringLiteral("Save"), {}, {}, {}}));
        QVERIFY(
            !dialogs.inputBox(QStringLiteral("Reduce"), QStringLiteral("Correction"), QStringLiteral("50")));
        QByteArray written(512, '\0');
        std::rewind(out);
        written.resize(static_cast<qsizetype>(std::fread(written.data(), 1, 512, out)));
        std::fclose(out);
        QCOMPARE(written, QByteArray("Load: no file dialog in a run without windows; cancelled\n"
                                     "Save: no file dialog in a run without windows; cancelled\n"
                                     "Correction: Reduce - no input in a run without windows; cancelled\n"));
        QCOMPARE(dialogs.errors(), 0);
    }

    // ... with automatic measurement off: the program reads only when the client asks.
    void resetRestoresTheStartUpDefaults() {
        RemoteRig rig;
        rig.ask("FREQ:CENT 12MHZ;UNIT:POW DBUV;FAST ON");
        QCOMPARE(rig.ask("*RST;FREQ:CENT?;UNIT:POW?;FAST?;INIT:CONT?"), QByteArray("500000000;DBM;0;0"));
        rig.ask("INIT:CONT ON");
        QCOMPARE(rig.ask("ABOR;INIT:CONT?"), QByteArray("0"));  // an abort ends automatic reads
    }

    // A name checked and then swapped for a link to outside, or for a pipe, is neither followed nor waited
    // on: loads never read the outside file, stores never write it, and every line is answered.
    void swappedNamesStayInTheFolder_data() {
        QTest::addColumn<bool>("pipe");
        QTest::newRow("a link to outside") << false;
        QTest::newRow("a pipe") << true;
    }
    void swappedNamesStayInTheFolder() {
        QFETCH(bool, pipe);
        RemoteRig rig;
        QTemporaryDir outside;
        const QString secret = QDir(outside.path()).filePath(QStringLiteral("secret.set"));
        MeasurementModel m;
        m.settings.centerFreq = 123.0f;
        QVERIFY(WriteBytes(secret, WriteSettings(m)));
        const QByteArray secretBytes = FileBytes(secret);
        m.settings.centerFreq = 77.0f;
        QVERIFY(WriteBytes(QDir(rig.folder.path()).filePath(QStringLiteral("race.set")), WriteSettings(m)));
        int loaded = 0;
        {
            Swapper swapper(rig.folder.path(), "race.set", [&, target = QFile::encodeName(secret)](int dir) {
                if (pipe)
                    ::mkfifoat(dir, "fresh", 0600);
                else
                    ::symlinkat(target.constData(), dir, "fresh");
            });
            for (int i = 0; i < 300; ++i) {
                rig.model.settings.centerFreq = 500.0f;
                QCOMPARE(rig.ask("MMEM:LOAD:STAT \"race.set\";*OPC?"), QByteArray("1"));
                QVERIFY(rig.model.settings.centerFreq != 123.0f);
                loaded += rig.model.settings.centerFreq == 77.0f;
                rig.model.settings.centerFreq = 77.0f;
                QCOMPARE(rig.ask("MMEM:STOR:STAT \"race.set\";*OPC?"), QByteArray("1"));
            }
        }
        QCOMPARE(FileBytes(secret), secretBytes);
        QVERIFY(loaded > 0);
    }

    // A script a client started takes its files beside itself and keeps them in the folder: a name that
    // leads out of it is refused and nothing is written.
    void remoteScriptFilesStayInTheFolder() {
        const struct {
            const char* settings;  // "@" stands for the folder outside
            const char* measurement;
            const char* written;  // where the measurement lands, in the folder; "" for nowhere
            const char* message;  // the first error or message
        } rows[] = {
            {"scan.set", "scan.mes", "scripts/scan.mes", "Script done"},
            {"scan.set", "../scan.mes", "scan.mes", "Script done"},
            {"scan.set", "../../@/scan.mes", "", "File error"},
            {"scan.set", "/@/scan.mes", "", "File error"},
            {"/@/scan.set", "scan.mes", "", "-200,\"Execution error;File handling: Cannot open file\""},
        };
        for (const auto& row : rows) {
            RemoteRig rig;
            QTemporaryDir outside;
            const QDir folder(rig.folder.path());
            const auto named = [&](const char* name) {
                return QString::fromLatin1(name)
                    .replace(QStringLiteral("/@"), outside.path())
                    .replace(u'@', QFileInfo(outside.path()).fileName());
            };
            QVERIFY(folder.mkdir(QStringLiteral("scripts")));
            for (const QString& at : {folder.filePath(QStringLiteral("scripts")), outside.path()})
                QVERIFY(WriteFileAtomically(QDir(at).filePath(QStringLiteral("scan.set")), ScanSettings()));
            ScriptTable table{};
            table[0].settingsFile.set(named(row.settings));
            table[0].measurementFile.set(named(row.measurement));
            table[0].delayMinutes = 1;
            QVERIFY(
                WriteFileAtomically(folder.filePath(QStringLiteral("scripts/run.scp")), ScriptBytes(table)));

            QCOMPARE(rig.ask("MMEM:LOAD:SCR \"scripts/run.scp\";SCR:RUN;*OPC?"), QByteArray("1"));
            rig.clock.advance(61.0);
            rig.program.Tick();
            QStringList written =
                QDir(outside.path()).entryList(QDir::Files) + folder.entryList({"*.mes"}, QDir::Files);
            for (const QString& f : QDir(folder.filePath(QStringLiteral("scripts"))).entryList({"*.mes"}))
                written << QStringLiteral("scripts/") + f;
            QCOMPARE(written.join(u' '),
                     (QStringList{QStringLiteral("scan.set")} +
                      (*row.written ? QStringList{QString::fromLatin1(row.written)} : QStringList{}))
                         .join(u' '));
            // During SCR:RUN its first step's messages go to the client, later ones to the program's boxes.
            const QByteArray error = rig.ask("SYST:ERR?");
            QCOMPARE(error != "0,\"No error\""      ? QString::fromLatin1(error)
                     : rig.shown.messages.isEmpty() ? QString()
                                                    : rig.shown.messages.first().text,
                     QString::fromLatin1(row.message));
            if (row.message[0] == '-') QVERIFY(rig.shown.messages.isEmpty());  // no box besides
        }
    }

    // A resolution set remotely reaches the interface before the next read, which is whole; a query sent
    // during that read (2400 baud, 4000 points: 17 s) is answered at once.
    void remoteResolutionAndAQueryDuringARead() {
        RemoteRig rig;
        rig.model.autoMeasurement = false;
        QCOMPARE(rig.ask("INST:CONN ON;SENS:RES 1;*OPC?"), QByteArray("1"));
        // Online again, nothing is sent: the version was read as the port opened.
        rig.emulator.forgetReceived();
        QCOMPARE(rig.ask("INST:CONN ON;*OPC?"), QByteArray("1"));
        QCOMPARE(rig.emulator.device().received(), QByteArray());
        double askedAt = -1.0;
        double answeredAt = -1.0;
        QByteArray idn;
        // A second client, as lab software polling beside the one that measures.
        const auto other = ScpiSession::Create(rig.target, rig.folder.path(), [&](const QByteArray& a) {
            idn = a;
            answeredAt = rig.clock.seconds();
        });
        rig.program.Line().SetPump([&] {
            if (askedAt >= 0.0 || rig.model.blockIndex < 10) return;
            askedAt = rig.clock.seconds();
            other->Receive("*IDN?");
        });
        const double start = rig.clock.seconds();
        QCOMPARE(rig.ask("INIT:IMM;*OPC?;:SYST:ERR?"), QByteArray("1;0,\"No error\""));
        QVERIFY(rig.clock.seconds() - start > 3 * 17.0);
        QCOMPARE(rig.emulator.device().received(), QByteArray("bcasm"));
        QCOMPARE(rig.model.blockIndex, 40);
        QCOMPARE(rig.model.invalidTransferCount, 0);
        QVERIFY2(idn.startsWith("ZELOR Instruments,TK820-2,"), idn.constData());
        QCOMPARE(answeredAt, askedAt);
        QVERIFY(rig.shown.messages.isEmpty());
    }
};

int main(int argc, char** argv) {
    // An application without widgets: a widget made during a run or by a remote command would stop the test
    // at once.
    QGuiApplication app(argc, argv);
    TestHeadless test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_headless.moc"
