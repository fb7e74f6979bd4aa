#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "FileBytes.h"
#include "Recording.h"
#include "RecordingConvert.h"
#include "Rows.h"

using namespace tk;
using tk::test::Row;

namespace {

// A read of the trace at the resolution, its levels a pattern of the salt, at the given second.
RecordedRead Read(RecordedTrace trace, int resolution, int salt, qint64 second) {
    MeasurementModel m;
    m.settings.resolution = static_cast<std::int16_t>(resolution);
    m.settings.centerFreq = 25.0f + float(salt);
    m.settings.levelUnit = 3;  // the user unit
    m.settings.userUnitName.set(QStringLiteral("dBuV/m"));
    m.settings.calibrationOn = salt % 2 == 1;
    m.fileNames.calibration = QStringLiteral("cable.eic");
    for (std::size_t i = 0; i < m.traceActual.size(); ++i)
        m.traceActual[i] = m.tracePeak[i] = m.traceAverage[i] = std::int16_t((int(i) * 37 + salt) % 300 - 40);
    return ReadOfModel(m, trace, 1'796'000'000'000 + second * 1000, 3600);
}

QString Summary(const RecordedRead& r) {
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9")
        .arg(r.id)
        .arg(RecordedTraceName(r.trace))
        .arg(r.utcMs - 1'796'000'000'000)
        .arg(r.settings.resolution)
        .arg(r.levels.size())
        .arg(r.settings.userUnitName)
        .arg(r.settings.calibrationCurve)
        .arg(r.utcOffsetS)
        .arg(r.settings.calibrationOn ? QStringLiteral("on") : QStringLiteral("off"));
}

}  // namespace

class TestRecord : public QObject {
    Q_OBJECT
private slots:
    // What is written reads back, levels and all, also while the recording is still open and after it was
    // opened again to go on; a time range picks its reads. What a killed run left half made is made anew.
    void readsComeBackAsWritten() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("run.tkrec"));
        QVERIFY(test::WriteBytes(file + QStringLiteral(".new"), "half made"));
        const std::vector<RecordedRead> written{Read(RecordedTrace::Actual, 8, 1, 0),
                                                Read(RecordedTrace::Peak, 1, 2, 4),
                                                Read(RecordedTrace::Average, 2, 3, 60)};
        {
            Recorder recorder;
            QString error;
            QVERIFY2(recorder.Open(file, RECORDING_SIZE_LIMIT, &error), qPrintable(error));
            QVERIFY(recorder.Append(written[0], &error) && recorder.Append(written[1], &error));
            RecordingReader beside;
            QVERIFY2(beside.Open(file, &error), qPrintable(error));
            QCOMPARE(beside.Count(), 2);
        }
        Recorder again;
        QString error;
        QVERIFY(again.Open(file, RECORDING_SIZE_LIMIT, &error) && again.Append(written[2], &error));
        again.Close();

        RecordingReader reader;
        QVERIFY(reader.Open(file, &error));
        QCOMPARE(reader.IntegrityCheck(), QStringLiteral("ok"));
        const std::vector<RecordedRead> all = reader.Reads(0, std::numeric_limits<qint64>::max(), &error);
        QVERIFY(error.isEmpty());
        QStringList shown;
        for (std::size_t i = 0; i < all.size(); ++i) {
            shown << Summary(all[i]);
            QVERIFY(all[i].levels == written[i].levels);
        }
        QCOMPARE(shown, (QStringList{"1 actual 0 8 501 dBuV/m cable.eic 3600 on",
                                     "2 peak 4000 1 4001 dBuV/m  3600 off",
                                     "3 average 60000 2 2001 dBuV/m cable.eic 3600 on"}));
        const auto middle = reader.Reads(1'796'000'000'000 + 1000, 1'796'000'000'000 + 59'999, &error);
        QCOMPARE(middle.size(), std::size_t(1));
        QCOMPARE(middle[0].id, 2);
        MeasurementModel m;
        PutReadIntoModel(all[1], m);
        QCOMPARE(m.settings.resolution, std::int16_t(1));
        QCOMPARE(m.tracePeak[4000], written[1].levels[4000]);
    }

    // A read's CSV line: its time with the local offset, its labels, and the levels in its unit.
    void csvLine() {
        RecordedRead r = Read(RecordedTrace::Peak, 8, 2, 0);
        r.levels = {0, 255, -32};
        for (const auto& [index, shown] : {std::pair{2, "120 kHz"}, std::pair{4, "4"}, std::pair{-1, "-1"}}) {
            r.settings.bandwidthIndex = index;
            QCOMPARE(RecordingCsv({r}).split('\n').value(1),
                     QByteArray("2026-11-30T01:53:20.000+01:00,peak,27,100,8,dBuV/m,0,0,") + shown +
                         ",0,0,,-107.00,-27.00,-117.04");
        }
    }

    // At its size limit a recording stops with a message, and every read written before stays.
    void sizeLimitStopsTheRecording() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("full.tkrec"));
        Recorder recorder;
        QString error;
        QVERIFY(recorder.Open(file, 256 * 1024, &error));
        int appended = 0;
        while (appended < 1000 && recorder.Append(Read(RecordedTrace::Actual, 1, appended, appended), &error))
            ++appended;
        QVERIFY(appended > 2 && appended < 1000);
        QVERIFY(!recorder.isOpen());
        QCOMPARE(error, QStringLiteral("The recording reached its size limit of 256 KiB and stopped"));
        QVERIFY(!recorder.Append(Read(RecordedTrace::Actual, 1, 0, 0), &error));
        RecordingReader reader;
        QVERIFY(reader.Open(file, &error));
        QCOMPARE(reader.Count(), appended);
        QCOMPARE(reader.IntegrityCheck(), QStringLiteral("ok"));
    }

    // A file that is no recording of ours, or a damaged one, says so and is not written to.
    void filesThatAreNoRecording_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        Row("random bytes", QStringLiteral("random"),
            QStringLiteral("bad.tkrec is no recording of this program"));
        Row("another SQLite file", QStringLiteral("other"),
            QStringLiteral("bad.tkrec is no recording of this program"));
        Row("a later layout", QStringLiteral("later"),
            QStringLiteral("bad.tkrec was written by a later version (layout 2)"));
        Row("cut after its header", QStringLiteral("cut"), QStringLiteral("bad.tkrec is damaged"));
        Row("missing", QStringLiteral("missing"), QStringLiteral("does not exist"));
    }
    void filesThatAreNoRecording() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("bad.tkrec"));
        if (kind == QStringLiteral("random")) {
            QByteArray noise;
            for (int i = 0; i < 4096; ++i) noise.append(char((i * 131 + 7) % 251));
            QVERIFY(test::WriteBytes(file, noise));
        } else if (kind == QStringLiteral("cut")) {
            Recorder recorder;
            QString error;
            QVERIFY(recorder.Open(file, RECORDING_SIZE_LIMIT, &error));
            for (int i = 0; i < 20; ++i)
                QVERIFY(recorder.Append(Read(RecordedTrace::Actual, 1, i, i), &error));
            recorder.Close();
            QVERIFY(test::WriteBytes(file, test::FileBytes(file).left(3000)));
        } else if (kind != QStringLiteral("missing")) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE t(x)")));
            if (kind == QStringLiteral("later"))
                QVERIFY(q.exec(QStringLiteral("PRAGMA application_id = 1414222403")) &&
                        q.exec(QStringLiteral("PRAGMA user_version = 2")));
            q.finish();
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("other"));
        }
        const QByteArray before = test::FileBytes(file);
        RecordingReader reader;
        QString error;
        QVERIFY(!reader.Open(file, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
        if (kind == QStringLiteral("missing")) return;
        Recorder recorder;
        QString recordError;
        // The cut file still has its header: it is opened to go on, but its reads are lost to SQLite.
        if (kind != QStringLiteral("cut")) QVERIFY(!recorder.Open(file, RECORDING_SIZE_LIMIT, &recordError));
        recorder.Close();
        if (kind != QStringLiteral("cut")) QCOMPARE(test::FileBytes(file), before);
    }
};

QTEST_MAIN(TestRecord)
#include "tst_record.moc"
