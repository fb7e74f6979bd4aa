#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "SampleFiles.h"
#include "ScriptFile.h"
#include "ScriptedDialogs.h"

using namespace tk;
using namespace tk::test;

namespace {

void PutInt16(QByteArray& b, qsizetype at, qint16 v) {
    qToLittleEndian<qint16>(v, b.data() + at);
}

}  // namespace

class TestScriptFile : public QObject {
    Q_OBJECT
private slots:
    // Position 10 is never loaded; the older layout leaves the print flags as they were.
    void loadsLeaveWhatTheFileDoesNotHold() {
        for (int version : {0, 1}) {
            ScriptTable table{};
            table[3].printMeasurement = true;
            table[SCRIPT_END_POSITION].messageText.set(QStringLiteral("end"));
            QCOMPARE(LoadScriptBytes(ScriptSample(version).bytes, table), ScriptLoad::Loaded);
            QCOMPARE(table[SCRIPT_END_POSITION].messageText.rightTrimmed(), QStringLiteral("end"));
            const auto want = ScriptSample(version).loaded();
            for (std::size_t i = 0; i < 10; ++i)
                QCOMPARE(table[i].printMeasurement.raw(),
                         version == 1 ? (*want)[i].printMeasurement.raw() : std::int16_t(i == 3 ? -1 : 0));
        }
    }

    void badFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("result");
        const auto tagged = [](const char* tag) { return QByteArray(tag) + ScriptSample(1).bytes.mid(5); };
        QTest::newRow("upper case tag") << tagged("SCP1 ") << int(ScriptLoad::TagUnknown);
        QTest::newRow("other version") << tagged("scp2 ") << int(ScriptLoad::TagUnknown);
        QTest::newRow("other format") << tagged("set4 ") << int(ScriptLoad::TagUnknown);
    }
    void badFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, result);
        ScriptTable table{};
        QCOMPARE(int(LoadScriptBytes(bytes, table)), result);
        QCOMPARE(ScriptBytes(table), ScriptBytes(ScriptTable{}));
    }

    // Out of range is brought into 0..2000; nothing stays of the delay the position held before.
    void delayOutOfRangeIsClamped_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("loaded");
        QTest::newRow("2000") << 2000 << 2000;
        QTest::newRow("2001") << 2001 << 2000;
        QTest::newRow("largest") << 32767 << 2000;
        QTest::newRow("negative") << -5 << 0;
    }
    void delayOutOfRangeIsClamped() {
        QFETCH(int, stored);
        QByteArray bytes = ScriptSample(1).bytes;
        PutInt16(bytes, 5 + 2 + 80, static_cast<qint16>(stored));
        ScriptTable table{};
        table[0].delayMinutes = 7;
        QCOMPARE(LoadScriptBytes(bytes, table), ScriptLoad::Loaded);
        QFETCH(int, loaded);
        QCOMPARE(table[0].delayMinutes, loaded);
    }

    void fileCommandsReportFailures() {
        QTemporaryDir dir;
        MeasurementModel model;
        ScriptedDialogs dialogs;
        model.scriptFileName = dir.filePath(QStringLiteral("missing.scp"));
        QCOMPARE(LoadScript(model, dialogs), ScriptLoad::NotOpened);
        model.scriptFileName = dir.path();
        QVERIFY(!SaveScript(model, dialogs));
        QCOMPARE(dialogs.messages, QList<ScriptedDialogs::Message>({{"Cannot open file", "File handling"},
                                                                    {"File error", "File handling"}}));
        model.scriptFileName = dir.filePath(QStringLiteral("a.scp"));
        model.scriptTable[2].messageText.set(QStringLiteral("kept"));
        QVERIFY(SaveScript(model, dialogs));
        QFile f(model.scriptFileName);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.size(), SCRIPT_FILE_SIZE);
        model.scriptTable = ScriptTable{};
        QCOMPARE(LoadScript(model, dialogs), ScriptLoad::Loaded);
        QCOMPARE(model.scriptTable[2].messageText.rightTrimmed(), QStringLiteral("kept"));
    }
};

QTEST_GUILESS_MAIN(TestScriptFile)
#include "tst_scriptfile.moc"
