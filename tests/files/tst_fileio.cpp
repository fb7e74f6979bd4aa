#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstring>

#include "BoundariesFile.h"
#include "CalibrationFile.h"
#include "FileBytes.h"
#include "FileConfinement.h"
#include "FileIO.h"
#include "FileOperations.h"
#include "MeasurementFile.h"
#include "ParameterFile.h"
#include "RunReport.h"
#include "SampleFiles.h"
#include "ScriptFile.h"
#include "ScriptedDialogs.h"
#include "SettingsFile.h"

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

}  // namespace

class TestFileIO : public QObject {
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
};

QTEST_GUILESS_MAIN(TestFileIO)
#include "tst_fileio.moc"
