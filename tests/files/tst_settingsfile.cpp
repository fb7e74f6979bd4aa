// What the layout-driven check of every loader leaves to the settings file: unknown tags, long bare names
// and stored values that select no option.
#include <QtTest>

#include "SampleFiles.h"
#include "SettingsFile.h"

using namespace tk;
using namespace tk::test;

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void set1LongNameIsCut() {
        QByteArray file = SettingsSample(1).bytes;
        file.insert(7, QByteArray(40, 'n'));  // in front of the bare name
        MeasurementModel m;
        QCOMPARE(ReadSettings(file, m), LoadResult::Loaded);
        QCOMPARE(m.settings.userUnitName.bytes(), QByteArray(30, 'n'));
        QCOMPARE(m.settings.userUnitOffset, -97.5f);
        QCOMPARE(m.settings.portNumber, 4);
    }

    void unknownTagChangesNothing_data() {
        QTest::addColumn<QByteArray>("tag");
        QTest::newRow("capital") << QByteArray("SET4 ");
        QTest::newRow("version 5") << QByteArray("set5 ");
        QTest::newRow("version 0") << QByteArray("set0 ");
        QTest::newRow("no blank") << QByteArray("set4\0", 5);
        QTest::newRow("boundaries") << QByteArray("grn  ");
    }
    void unknownTagChangesNothing() {
        QFETCH(QByteArray, tag);
        MeasurementModel m;
        const QByteArray before = WriteSettings(m);
        QCOMPARE(ReadSettings(tag + SettingsSample(4).bytes.mid(5), m), LoadResult::Refused);
        QCOMPARE(WriteSettings(m), before);
    }

    // A stored value that would select a missing option or divide by zero keeps the current value.
    void outOfRangeValueKeepsTheCurrentOne_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        for (const auto& [name, offset, value] :
             std::vector<std::tuple<const char*, int, int>>{{"unit 4", 113, 4},
                                                            {"unit -1", 113, -1},
                                                            {"bandwidth 4", 149, 4},
                                                            {"port 0", 155, 0},
                                                            {"port 5", 155, 5},
                                                            {"resolution 0", 157, 0},
                                                            {"resolution 3", 157, 3},
                                                            {"baud 0", 159, 0},
                                                            {"baud 6", 159, 6}})
            QTest::newRow(name) << offset << value;
    }
    void outOfRangeValueKeepsTheCurrentOne() {
        QFETCH(int, offset);
        QFETCH(int, value);
        QByteArray file = SettingsSample(4).bytes;
        file.replace(offset, 2, QByteArray(1, char(value)) + QByteArray(1, char(value < 0 ? 0xFF : 0)));
        MeasurementModel m;
        const QByteArray before = WriteSettings(m);
        QCOMPARE(ReadSettings(file, m), LoadResult::Incomplete);
        QByteArray expected = file;
        expected.replace(offset, 2, before.mid(offset, 2));
        QCOMPARE(WriteSettings(m), expected);
    }
};

QTEST_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
