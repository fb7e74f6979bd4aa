// What the layout-driven check of every loader leaves to the settings file: long bare names and stored
// values that select no option.
#include <QtTest>

#include "Rows.h"
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
    }

    // A stored value that would select a missing option or divide by zero keeps the current value.
    void outOfRangeValueKeepsTheCurrentOne_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        Row("unit 4", 113, 4);
        Row("unit -1", 113, -1);
        Row("bandwidth 4", 149, 4);
        Row("port 0", 155, 0);
        Row("port 5", 155, 5);
        Row("resolution 0", 157, 0);
        Row("resolution 3", 157, 3);
        Row("baud 0", 159, 0);
        Row("baud 6", 159, 6);
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
