#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "BoundariesFile.h"
#include "BoundaryLevels.h"
#include "FileBytes.h"
#include "SampleFiles.h"
#include "ScriptedDialogs.h"
#include "StandardLimits.h"

using namespace tk;
using namespace tk::test;

namespace {

void Fill(MeasurementModel& m, float value) {
    for (BoundaryLine* b : {&m.boundaryActual, &m.boundaryAverage, &m.boundaryPeak}) {
        b->freqMHz.fill(value);
        b->levelDbm.fill(value);
        b->logSegment.fill(7);
    }
}

}  // namespace

class TestBoundariesFile : public QObject {
    Q_OBJECT
private slots:
    // Entry 10 of every line is not in the file and keeps its value.
    void entryTenIsNotInTheFile() {
        MeasurementModel m;
        Fill(m, 99.0f);
        QCOMPARE(LoadBoundaries(BoundariesSample().bytes, m), BoundariesLoad::Loaded);
        for (BoundaryLine* b : {&m.boundaryActual, &m.boundaryAverage, &m.boundaryPeak}) {
            QCOMPARE(b->freqMHz[10], 99.0f);
            QCOMPARE(b->levelDbm[10], 99.0f);
            QCOMPARE(b->logSegment[10], std::int16_t(7));
        }
    }

    // A refused file changes nothing; what was read before the end of a short file stays.
    void badFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");  // the file's contents, unless the name says it is missing
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("pointsRead");  // complete points of the actual line taken from the file
        const QByteArray good = BoundariesSample().bytes;
        const int unknown = int(BoundariesLoad::TagUnknown);
        const int shortRead = int(BoundariesLoad::ShortRead);
        QTest::newRow("missing") << "missing" << QByteArray() << int(BoundariesLoad::NotOpened) << 0;
        QTest::newRow("folder") << "." << QByteArray() << int(BoundariesLoad::NotOpened) << 0;
        QTest::newRow("empty") << "x.grn" << QByteArray() << unknown << 0;
        QTest::newRow("short tag") << "x.grn" << QByteArray("grn ") << unknown << 0;
        QTest::newRow("settings file") << "x.set"
                                       << "set4 " + good.mid(5) << unknown << 0;
        QTest::newRow("tag in capitals") << "x.grn"
                                         << "GRN  " + good.mid(5) << unknown << 0;
        QTest::newRow("two and a half groups") << "x.grn" << good.left(5 + 75) << shortRead << 3;
    }
    void badFiles() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, result);
        QFETCH(int, pointsRead);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (name != "missing" && name != ".") QVERIFY(WriteFileAtomically(path, bytes));
        MeasurementModel m;
        Fill(m, 99.0f);
        ScriptedDialogs dialogs;
        QCOMPARE(int(LoadBoundariesFile(path, m, dialogs)), result);
        QCOMPARE(dialogs.messages, (QList<ScriptedDialogs::Message>{{"Cannot open file", "File handling"}}));
        const auto want = BoundariesSample().loaded();
        for (std::size_t i = 0; i < 10; ++i)
            QCOMPARE(std::bit_cast<quint32>(m.boundaryActual.freqMHz[i]),
                     std::bit_cast<quint32>(int(i) < pointsRead ? want->boundaryActual.freqMHz[i] : 99.0f));
    }

    // A save that fails leaves the previous file byte for byte and says so.
    void failedSaveKeepsTheOldFile_data() {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::newRow("disk full half-way") << false;
        QTest::newRow("read-only folder") << true;
    }
    void failedSaveKeepsTheOldFile() {
        QFETCH(bool, readOnlyFolder);
        if (readOnlyFolder && geteuid() == 0) QSKIP("a read-only folder does not stop the superuser");
        QTemporaryDir dir;
        const QString path = dir.filePath("b.grn");
        QVERIFY(WriteFileAtomically(path, "the user's old file"));
        MeasurementModel m;
        ScriptedDialogs dialogs;
        DeviceWrite failing;
        if (readOnlyFolder)
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        else
            failing = [](QIODevice& device, const QByteArray& bytes) {
                device.write(bytes.left(100));
                return false;
            };
        QVERIFY(!SaveBoundariesFile(path, m, dialogs, failing));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(dialogs.messages, (QList<ScriptedDialogs::Message>{{"File error", "File handling"}}));
        QCOMPARE(FileBytes(path), QByteArray("the user's old file"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"b.grn"});
    }

    // The shipped files are the table's lines as the program writes them, and give the standard's limits.
    void shippedLimits_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<float>("freq");
        QTest::addColumn<int>("quasiPeak");  // dBm
        QTest::addColumn<int>("average");
        const QString b = QStringLiteral("cispr32-class-b-mains.grn");
        const QString a = QStringLiteral("cispr32-class-a-mains.grn");
        // Class B: 66-56 dBuV quasi-peak and 56-46 average falling with log f to 0.5 MHz; 60 and 50 from 5
        // MHz.
        QTest::newRow("B 0.15") << b << 0.15f << 66 - 107 << 56 - 107;
        QTest::newRow("B 0.3") << b << 0.3f << -47 << -57;  // 60.24 and 50.24 dBuV
        QTest::newRow("B 0.5") << b << 0.5f << 56 - 107 << 46 - 107;
        QTest::newRow("B 1") << b << 1.0f << 56 - 107 << 46 - 107;
        QTest::newRow("B 5, the step's upper level") << b << 5.0f << 60 - 107 << 50 - 107;
        QTest::newRow("B 30") << b << 30.0f << 60 - 107 << 50 - 107;
        QTest::newRow("B 31, not covered") << b << 31.0f << 32000 << 32000;
        QTest::newRow("A 0.15") << a << 0.15f << 79 - 107 << 66 - 107;
        QTest::newRow("A 0.5, the step's upper level") << a << 0.5f << 79 - 107 << 66 - 107;
        QTest::newRow("A 1") << a << 1.0f << 73 - 107 << 60 - 107;
        QTest::newRow("A 30") << a << 30.0f << 73 - 107 << 60 - 107;
    }
    void shippedLimits() {
        QFETCH(QString, file);
        QFETCH(float, freq);
        QFETCH(int, quasiPeak);
        QFETCH(int, average);
        const QString path = QStringLiteral(TK_SOURCE_DIR "/examples/limits/") + file;
        MeasurementModel m;
        ScriptedDialogs dialogs;
        QCOMPARE(LoadBoundariesFile(path, m, dialogs), BoundariesLoad::Loaded);
        const BoundaryLevels levels = BoundaryLevelsAt(m, freq);
        QCOMPARE(int(levels.boundaryLevelActual), quasiPeak);
        QCOMPARE(int(levels.boundaryLevelPeak), quasiPeak);
        QCOMPARE(int(levels.boundaryLevelAverage), average);

        bool inTable = false;
        for (const StandardLimits& limits : CisprConductedLimits()) {
            if (limits.fileName != file) continue;
            MeasurementModel table;
            ApplyStandardLimits(limits, table);
            QCOMPARE(FileBytes(path), BoundariesBytes(table));
            inTable = true;
        }
        QVERIFY(inTable);
    }
};

QTEST_GUILESS_MAIN(TestBoundariesFile)
#include "tst_boundariesfile.moc"
