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
        for (BoundaryLine* b : {&m.boundaryActual, &m.boundaryAverage, &m.boundaryPeak})
            QVERIFY(b->freqMHz[10] == 99.0f && b->levelDbm[10] == 99.0f && b->logSegment[10] == 7);
    }

    // A file that cannot be opened changes nothing; what was read before the end of a short file stays.
    // Either is named in a message.
    void badFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("pointsRead");  // complete points of the actual line taken from the file
        QTest::newRow("missing") << "missing" << int(BoundariesLoad::NotOpened) << 0;
        QTest::newRow("two and a half groups") << "x.grn" << int(BoundariesLoad::ShortRead) << 3;
    }
    void badFiles() {
        QFETCH(QString, name);
        QFETCH(int, pointsRead);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (name != "missing") QVERIFY(WriteFileAtomically(path, BoundariesSample().bytes.left(5 + 75)));
        MeasurementModel m;
        Fill(m, 99.0f);
        ScriptedDialogs dialogs;
        QTEST(int(LoadBoundariesFile(path, m, dialogs)), "result");
        QCOMPARE(dialogs.messages, (QList<ScriptedDialogs::Message>{{"Cannot open file", "File handling"}}));
        const auto want = BoundariesSample().loaded();
        for (std::size_t i = 0; i < 10; ++i)
            QCOMPARE(std::bit_cast<quint32>(m.boundaryActual.freqMHz[i]),
                     std::bit_cast<quint32>(int(i) < pointsRead ? want->boundaryActual.freqMHz[i] : 99.0f));
    }

    // The shipped files are the table's lines as the program writes them. Loaded, the quasi-peak line checks
    // the actual and the peak trace, the average line the average trace: class B at 0.3 MHz, on its falling
    // log segments, is 60.24 and 50.24 dBuV.
    void shippedLimits() {
        const QString folder = QStringLiteral(TK_SOURCE_DIR "/examples/limits/");
        for (const StandardLimits& limits : CisprConductedLimits()) {
            MeasurementModel table;
            ApplyStandardLimits(limits, table);
            QCOMPARE(FileBytes(folder + limits.fileName), BoundariesBytes(table));
        }
        MeasurementModel m;
        ScriptedDialogs dialogs;
        const QString classB = folder + "cispr32-class-b-mains.grn";
        QCOMPARE(LoadBoundariesFile(classB, m, dialogs), BoundariesLoad::Loaded);
        const BoundaryLevels at = BoundaryLevelsAt(m, 0.3f);
        QCOMPARE((QList<int>{at.boundaryLevelActual, at.boundaryLevelPeak, at.boundaryLevelAverage}),
                 (QList<int>{-47, -47, -57}));
    }
};

QTEST_GUILESS_MAIN(TestBoundariesFile)
#include "tst_boundariesfile.moc"
