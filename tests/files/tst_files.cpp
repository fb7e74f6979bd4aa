#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>
#include <csignal>
#include <cstring>

#include "BoundariesFile.h"
#include "BoundaryLevels.h"
#include "CalibrationFile.h"
#include "CurvePoints.h"
#include "FileBytes.h"
#include "FileConfinement.h"
#include "FileIO.h"
#include "FileOperations.h"
#include "MeasurementFile.h"
#include "ParameterFile.h"
#include "Rows.h"
#include "RunReport.h"
#include "SampleFiles.h"
#include "ScriptFile.h"
#include "ScriptedDialogs.h"
#include "SettingsFile.h"
#include "StandardLimits.h"
#include "TableExport.h"

using namespace tk;
using namespace tk::test;

namespace {

// Makes a model's every file differ from the defaults'.
void Change(MeasurementModel& model) {
    model.settings.centerFreq = 123.0f;
    model.traceActual.fill(7);
    model.boundaryActual.levelDbm[0] = 5.0f;
    model.calibrationCurve.pointCount = 2;
    model.calibrationCurve.freqMHz[1] = 30.0f;
    model.scriptTable[0].delayMinutes = 9;
}

// Writes to regular files fail once they would grow a file past n bytes.
void LimitFileSize(rlim_t n) {
    const rlimit limit{n, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &limit);
}

// Bytes that end right where an unreadable page begins, so a read past them stops the test.
class GuardedBuffer {
public:
    explicit GuardedBuffer(qsizetype capacity) {
        const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        m_size = (static_cast<std::size_t>(capacity) + page - 1) / page * page + page;
        m_base = static_cast<char*>(
            mmap(nullptr, m_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(m_base + m_size - page, page, PROT_NONE);
        m_end = m_base + m_size - page;
    }
    ~GuardedBuffer() { munmap(m_base, m_size); }
    QByteArray place(const QByteArray& bytes) {
        char* start = m_end - bytes.size();
        std::memcpy(start, bytes.constData(), static_cast<std::size_t>(bytes.size()));
        return QByteArray::fromRawData(start, bytes.size());
    }

private:
    char* m_base = nullptr;
    char* m_end = nullptr;
    std::size_t m_size = 0;
};

// Loads every prefix of a sample file into a default model and compares what the writer makes of it with
// the sample's own fields up to the cut; then the whole file under tags it does not have, in capitals, of
// another version and without its last character, which change nothing. `results` are the loader's codes
// for a cut tag, a short file, a loaded one and an unknown tag.
template <typename Model, typename Load, typename Write>
void CheckEveryCut(const SampleFile<Model>& sample, Load load, Write write, std::array<int, 4> results,
                   bool current) {
    const QByteArray& bytes = sample.bytes;
    if (current) QCOMPARE(write(*sample.loaded()), bytes);
    GuardedBuffer buffer(bytes.size());
    const auto fresh = std::make_unique<Model>();
    auto expected = std::make_unique<Model>();
    auto got = std::make_unique<Model>();
    QByteArray want = write(*expected);
    std::size_t whole = 0;
    for (qsizetype n = 0; n <= bytes.size(); ++n) {
        if (whole < sample.fields.size() && sample.fields[whole].end <= n) {
            while (whole < sample.fields.size() && sample.fields[whole].end <= n)
                sample.fields[whole++].load(*expected);
            want = write(*expected);
        }
        *got = *fresh;
        const int result = load(buffer.place(bytes.left(n)), *got);
        const int wanted = results[n < 5 ? 0 : n < bytes.size() ? 1 : 2];
        if (result != wanted || write(*got) != want)
            QFAIL(qPrintable(QStringLiteral("cut after %1 of %2 bytes: result %3, expected %4; the model %5")
                                 .arg(n)
                                 .arg(bytes.size())
                                 .arg(result)
                                 .arg(wanted)
                                 .arg(write(*got) == want ? "as expected" : "differs")));
    }
    QByteArray capitals = bytes, version = bytes, shortTag = bytes;
    capitals.replace(0, 3, bytes.left(3).toUpper());
    version[3] = '9';
    shortTag[4] = '\0';
    for (const QByteArray& other : {capitals, version, shortTag}) {
        *got = *fresh;
        if (load(other, *got) != results[3] || write(*got) != write(*fresh))
            QFAIL(("tag " + other.left(5).toHex(' ')).constData());
    }
}

QByteArray Pairs(const Points& points) {
    QByteArray b;
    for (const auto& p : points) b += F32(p.first) + F32(p.second);
    return b;
}

Points Numbered(int n) {
    Points p;
    for (int i = 0; i < n; ++i) p.append({10.0f * static_cast<float>(i + 1), 0.5f * static_cast<float>(i)});
    return p;
}

// What the curve held before a load.
const Points BEFORE = {{1.0f, 11.0f}, {2.0f, 12.0f}, {3.0f, 13.0f}, {4.0f, 14.0f}, {5.0f, 15.0f}};

void Fill(MeasurementModel& m, float value) {
    for (BoundaryLine* b : {&m.boundaryActual, &m.boundaryAverage, &m.boundaryPeak}) {
        b->freqMHz.fill(value);
        b->levelDbm.fill(value);
        b->logSegment.fill(7);
    }
}

}  // namespace

class TestFiles : public QObject {
    Q_OBJECT
private slots:
    // Every data file's save, cut off by the file system after each possible number of bytes, reports the
    // failure and leaves the previous file byte for byte, with no temporary file beside it.
    void interruptedSaveKeepsThePreviousFile_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"set", "grn", "mes", "eic", "scp", "tab"}) QTest::newRow(kind) << kind;
    }
    void interruptedSaveKeepsThePreviousFile() {
        QFETCH(QString, kind);
        // Thousands of saves: in memory where the system offers it, so disk syncs do not set the pace.
        QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                              ? QStringLiteral("/dev/shm/tk-XXXXXX")
                              : QString());
        const QString path = dir.filePath(QStringLiteral("x.") + kind);
        MeasurementModel model;
        model.settings.resolution = 8;
        model.scriptFileName = path;
        ScriptedDialogs dialogs;
        const auto save = [&] {
            if (kind == u"set") return SaveSettingsFile(path, model, dialogs);
            if (kind == u"grn") return SaveBoundariesFile(path, model, dialogs);
            if (kind == u"mes") return SaveMeasurementFile(path, model, dialogs);
            if (kind == u"eic") return SaveCalibrationFile(path, model.calibrationCurve);
            if (kind == u"scp") return SaveScript(model, dialogs);
            return ExportTableFile(path, model, 1, dialogs);
        };
        QVERIFY(save());
        const QByteArray previous = FileBytes(path);
        Change(model);
        QVERIFY(save());
        const qint64 size = FileBytes(path).size();
        QVERIFY(WriteFileAtomically(path, previous));
        signal(SIGXFSZ, SIG_IGN);
        // Every position of the first and last 512 bytes, and a spread in between: past a few blocks of the
        // device's buffer one position is like the next, and the large files would take minutes.
        for (qint64 n = 0; n <= size; n += n < 512 || n >= size - 512 ? 1 : 97) {
            dialogs.messages.clear();
            LimitFileSize(static_cast<rlim_t>(n));
            const bool saved = save();
            LimitFileSize(RLIM_INFINITY);
            if (n == size) {
                QVERIFY(saved);
                QVERIFY(FileBytes(path) != previous);
                break;
            }
            QVERIFY(!saved);
            QCOMPARE(FileBytes(path), previous);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
            if (kind != u"eic")
                QCOMPARE(dialogs.messages,
                         (QList<ScriptedDialogs::Message>{{"File error", "File handling"}}));
        }
    }

    // Every version of every data file, laid out field by field, loads into exactly the model its fields
    // name; the current version is what the writer writes for that model. Cut after any number of bytes it
    // gives the whole fields before the cut and nothing else, and no byte past its end is read: the prefix
    // sits right before a page the process may not read.
    void everyVersionAndEveryCut_data() {
        QTest::addColumn<int>("file");
        const char* names[] = {"set",  "set1", "set2", "set3", "set4", "grn", "mes",  "mes1", "mes2",
                               "mes3", "mes4", "mes5", "eic",  "eic1", "scp", "scp1", "par"};
        for (int i = 0; i < 17; ++i) QTest::newRow(names[i]) << i;
    }
    void everyVersionAndEveryCut() {
        QFETCH(int, file);
        using M = MeasurementModel;
        const auto settings = [](const QByteArray& b, M& m) { return int(ReadSettings(b, m)); };
        const auto measurement = [](const QByteArray& b, M& m) { return int(ReadMeasurement(b, m)); };
        // Load results for a cut tag, a short file, a loaded one and an unknown tag.
        const std::array<int, 4> result{int(LoadResult::Refused), int(LoadResult::Incomplete),
                                        int(LoadResult::Loaded), int(LoadResult::Refused)};
        if (file < 5)
            CheckEveryCut(SettingsSample(file), settings, WriteSettings, result, file == 4);
        else if (file == 5)
            CheckEveryCut(
                BoundariesSample(), [](const QByteArray& b, M& m) { return int(LoadBoundaries(b, m)); },
                BoundariesBytes,
                {int(BoundariesLoad::TagUnknown), int(BoundariesLoad::ShortRead), int(BoundariesLoad::Loaded),
                 int(BoundariesLoad::TagUnknown)},
                true);
        else if (file < 12)
            CheckEveryCut(MeasurementSample(file - 6, file == 11 ? 4 : 8), measurement, WriteMeasurement,
                          result, file == 11);
        else if (file < 14)
            CheckEveryCut(
                CalibrationSample(file - 12),
                [](const QByteArray& b, CalibrationCurve& c) { return int(LoadCalibrationBytes(b, c)); },
                CalibrationFileBytes,
                {int(CalibrationLoad::CannotOpen), int(CalibrationLoad::ShortRead),
                 int(CalibrationLoad::Loaded), int(CalibrationLoad::UnknownTag)},
                file == 13);
        else if (file < 16)
            CheckEveryCut(
                ScriptSample(file - 14),
                [](const QByteArray& b, ScriptTable& t) { return int(LoadScriptBytes(b, t)); }, ScriptBytes,
                {int(ScriptLoad::NotOpened), int(ScriptLoad::ShortRead), int(ScriptLoad::Loaded),
                 int(ScriptLoad::TagUnknown)},
                file == 15);
        else
            CheckEveryCut(
                ParameterSample(),
                [](const QByteArray& b, ParameterFields& p) {
                    QBuffer buffer;
                    buffer.setData(b);
                    buffer.open(QIODevice::ReadOnly);
                    return int(ReadParameterFile(buffer, p));
                },
                [](const ParameterFields& p) {
                    QBuffer buffer;
                    buffer.open(QIODevice::WriteOnly);
                    WriteParameterFile(buffer, p);
                    return buffer.data();
                },
                {int(ParameterReadResult::BadSignature), int(ParameterReadResult::ReadFailed),
                 int(ParameterReadResult::Ok), int(ParameterReadResult::BadSignature)},
                true);
    }

    void unusablePathsFail() {
        QTemporaryDir dir;
        QVERIFY(!WriteFileAtomically(dir.path(), "x"));
        QVERIFY(!WriteFileAtomically(dir.filePath(QStringLiteral("no/such/folder/x.grn")), "x"));
        QVERIFY(!ReadFileBytes(dir.path(), 100));
        QVERIFY(!ReadFileBytes(dir.filePath(QStringLiteral("missing.grn")), 100));
        QVERIFY(WriteFileAtomically(dir.filePath(QStringLiteral("big")), QByteArray(50, 'z')));
        QCOMPARE(ReadFileBytes(dir.filePath(QStringLiteral("big")), 10)->size(), 10);
    }

    // Under a folder's descriptor no link is followed, whichever way the name is walked.
    void openBeneathFollowsNoLink() {
        QTemporaryDir outside, dir;
        const QDir in(dir.path());
        QVERIFY(in.mkdir(QStringLiteral("sub")) && WriteBytes(in.filePath(QStringLiteral("sub/b.set")), "b"));
        QVERIFY(WriteBytes(in.filePath(QStringLiteral("a.set")), "a"));
        QVERIFY(WriteBytes(QDir(outside.path()).filePath(QStringLiteral("x")), "x"));
        QFile::link(in.filePath(QStringLiteral("a.set")), in.filePath(QStringLiteral("in")));
        QFile::link(QDir(outside.path()).filePath(QStringLiteral("x")), in.filePath(QStringLiteral("out")));
        QFile::link(outside.path(), in.filePath(QStringLiteral("outdir")));
        const int folder = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY);
        const struct {
            const char* name;
            bool opens;
        } rows[] = {{"a.set", true},     {"sub/b.set", true},    {"in", false},           {"out", false},
                    {"outdir/x", false}, {"sub/../../x", false}, {"/etc/hostname", false}};
        for (const BeneathWalk walk : {BeneathWalk::Kernel, BeneathWalk::Components})
            for (const auto& row : rows) {
                const int fd = OpenBeneath(folder, row.name, O_RDONLY, 0, walk);
                QVERIFY2((fd >= 0) == row.opens, row.name);
                if (fd >= 0) ::close(fd);
            }
        ::close(folder);
    }

    // Confined, a file is read only when it is a plain file in the folder, and a store replaces what stands
    // under its name (a link to outside included) without writing through it, keeping a file's permissions.
    void confinedFilesStayInTheFolder() {
        QTemporaryDir outside, dir;
        const QDir in(dir.path()), out(outside.path());
        const QString secret = out.filePath(QStringLiteral("secret"));
        QVERIFY(WriteBytes(secret, "secret") && WriteBytes(in.filePath(QStringLiteral("a.set")), "inside"));
        QFile::link(secret, in.filePath(QStringLiteral("out")));
        QFile::link(outside.path(), in.filePath(QStringLiteral("outdir")));
        QCOMPARE(::mkfifo(QFile::encodeName(in.filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
        QVERIFY(in.mkdir(QStringLiteral("sub")));
        ::chmod(QFile::encodeName(in.filePath(QStringLiteral("a.set"))).constData(), 0640);

        const FileConfinement confined(dir.path());
        QCOMPARE(ReadFileBytes(in.filePath(QStringLiteral("a.set")), 100), QByteArray("inside"));
        for (const QString& name :
             {in.filePath(QStringLiteral("out")), in.filePath(QStringLiteral("outdir/secret")),
              in.filePath(QStringLiteral("fifo")), secret})
            QVERIFY2(!ReadFileBytes(name, 100), qPrintable(name));
        for (const QString& name :
             {out.filePath(QStringLiteral("new")), in.filePath(QStringLiteral("outdir/new")),
              in.filePath(QStringLiteral("sub"))})
            QVERIFY2(!WriteFileAtomically(name, "x"), qPrintable(name));
        QVERIFY(WriteFileAtomically(in.filePath(QStringLiteral("out")), "replaced"));
        QVERIFY(WriteFileAtomically(in.filePath(QStringLiteral("a.set")), "stored"));
        QCOMPARE(FileBytes(secret), QByteArray("secret"));
        QCOMPARE(out.entryList(QDir::Files | QDir::Hidden), QStringList{"secret"});
        QCOMPARE(FileBytes(in.filePath(QStringLiteral("out"))), QByteArray("replaced"));
        QVERIFY(!QFileInfo(in.filePath(QStringLiteral("out"))).isSymLink());
        QCOMPARE(FileBytes(in.filePath(QStringLiteral("a.set"))), QByteArray("stored"));
        QCOMPARE(QFileInfo(in.filePath(QStringLiteral("a.set"))).permissions() & 0x0777,
                 QFileDevice::Permissions(0x0640));
        // No temporary file stays behind.
        QCOMPARE(in.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name),
                 (QStringList{"a.set", "fifo", "out"}));
    }

    // The run report: margins to 0.01 dB and 0.001 MHz, null where a boundary covers no point; the worst is
    // the smallest margin of all steps. The headless runs' tests own the files not written.
    void runReportJson() {
        RunReport r;
        r.script = QStringLiteral("/runs/emc.scp");
        r.steps = {{0,
                    {QStringLiteral("/runs/a.mes")},
                    {{"actual", false, 3.14159, 12.34567}, {"peak", false, {}, 5.0}},
                    {},
                    {}},
                   {1, {}, {{"average", true, -1.234, 3.9}}, {}, {}}};
        r.outcome = QStringLiteral("stopped");
        const QJsonObject o = QJsonDocument::fromJson(RunReportJson(r)).object();
        QCOMPARE(o["script"].toString(), QStringLiteral("/runs/emc.scp"));
        QCOMPARE(o["outcome"].toString(), QStringLiteral("stopped"));
        const QJsonArray first = o["steps"][0]["boundaries"].toArray();
        QCOMPARE(first[0]["marginDb"].toDouble(), 3.14);
        QCOMPARE(first[0]["frequencyMHz"].toDouble(), 12.346);
        QVERIFY(first[1].toObject().contains("marginDb") && first[1]["marginDb"].isNull());
        QVERIFY(first[1].toObject().contains("frequencyMHz") && first[1]["frequencyMHz"].isNull());
        QCOMPARE(o["worst"]["step"].toInt(), 1);
        QCOMPARE(o["worst"]["marginDb"].toDouble(), -1.23);
    }

    // The data files' loaders and writers, beyond the layout-driven check of every loader above: what
    // a load leaves of the model before, values out of range, and the files shipped with the program.

    // The calibration curve file: the count's limits and what stays of the curve before. The editor's tests
    // load and save files, short and foreign ones too.
    void calibrationLoad_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("result");
        QTest::addColumn<Points>("points");
        const QByteArray eic1 = "eic1 ";
        const Points three{{100.0f, 2.0f}, {200.0f, -4.5f}, {1500.25f, 0.0f}};
        const auto loaded = static_cast<int>(CalibrationLoad::Loaded);
        const auto shortRead = static_cast<int>(CalibrationLoad::ShortRead);

        Row("101 points give the first 100", eic1 + I16(101) + Pairs(Numbered(101)), loaded, Numbered(100));
        Row("negative count is empty", eic1 + I16(-3) + Pairs(three), loaded, Points{});
        Row("count cut short", eic1 + QByteArray(1, '\x03'), shortRead, BEFORE);
        const Points tenOld = Numbered(8) + Points{{0.0f, 0.0f}, {0.0f, 1.0f}};
        Row("old tag: ten pairs, zeros included", "eic  " + Pairs(tenOld), loaded, tenOld);
        Row("old tag ignores what follows", "eic  " + Pairs(Numbered(12)), loaded, Numbered(10));
    }
    void calibrationLoad() {
        QFETCH(QByteArray, bytes);
        CalibrationCurve curve = CurveOf(BEFORE);
        QTEST(static_cast<int>(LoadCalibrationBytes(bytes, curve)), "result");
        QTEST(PointsOf(curve), "points");
    }

    // All typed points are saved, also those past the 100 a load takes.
    void calibrationSave() {
        QCOMPARE(CalibrationFileBytes(CurveOf(Numbered(101))), "eic1 " + I16(101) + Pairs(Numbered(101)));
    }

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

    // The script file (tests/app/headless.sh runs a script that cannot be opened). Position 10 is never
    // loaded; the older layout leaves the print flags as they were.
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

    // The settings file: a long bare name is cut.
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

    // The measurement file: the show flags decide which traces and which comparison curve a load keeps. A
    // trace switched off keeps its contents, and the traces after it still load from their places.
    void traceSwitchedOffKeepsItsValues_data() {
        QTest::addColumn<int>("off");
        QTest::newRow("actual") << 0;
        QTest::newRow("average") << 1;
        QTest::newRow("peak") << 2;
    }
    void traceSwitchedOffKeepsItsValues() {
        QFETCH(int, off);
        MeasurementModel m;
        VbBool* flags[] = {&m.settings.showActual, &m.settings.showAverage, &m.settings.showPeak};
        TraceArray* traces[] = {&m.traceActual, &m.traceAverage, &m.tracePeak};
        *flags[off] = false;
        traces[off]->fill(7);
        const auto sample = MeasurementSample(5, 8);
        const auto want = sample.loaded();
        QCOMPARE(ReadMeasurement(sample.bytes, m), LoadResult::Loaded);
        QCOMPARE(m.traceActual[250], off == 0 ? 7 : want->traceActual[250]);
        QCOMPARE(m.traceAverage[250], off == 1 ? 7 : want->traceAverage[250]);
        QCOMPARE(m.tracePeak[500], off == 2 ? 7 : want->tracePeak[500]);
        // Point 0, which no file holds, starts the graph at point 1's level.
        for (int t = 0; t < 3; ++t) QCOMPARE((*traces[t])[0], t == off ? 7 : (*traces[t])[1]);
        QCOMPARE(m.settings.limitAverage.raw(), want->settings.limitAverage.raw());
    }

    void shownComparisonCurveStays() {
        MeasurementModel m;
        m.showComparison = true;
        m.traceComparison.fill(9);
        QByteArray file = MeasurementSample(4, 8).bytes;
        file.replace(8005, 2, I16(0));
        QCOMPARE(ReadMeasurement(file, m), LoadResult::Loaded);
        QCOMPARE(m.traceComparison[1], 9);
        QCOMPARE(m.traceComparison[4000], 9);
        QVERIFY(!m.showComparison);
        QCOMPARE(m.settings.levelUnit, 3);
    }

    // A stored resolution no sweep has (none of 1, 2, 4 and 8) would walk the wrong number of points: the
    // file is refused whole and the model keeps what it held; the converter's test refuses a 3.
    void unusableResolutionRefused() {
        QByteArray file = MeasurementSample(5, 8).bytes;
        // The common part at resolution 8 is 3364 bytes from the resolution on.
        file.replace(file.size() - 3364, 2, I16(0));
        MeasurementModel m;
        const QByteArray before = WriteMeasurement(m);
        QCOMPARE(ReadMeasurement(file, m), LoadResult::Refused);
        QCOMPARE(WriteMeasurement(m), before);
    }

    // A "mes1 " file whose unit name is empty: the offset's 0 byte comes right after the unit.
    void mes1WithoutUnitName() {
        QByteArray file = MeasurementSample(1, 8).bytes.remove(7, 3);
        MeasurementModel m;
        QCOMPARE(ReadMeasurement(file, m), LoadResult::Loaded);
        QCOMPARE(m.settings.userUnitName.bytes(), QByteArray(30, ' '));
        QCOMPARE(m.settings.userUnitOffset, -97.5f);
    }

    void caption() {
        MeasurementModel m;
        m.readDate.set(QStringLiteral("01.02.2024"));
        m.timeActual.set(QStringLiteral("12:00:01"));
        m.timePeak.set(QStringLiteral("12:00:02"));
        m.timeAverage.set(QStringLiteral("12:00:03"));
        QCOMPARE(MeasurementCaption(QStringLiteral("/data/run 1/a.mes"), m),
                 QStringLiteral("a.mes | 01.02.2024 | Ac: 12:00:01  Av: 12:00:03  Pe: 12:00:02  "));
    }

    // The header and the first and last lines at resolution 8, in dBm and in the user unit (the offsets of
    // the units are the level formatting's test). Raw 255 is 80 dB above raw 0.
    void headerAndLines_data() {
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        const QString h = QStringLiteral("Frequenz in MHz\tActual in %1\tAverage in %1\tPeak in %1");
        QTest::newRow("dBm") << 1 << h.arg(u"dBm") << QStringLiteral("0000.000\t-107.0\t-027.0\t-117.0")
                             << QStringLiteral("0998.000\t-106.7\t-107.3\t-105.4");
        QTest::newRow("user unit") << 3 << h.arg(u"V\u00f6lt x")
                                   << QStringLiteral("0000.000\t-097.5\t-017.5\t-107.5")
                                   << QStringLiteral("0998.000\t-097.2\t-097.8\t-095.9");
    }
    void headerAndLines() {
        QFETCH(int, unit);
        MeasurementModel m;  // centre 500 MHz, 100 MHz per division, resolution 8, attenuation 0
        m.settings.userUnitName.set(QStringLiteral("  V\u00f6lt x "));
        m.settings.userUnitOffset = -97.5f;
        m.traceAverage[0] = 255;
        m.tracePeak[0] = -32;
        m.traceActual[499] = 1;
        m.traceAverage[499] = -1;
        m.tracePeak[499] = 5;
        m.traceActual[500] = 100;  // past the last point: not written
        const QByteArray table = TableText(m, unit);
        QVERIFY(table.endsWith("\r\n"));
        const QList<QByteArray> lines = table.chopped(1).split('\n');
        QCOMPARE(lines.size(), 501);
        for (const QByteArray& line : lines) QVERIFY(line.endsWith('\r'));
        QTEST(QString::fromLatin1(lines.first().chopped(1)), "header");
        QTEST(QString::fromLatin1(lines[1].chopped(1)), "first");
        QCOMPARE(QString::fromLatin1(lines[2].left(8)), QStringLiteral("0002.000"));
        QTEST(QString::fromLatin1(lines.last().chopped(1)), "last");
    }

    void attenuationAndFrequencies() {
        MeasurementModel m;
        m.settings.attenuation = 10.0f;
        m.settings.centerFreq = 100.0f;
        m.settings.scanWidth = 50.0f;
        m.settings.resolution = 1;
        m.traceActual[0] = 255;
        const QList<QByteArray> lines = TableText(m, 2).split('\n');
        QCOMPARE(lines.size(), 4002);  // header, 4000 points, and nothing after the last line end
        QCOMPARE(lines[1], QByteArray("-0150.000\t090.0\t010.0\t010.0\r"));
        QCOMPARE(lines[4000].left(9), QByteArray("0349.875\t"));
    }
};

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
