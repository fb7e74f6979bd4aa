#include <QtTest>

#include "LayoutBytes.h"
#include "SettingsFile.h"

using namespace tk;
using namespace tk::test;

namespace {

enum Group { Print = 1, Unit = 2, Set4 = 4, Tail = 8 };

// The print setup and unit of "set3 "/"set4 " (offsets 5..148), every value unlike the model's defaults.
void AppendPrintAndUnit(LayoutBytes& b) {
    b.i16(-1).i16(0).i16(-1).i16(-1).i16(-1).i16(-1).i16(-1).i16(-1);
    b.text(80, "Headline  ").i16(0).i16(0).f32(100.5f).f32(1500.25f);
    b.i16(3).text(30, "Volt").f32(-97.5f);
}
void AppendTail(LayoutBytes& b) {
    b.i16(3).i16(2).i16(4).i16(0).i16(0).i16(0).i32(7).i32(70000).i32(123);
    b.f32(1.25f).f32(10.5f).f32(433.92f).f32(2.0f).i16(-1).i16(-1).i16(-1);
}
QByteArray Set4File() {
    LayoutBytes b;
    b.tag("set4 ");
    AppendPrintAndUnit(b);
    b.i16(1).i16(-1).i16(0);
    AppendTail(b);
    return b.bytes();
}

// Widths of the "set4 " fields in order, to find where a cut file's last complete field ends.
const int kSet4Widths[] = {5, 2, 2, 2, 2, 2, 2, 2, 2, 80, 2, 2, 4, 4, 2, 30, 4, 2,
                           2, 2, 2, 2, 2, 2, 2, 2, 4, 4,  4, 4, 4, 4, 4, 2,  2, 2};

qsizetype CompleteFieldsEnd(qsizetype length) {
    qsizetype end = 0;
    for (int w : kSet4Widths) {
        if (end + w > length) break;
        end += w;
    }
    return end;
}

void CheckGroups(const MeasurementModel& m, int groups) {
    const MeasurementModel d;
    const MeasurementSettings& s = m.settings;
    const MeasurementSettings& ds = d.settings;
    auto is = [](int loaded, auto fromFile, auto before) { return loaded ? fromFile : before; };
    const int p = groups & Print, u = groups & Unit, x = groups & Set4, t = groups & Tail;
    QCOMPARE(m.printComparison.raw(), is(p, -1, d.printComparison.raw()));
    QCOMPARE(m.printBlackWhite.raw(), is(p, 0, d.printBlackWhite.raw()));
    QCOMPARE(m.printActual.raw(), is(p, -1, d.printActual.raw()));
    QCOMPARE(m.printPeak.raw(), is(p, -1, d.printPeak.raw()));
    QCOMPARE(m.printAverage.raw(), is(p, -1, d.printAverage.raw()));
    QCOMPARE(m.printBoundaryActual.raw(), is(p, -1, d.printBoundaryActual.raw()));
    QCOMPARE(m.printBoundaryPeak.raw(), is(p, -1, d.printBoundaryPeak.raw()));
    QCOMPARE(m.printBoundaryAverage.raw(), is(p, -1, d.printBoundaryAverage.raw()));
    QCOMPARE(m.printHeadline.text(),
             is(p, QByteArray("Headline").leftJustified(80), d.printHeadline.bytes()));
    QCOMPARE(m.printDateTime.raw(), is(p, 0, d.printDateTime.raw()));
    QCOMPARE(m.printFileName.raw(), is(p, 0, d.printFileName.raw()));
    QCOMPARE(m.printFromMHz, is(p, 100.5f, d.printFromMHz));
    QCOMPARE(m.printToMHz, is(p, 1500.25f, d.printToMHz));
    QCOMPARE(s.levelUnit, is(u, 3, ds.levelUnit));
    QCOMPARE(s.userUnitName.bytes(), is(u, QByteArray("Volt").leftJustified(30), ds.userUnitName.bytes()));
    QCOMPARE(s.userUnitOffset, is(u, -97.5f, ds.userUnitOffset));
    QCOMPARE(s.bandwidthIndex, is(x, 1, ds.bandwidthIndex));
    QCOMPARE(s.videoFilterOn, is(x, -1, ds.videoFilterOn));
    QCOMPARE(m.printSettings, is(x, 0, d.printSettings));
    QCOMPARE(s.portNumber, is(t, 3, ds.portNumber));
    QCOMPARE(s.resolution, is(t, 2, ds.resolution));
    QCOMPARE(s.baudIndex, is(t, 4, ds.baudIndex));
    QCOMPARE(s.showActual.raw(), is(t, 0, ds.showActual.raw()));
    QCOMPARE(s.showPeak.raw(), is(t, 0, ds.showPeak.raw()));
    QCOMPARE(s.showAverage.raw(), is(t, 0, ds.showAverage.raw()));
    QCOMPARE(s.actualInterval, is(t, 7, ds.actualInterval));
    QCOMPARE(s.peakInterval, is(t, 70000, ds.peakInterval));
    QCOMPARE(s.averageInterval, is(t, 123, ds.averageInterval));
    QCOMPARE(s.noiseSuppression, is(t, 1.25f, ds.noiseSuppression));
    QCOMPARE(s.attenuation, is(t, 10.5f, ds.attenuation));
    QCOMPARE(s.centerFreq, is(t, 433.92f, ds.centerFreq));
    QCOMPARE(s.scanWidth, is(t, 2.0f, ds.scanWidth));
    QCOMPARE(s.limitActual.raw(), is(t, -1, ds.limitActual.raw()));
    QCOMPARE(s.limitPeak.raw(), is(t, -1, ds.limitPeak.raw()));
    QCOMPARE(s.limitAverage.raw(), is(t, -1, ds.limitAverage.raw()));
}

}  // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    // Every version, written from its layout, loads the fields it holds and leaves the others alone.
    void everyVersion_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("groups");
        QTest::addColumn<int>("size");
        LayoutBytes v0, v1, v2, v3;
        v0.tag("set  ");
        AppendTail(v0);
        // The bare name runs up to the offset's first byte, which is 0 (-97.5 is 00 00 C3 C2).
        v1.tag("set1 ").i16(3).raw("Volt").f32(-97.5f);
        AppendTail(v1);
        v2.tag("set2 ").i16(3).text(30, "Volt").f32(-97.5f);
        AppendTail(v2);
        v3.tag("set3 ");
        AppendPrintAndUnit(v3);
        AppendTail(v3);
        QTest::newRow("set") << v0.bytes() << int(Tail) << 51;
        QTest::newRow("set1") << v1.bytes() << (Unit | Tail) << 57 + 4;
        QTest::newRow("set2") << v2.bytes() << (Unit | Tail) << 87;
        QTest::newRow("set3") << v3.bytes() << (Print | Unit | Tail) << 195;
        QTest::newRow("set4") << Set4File() << (Print | Unit | Set4 | Tail) << 201;
    }
    void everyVersion() {
        QFETCH(QByteArray, file);
        QFETCH(int, groups);
        QFETCH(int, size);
        QCOMPARE(file.size(), size);
        MeasurementModel m;
        QCOMPARE(ReadSettings(file, m), LoadResult::Loaded);
        CheckGroups(m, groups);
    }

    void set4RoundTripsBitForBit() {
        MeasurementModel m;
        QCOMPARE(ReadSettings(Set4File(), m), LoadResult::Loaded);
        QCOMPARE(WriteSettings(m), Set4File());
        QCOMPARE(WriteSettings(MeasurementModel{}).size(), SETTINGS_FILE_SIZE);
    }

    // A cut file keeps every field it holds whole; the fields after the cut keep their values.
    void truncatedFile_data() {
        QTest::addColumn<int>("length");
        QTest::newRow("inside the tag") << 3;
        QTest::newRow("tag only") << 5;
        QTest::newRow("inside the headline") << 60;
        QTest::newRow("inside the unit name") << 120;
        QTest::newRow("at the tail") << 155;
        QTest::newRow("one byte short") << 200;
    }
    void truncatedFile() {
        QFETCH(int, length);
        MeasurementModel m;
        const QByteArray before = WriteSettings(m);
        const LoadResult result = ReadSettings(Set4File().left(length), m);
        QCOMPARE(result, length < 5 ? LoadResult::Refused : LoadResult::Incomplete);
        const qsizetype end = CompleteFieldsEnd(length);
        QCOMPARE(WriteSettings(m), Set4File().left(end) + before.mid(end));
    }

    void set1NameWithoutEnd() {
        LayoutBytes b;
        b.tag("set1 ").i16(2).raw("Volt and no end");
        MeasurementModel m;
        QCOMPARE(ReadSettings(b.bytes(), m), LoadResult::Incomplete);
        QCOMPARE(m.settings.levelUnit, 2);
        QCOMPARE(m.settings.userUnitName.trimmed(), QStringLiteral("User"));
    }

    void set1LongNameIsCut() {
        LayoutBytes b;
        b.tag("set1 ").i16(3).raw(QByteArray(40, 'n')).f32(-97.5f);
        AppendTail(b);
        MeasurementModel m;
        QCOMPARE(ReadSettings(b.bytes(), m), LoadResult::Loaded);
        QCOMPARE(m.settings.userUnitName.bytes(), QByteArray(30, 'n'));
        QCOMPARE(m.settings.userUnitOffset, -97.5f);
        QCOMPARE(m.settings.portNumber, 3);
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
        QCOMPARE(ReadSettings(tag + Set4File().mid(5), m), LoadResult::Refused);
        QCOMPARE(WriteSettings(m), before);
    }

    // A stored value that would select a missing option or divide by zero keeps the current value.
    void outOfRangeValueKeepsTheCurrentOne_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::newRow("unit 4") << 113 << 4;
        QTest::newRow("unit -1") << 113 << -1;
        QTest::newRow("bandwidth 4") << 149 << 4;
        QTest::newRow("port 0") << 155 << 0;
        QTest::newRow("port 5") << 155 << 5;
        QTest::newRow("resolution 0") << 157 << 0;
        QTest::newRow("resolution 3") << 157 << 3;
        QTest::newRow("baud 0") << 159 << 0;
        QTest::newRow("baud 6") << 159 << 6;
    }
    void outOfRangeValueKeepsTheCurrentOne() {
        QFETCH(int, offset);
        QFETCH(int, value);
        QByteArray file = Set4File();
        file.replace(offset, 2, LayoutBytes().i16(value).bytes());
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
