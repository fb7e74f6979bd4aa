// What the layout-driven check of every loader leaves to the script file: what a load leaves of the table
// before, delays out of range, and the message for a missing file.
#include <QTemporaryDir>
#include <QTest>

#include "SampleFiles.h"
#include "ScriptFile.h"
#include "ScriptedDialogs.h"

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

    // A script that cannot be opened is named in a message. The file commands' tests load scripts, and
    // every save is the writer's test.
    void missingScript() {
        QTemporaryDir dir;
        MeasurementModel model;
        ScriptedDialogs dialogs;
        model.scriptFileName = dir.filePath(QStringLiteral("missing.scp"));
        QCOMPARE(LoadScript(model, dialogs), ScriptLoad::NotOpened);
        QCOMPARE(dialogs.messages, QList<ScriptedDialogs::Message>({{"Cannot open file", "File handling"}}));
    }
};

QTEST_GUILESS_MAIN(TestScriptFile)
#include "tst_scriptfile.moc"
