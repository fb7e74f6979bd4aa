#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "ScriptFile.h"
#include "ScriptedDialogs.h"

using namespace tk;
using tk::test::ScriptedDialogs;

namespace {

void PutInt16(QByteArray& b, qsizetype at, qint16 v) {
    qToLittleEndian<qint16>(v, b.data() + at);
}
void PutText(QByteArray& b, qsizetype at, const QByteArray& text, int width = 80) {
    b.replace(at, width, text.leftJustified(width, ' ', true));
}

// A script file built from the layout: step i has message "Step i", delay i+1, settings "s<i>.set",
// serial "1,<i>", lpt 2, COM3 at 9600 E 7 2 with flow control 3; the current layout prints on odd steps.
QByteArray Golden(bool current) {
    const qsizetype group = current ? 577 : 575;
    QByteArray b(5 + 10 * group, '\0');
    b.replace(0, 5, current ? "scp1 " : "scp  ");
    for (int i = 0; i < 10; ++i) {
        qsizetype at = 5 + group * i;
        if (current) {
            PutInt16(b, at, i % 2 ? -1 : 0);
            at += 2;
        }
        PutText(b, at, "Step " + QByteArray::number(i));
        PutInt16(b, at + 80, static_cast<qint16>(i + 1));
        PutText(b, at + 82, "s" + QByteArray::number(i) + ".set");
        PutText(b, at + 162, "-");
        PutText(b, at + 242, "-");
        PutText(b, at + 322, "m" + QByteArray::number(i) + ".mes");
        PutText(b, at + 402, "1," + QByteArray::number(i));
        PutText(b, at + 482, "-");
        PutInt16(b, at + 562, 2);
        PutInt16(b, at + 564, 3);
        PutInt16(b, at + 566, 9600);
        b[at + 568] = 'E';
        PutInt16(b, at + 569, 7);
        PutInt16(b, at + 571, 2);
        PutInt16(b, at + 573, 3);
    }
    return b;
}

void CheckStep(const ScriptStep& s, int i) {
    QCOMPARE(s.messageText.text(), QStringLiteral("Step %1").arg(i).leftJustified(80));
    QCOMPARE(s.delayMinutes, i + 1);
    QCOMPARE(s.settingsFile.rightTrimmed(), QStringLiteral("s%1.set").arg(i));
    QCOMPARE(s.measurementFile.rightTrimmed(), QStringLiteral("m%1.mes").arg(i));
    QCOMPARE(s.serialOutput.rightTrimmed(), QStringLiteral("1,%1").arg(i));
    QCOMPARE(s.parallelPort, 2);
    QCOMPARE(s.controlPort, 3);
    QCOMPARE(s.controlBaud, 9600);
    QCOMPARE(s.controlParity.text(), QStringLiteral("E"));
    QCOMPARE(s.controlDataBits, 7);
    QCOMPARE(s.controlStopBits, 2);
    QCOMPARE(s.controlHandshake, 3);
}

}  // namespace

class TestScriptFile : public QObject {
    Q_OBJECT
private slots:
    void currentLayoutLoadsAndSavesByteForByte() {
        const QByteArray golden = Golden(true);
        QCOMPARE(golden.size(), SCRIPT_FILE_SIZE);
        ScriptTable table{};
        table[SCRIPT_END_POSITION].messageText.set(QStringLiteral("end"));
        QCOMPARE(LoadScriptBytes(golden, table), ScriptLoad::Loaded);
        for (int i = 0; i < 10; ++i) {
            CheckStep(table[static_cast<std::size_t>(i)], i);
            QCOMPARE(bool(table[static_cast<std::size_t>(i)].printMeasurement), i % 2 == 1);
        }
        QCOMPARE(table[SCRIPT_END_POSITION].messageText.rightTrimmed(), QStringLiteral("end"));
        QCOMPARE(ScriptBytes(table), golden);
    }

    void olderLayoutKeepsThePrintFlags() {
        ScriptTable table{};
        table[3].printMeasurement = true;
        QCOMPARE(Golden(false).size(), SCRIPT_FILE_SIZE_OLD);
        QCOMPARE(LoadScriptBytes(Golden(false), table), ScriptLoad::Loaded);
        for (int i = 0; i < 10; ++i) {
            CheckStep(table[static_cast<std::size_t>(i)], i);
            QCOMPARE(bool(table[static_cast<std::size_t>(i)].printMeasurement), i == 3);
        }
        QCOMPARE(ScriptBytes(table).left(5), QByteArray("scp1 "));
    }

    void badFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("stepsRead");  // steps whose message was taken
        const auto tagged = [](const char* tag) { return QByteArray(tag) + Golden(true).mid(5); };
        QTest::newRow("upper case tag") << tagged("SCP1 ") << int(ScriptLoad::TagUnknown) << 0;
        QTest::newRow("other version") << tagged("scp2 ") << int(ScriptLoad::TagUnknown) << 0;
        QTest::newRow("other format") << tagged("set4 ") << int(ScriptLoad::TagUnknown) << 0;
        QTest::newRow("no tag") << QByteArray("scp") << int(ScriptLoad::NotOpened) << 0;
        QTest::newRow("tag only") << QByteArray("scp1 ") << int(ScriptLoad::ShortRead) << 0;
        QTest::newRow("ends in step 3")
            << Golden(true).left(5 + 577 * 3 + 100) << int(ScriptLoad::ShortRead) << 4;
        QTest::newRow("one byte short") << Golden(true).chopped(1) << int(ScriptLoad::ShortRead) << 10;
    }
    void badFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, result);
        QFETCH(int, stepsRead);
        ScriptTable table{};
        QCOMPARE(int(LoadScriptBytes(bytes, table)), result);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(table[static_cast<std::size_t>(i)].messageText.rightTrimmed(),
                     i < stepsRead ? QStringLiteral("Step %1").arg(i) : QStringLiteral("-"));
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
        QByteArray bytes = Golden(true);
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
