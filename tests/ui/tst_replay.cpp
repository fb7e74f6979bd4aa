// A recorded campaign played back: the same traces and violations as the live run, and the replay window's
// moves, waterfall, queries, stored moment and export.
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGuiApplication>
#include <QLabel>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "Boundaries.h"
#include "BoundaryMargins.h"
#include "Emissions.h"
#include "FileBytes.h"
#include "FileOperations.h"
#include "LinkRig.h"
#include "MainWindowRig.h"
#include "ReplayWindow.h"
#include "SessionRecording.h"
#include "Units.h"

using namespace tk;
using namespace tk::test;

namespace {

// The actual trace carries a spike at point 250 in its reads 2, 3, 5 and 6 of six, over the actual boundary.
constexpr int READS = 6;
bool SpikeIn(int read) {
    return read == 2 || read == 3 || read >= 5;
}

QByteArray Trace(char header, bool spike) {
    QByteArray t;
    for (int n = 0; n < 5; ++n) {
        t.append(header).append(char(n));
        for (int k = 0; k < 100; ++k) t.append(char(spike && n * 100 + k == 250 ? 220 : 50 + k % 3));
    }
    return t;
}

BoundaryTrace BoundaryFor(RecordedTrace t) {
    return t == RecordedTrace::Actual ? BoundaryTrace::Actual
           : t == RecordedTrace::Peak ? BoundaryTrace::Peak
                                      : BoundaryTrace::Average;
}

struct Live {
    RecordedTrace trace;
    TraceArray levels;
    std::vector<PeakRow> violating;
};

struct Campaign : MainWindowRig {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("run.tkrec"));
    std::vector<Live> live;

    Campaign() : MainWindowRig(true) {
        int actualReads = 0;
        port.responder = [&actualReads](char c, int) -> QByteArray {
            if (c == 'a') return Trace('A', SpikeIn(++actualReads));
            if (c == 's' || c == 'm') return Trace(static_cast<char>(c - 32), false);
            return GoodInterface(c, 0);
        };
        model.boundaryActual =
            BoundaryOf(QStringLiteral("1:%1 999:%1").arg(LevelInUnit(model.settings, 150, 1)));
        model.settings.limitActual = true;
        SessionRecording recording(window.session());
        QString error;
        QVERIFY2(recording.Start(file, &error), qPrintable(error));
        // Heard after the recording has written the read: the model as the live graph showed it.
        QObject::connect(&window.session(), &Session::traceRead, &window, [this](TraceKind kind) {
            const RecordedTrace t = kind == TraceKind::Actual ? RecordedTrace::Actual
                                    : kind == TraceKind::Peak ? RecordedTrace::Peak
                                                              : RecordedTrace::Average;
            live.push_back({t, TraceOf(model, BoundaryFor(t)), ViolatingEmissions(model, BoundaryFor(t))});
        });
        // The same boundaries stored and loaded again: a load among the events, the violations unchanged.
        const QString limits = dir.filePath(QStringLiteral("limits.grn"));
        dialogs.saveAnswers << limits;
        dialogs.openAnswers << limits;
        window.session().BoundaryFiles().SaveCommand();
        window.session().BoundaryFiles().LoadCommand();
        trigger("mopen");
        for (int i = 0; i < READS; ++i) {
            window.findChild<QToolButton*>(QStringLiteral("Command1"))->click();  // "Single"
            clock.advance(4.0);
        }
        recording.Stop();
    }
};

QString Violations(const std::vector<PeakRow>& rows) {
    QStringList shown;
    for (const PeakRow& r : rows)
        shown << QStringLiteral("%1 %2 %3").arg(r.frequencyMHz).arg(r.level).arg(r.marginDb.value_or(99));
    return shown.join(u';');
}

}  // namespace

class TestReplay : public QObject {
    Q_OBJECT
private slots:
    // Every read of the campaign replays to the raw levels and the violations the live graph had. The window
    // on it: moves by step, violation and play; the waterfall holds the actual reads up to the moment; a
    // stored moment loads back; the export holds the range's reads; the queries fill their tables.
    void campaignInTheWindow() {
        Campaign c;
        QCOMPARE(c.live.size(), std::size_t(3 * READS));
        auto opened = std::make_unique<Replay>();
        Replay& replay = *opened;
        QString error;
        QVERIFY2(replay.Open(c.file, &error), qPrintable(error));
        QCOMPARE(replay.size(), 3 * READS);
        MeasurementModel m;
        for (int p = 0; p < replay.size(); ++p) {
            const Live& l = c.live[std::size_t(p)];
            QVERIFY(replay.Show(p, m, &error));
            QCOMPARE(replay.moments()[std::size_t(p)].trace, l.trace);
            QVERIFY2(std::equal(l.levels.begin(), l.levels.begin() + 501,
                                TraceOf(m, BoundaryFor(l.trace)).begin()),
                     qPrintable(QString::number(p)));
            QCOMPARE(Violations(ViolatingEmissions(m, BoundaryFor(l.trace))), Violations(l.violating));
        }
        // Back at the first read, the traces not read yet are empty again, with no time.
        QVERIFY(replay.Show(0, m, &error));
        QCOMPARE(QStringList({m.timePeak.trimmed(), m.timeAverage.trimmed()}),
                 QStringList({"--:--:--", "--:--:--"}));
        QVERIFY(m.tracePeak[250] == 0 && m.traceAverage[250] == 0 && m.traceActual[250] != 0);
        // The violations began with the second and the fifth actual read; the first cleared at the fourth,
        // the second was still over when the recording stopped, and ended with it.
        const std::vector<OverBoundary> over = replay.TimesOverBoundary();
        QCOMPARE(over.size(), std::size_t(2));
        QCOMPARE(replay.NextViolation(3), 12);
        QCOMPARE(replay.NextViolation(12), std::nullopt);
        QCOMPARE(replay.PreviousViolation(12), 3);
        QCOMPARE(replay.PreviousViolation(3), std::nullopt);
        const auto at = [&](int p) { return replay.moments()[std::size_t(p)].utcMs; };
        QCOMPARE(over[0].fromUtcMs, at(3));
        QCOMPARE(over[0].toUtcMs, at(9));
        QCOMPARE(over[1].fromUtcMs, at(12));
        QVERIFY(over[1].toUtcMs.value_or(0) > at(15));
        const std::vector<EmissionSummary> worst = replay.WorstMargins(&error);
        QCOMPARE(worst.size(), std::size_t(1));
        QCOMPARE(worst[0].times, 2);
        QCOMPARE(worst[0].overMs, at(9) - at(3) + *over[1].toUtcMs - at(12));
        QCOMPARE(worst[0].worstMarginDb, c.live[3].violating.at(0).marginDb.value());
        QCOMPARE(WorstMarginTable(worst).Text().count(u'\n'), 2);

        ReplayWindow w(std::move(opened), c.model, c.dialogs);
        QCOMPARE(w.position(), 0);
        QCOMPARE(w.waterfall().rowCount(), 1);
        // The time line: a red mark where each violation began, the moment as a dark line, on the base
        // colour.
        auto* timeline = w.findChild<ReplayTimeline*>(QStringLiteral("replaytimeline"));
        const QImage line = timeline->grab().toImage();
        QCOMPARE(line.pixelColor(line.width() / 2, 26), timeline->palette().base().color());
        for (const int violation : {3, 12}) {
            const int x = 6 + violation * (line.width() - 12) / (3 * READS - 1);
            QCOMPARE(line.pixelColor(x, 4), QColor(Qt::red));
            QCOMPARE(timeline->PositionAtX(x), violation);
        }
        QCOMPARE(line.pixelColor(6, 26), timeline->palette().text().color());
        w.NextViolation();
        QCOMPARE(w.position(), 3);
        QCOMPARE(w.model().traceActual[250], 220);
        QCOMPARE(w.waterfall().rowCount(), 2);
        w.Step(1);
        QCOMPARE(w.position(), 4);
        w.GoTo(1000);
        QCOMPARE(w.position(), 3 * READS - 1);
        QCOMPARE(w.waterfall().rowCount(), READS);
        QCOMPARE(w.waterfall().row(1)[250], 220);
        QCOMPARE(w.waterfall().row(2)[250], 52);
        w.PreviousViolation();
        QCOMPARE(w.position(), 12);
        QCOMPARE(w.waterfall().rowCount(), 5);

        // At 100x, 0.09 s of playing passes 9 s of the recording: two more sweeps of three reads.
        w.GoTo(0);
        w.SetPlaying(true);
        QVERIFY(w.playing());
        w.PlayTo(0, 0.09);
        QCOMPARE(w.speed(), 1);
        QCOMPARE(w.position(), 2);
        w.findChild<QComboBox*>(QStringLiteral("replayspeed"))->setCurrentIndex(6);
        w.PlayTo(0, 0.09);
        QCOMPARE(w.position(), 8);
        w.Step(0);
        QVERIFY(!w.playing());

        c.dialogs.saveAnswers << c.dir.filePath(QStringLiteral("moment.mes"))
                              << c.dir.filePath(QStringLiteral("range.csv"));
        w.StoreMoment();
        MeasurementModel stored;
        QCOMPARE(LoadMeasurementFile(c.dir.filePath(QStringLiteral("moment.mes")), stored, c.dialogs),
                 LoadResult::Loaded);
        QVERIFY(std::equal(stored.traceActual.begin() + 1, stored.traceActual.begin() + 501,
                           w.model().traceActual.begin() + 1));
        QCOMPARE(stored.timeActual.text(), w.model().timeActual.text());
        // The whole range exported: one line per read, each with the levels the replay shows for it.
        w.ExportRange();
        const QList<QByteArray> lines = FileBytes(c.dir.filePath(QStringLiteral("range.csv"))).split('\n');
        QCOMPARE(lines.size(), 1 + 3 * READS + 1);
        for (int p = 0; p < 3 * READS; ++p) {
            const QList<QByteArray> fields = lines[p + 1].split(',');
            QCOMPARE(fields.size(), 12 + 501);
            const TraceArray& shown = c.live[std::size_t(p)].levels;
            for (int i : {0, 250, 500})
                QCOMPARE(fields[12 + i],
                         QByteArray::number(LevelInUnit(c.model.settings, shown[std::size_t(i)], 1), 'f', 2));
        }

        w.RunQueries();
        auto* worstShown = w.findChild<QTableWidget*>(QStringLiteral("replayworst"));
        auto* overShown = w.findChild<QTableWidget*>(QStringLiteral("replayover"));
        QCOMPARE(worstShown->rowCount(), 1);
        QCOMPARE(worstShown->item(0, 2)->text(), QStringLiteral("-22.0"));
        QCOMPARE(overShown->rowCount(), 2);
        QCOMPARE(overShown->item(1, 4)->text(), QStringLiteral("0:00:08"));
        auto* events = w.findChild<QTableWidget*>(QStringLiteral("replayevents"));
        const ReplayTable table = EventTable(w.replay().events());
        QCOMPARE(events->rowCount(), int(table.rows.size()));
        QCOMPARE(table.rows.at(0).mid(1),
                 (QStringList{"load", "boundaries " + c.dir.filePath("limits.grn")}));
        QCOMPARE(table.rows.at(1).value(1), QStringLiteral("online"));
        QCOMPARE(table.Text().count(QStringLiteral("\tviolation\tactual 500.000 MHz, margin -22.0 dB\n")), 2);
        // A click on an event goes to its moment; "Copy" takes the table shown.
        emit events->cellClicked(2, 0);
        QCOMPARE(w.position(), 3);
        w.CopyTable();
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY2(copied.startsWith(QStringLiteral("Trace\tFrequency (MHz)\tWorst margin (dB)\t")) &&
                     copied.contains(QStringLiteral("\nactual\t500.000\t-22.0\t")),
                 qPrintable(copied));
    }

    // Played to its end, a recording still being written takes in the reads written since it was opened.
    // In the recording's local time (here UTC+1) with the fields and the label; it keeps no views, so the
    // program's own boundary is not drawn; the end is asked for new reads once a second; a damaged read is
    // left out, and the moves go past it.
    void followsARecordingBeingWritten() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("open.tkrec"));
        Recorder recorder;
        QString error;
        QVERIFY(recorder.Open(file, RECORDING_SIZE_LIMIT, &error));
        MeasurementModel m;
        const auto append = [&](int second) {
            m.traceActual.fill(std::int16_t(second));
            return recorder.Append(
                ReadOfModel(m, RecordedTrace::Actual, 1'796'000'000'000 + second * 1000, 3600), &error);
        };
        QVERIFY(append(0) && append(4));
        ScriptedDialogs dialogs;
        auto replay = std::make_unique<Replay>();
        QVERIFY(replay->Open(file, &error));
        m.settings.limitActual = true;
        ReplayWindow w(std::move(replay), m, dialogs);
        QVERIFY(!w.model().settings.limitActual);
        auto* from = w.findChild<QDateTimeEdit*>(QStringLiteral("replayfrom"));
        QCOMPARE(from->text(), QStringLiteral("2026-11-30 01:53:20"));
        QVERIFY(w.findChild<QLabel*>(QStringLiteral("replaytime"))->text().startsWith(from->text()));
        QVERIFY(append(8) && append(12));
        w.PlayTo(0, 4.0);
        QCOMPARE(w.replay().size(), 2);
        QCOMPARE(w.position(), 1);
        w.PlayTo(0, 12.0);
        QCOMPARE(w.replay().size(), 4);
        QCOMPARE(w.position(), 3);
        QCOMPARE(w.model().traceActual[7], 12);
        QCOMPARE(w.waterfall().rowCount(), 4);
        QVERIFY(append(16));
        w.PlayTo(0, 12.9);
        QCOMPARE(w.replay().size(), 4);
        w.PlayTo(0, 13.0);
        QCOMPARE(w.replay().size(), 5);

        // The third read damaged: left out of the waterfall, its moment shown without it.
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
            db.setDatabaseName(file);
            QVERIFY(db.open() &&
                    QSqlQuery(db).exec(QStringLiteral("UPDATE reads SET levels = x'00' WHERE id = 3")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("damage"));
        auto damaged = std::make_unique<Replay>();
        QVERIFY(damaged->Open(file, &error));
        ReplayWindow d(std::move(damaged), m, dialogs);
        d.GoTo(2);
        QCOMPARE(d.position(), 2);
        QCOMPARE(d.model().traceActual[7], 0);
        QVERIFY(d.findChild<QLabel*>(QStringLiteral("replaytime"))
                    ->text()
                    .endsWith(QStringLiteral("damaged read left out")));
        d.Step(2);
        QCOMPARE(d.waterfall().rowCount(), 4);
        QVERIFY(dialogs.messages.isEmpty());

        // The fields in local time: from the first read to 4 s after it, two reads exported; to 1 s after
        // it, the first alone.
        for (const int seconds : {4, 1}) {
            dialogs.saveAnswers << dir.filePath(QStringLiteral("part.csv"));
            d.findChild<QDateTimeEdit*>(QStringLiteral("replayto"))
                ->setDateTime(
                    d.findChild<QDateTimeEdit*>(QStringLiteral("replayfrom"))->dateTime().addSecs(seconds));
            d.ExportRange();
            QCOMPARE(FileBytes(dir.filePath(QStringLiteral("part.csv"))).count('\n'), seconds == 4 ? 3 : 2);
        }
    }

    // A file that is no recording is said in a message, and no window opens.
    void noRecording() {
        MainWindowRig r;
        QVERIFY(WriteBytes(r.home.path() + QStringLiteral("/noise.tkrec"), "no database"));
        r.dialogs.openAnswers << r.home.path() + QStringLiteral("/noise.tkrec");
        OpenReplay(r.model, r.dialogs, &r.window);
        QCOMPARE(r.dialogs.messages.value(0).text,
                 QStringLiteral("noise.tkrec is no recording of this program"));
        QVERIFY(!r.window.findChild<ReplayWindow*>());
    }
};

QTEST_MAIN(TestReplay)
#include "tst_replay.moc"
