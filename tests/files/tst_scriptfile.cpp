// What the layout-driven check of every loader leaves to the script file: what a load leaves of the table
// before, and delays out of range. tests/app/headless.sh runs a script that cannot be opened.
#include <QTest>

#include "SampleFiles.h"
#include "ScriptFile.h"

using namespace tk;
using namespace tk::test;

class TestScriptFile : public QObject {
    Q_OBJECT
private slots:
    // Position 10 is never loaded; the older layout leaves the print flags as they were.
    void loadsLeaveWhatTheFileDoesNotHold() {
        ScriptTable table{};
        table[3].printMeasurement = true;
        table[SCRIPT_END_POSITION].messageText.set(QStringLiteral("end"));
        QCOMPARE(LoadScriptBytes(ScriptSample(0).bytes, table), ScriptLoad::Loaded);
        QCOMPARE(table[SCRIPT_END_POSITION].messageText.rightTrimmed(), QStringLiteral("end"));
        for (std::size_t i = 0; i < 10; ++i)
            QCOMPARE(table[i].printMeasurement.raw(), std::int16_t(i == 3 ? -1 : 0));
    }

    // Out of range is brought into 0..2000; nothing stays of the delay the position held before.
    void delayOutOfRangeIsClamped_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("loaded");
        QTest::newRow("2000") << 2000 << 2000;
        QTest::newRow("2001") << 2001 << 2000;
        QTest::newRow("negative") << -5 << 0;
    }
    void delayOutOfRangeIsClamped() {
        QFETCH(int, stored);
        QByteArray bytes = ScriptSample(1).bytes;
        bytes.replace(5 + 2 + 80, 2, I16(stored));
        ScriptTable table{};
        table[0].delayMinutes = 7;
        QCOMPARE(LoadScriptBytes(bytes, table), ScriptLoad::Loaded);
        QTEST(int(table[0].delayMinutes), "loaded");
    }
};

QTEST_GUILESS_MAIN(TestScriptFile)
#include "tst_scriptfile.moc"
