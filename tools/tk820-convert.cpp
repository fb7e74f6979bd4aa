// tk820-convert: the program's data files to JSON and CSV and back, through the program's own codecs, and
// pictures of measurements through the program's own drawing.

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>

#include "DataFile.h"
#include "FileIO.h"
#include "JsonConvert.h"
#include "MeasurementCsv.h"
#include "MeasurementPicture.h"
#include "RecordingConvert.h"
#include "Report.h"
#include "ReportPdf.h"
#include "Units.h"
#include "Version.h"

namespace {

// Anything that keeps OUT from being written, as a headless run of the program counts it.
constexpr int EXIT_FAILED = 2;
// Far above any data file or its JSON form; a larger file is no input of this program.
constexpr qint64 MAX_INPUT_BYTES = 64 * 1024 * 1024;

const char* const kUsage =
    "Usage: tk820-convert [--unit dBm|dBuV|dBpW|user] [--size WxH] [--log-frequency START,STOP]\n"
    "                     [--settings FILE.set] IN OUT\n"
    "       tk820-convert [--from TIME] [--to TIME] IN.tkrec OUT.csv|OUT.json\n"
    "       tk820-convert --report OUT.pdf [--report-title T] [--report-eut E] [--report-operator O]\n"
    "                     IN1.mes [IN2.mes ...]\n"
    "Converts a data file of tk820-2: the parameter file (TK820-2.par), settings (*.set), boundaries "
    "(*.grn),\n"
    "measurements (*.mes), calibration curves (*.eic) or scripts (*.scp), of any version the program reads.\n"
    "IN is such a file, or its JSON form (*.json). What is written depends on the name of OUT:\n"
    "  *.json  every field of the file under the program's own names\n"
    "  *.csv   a measurement's points: frequency in MHz and the actual, average and peak levels, in the\n"
    "          unit given with --unit (else the measurement's own unit)\n"
    "  *.png   a measurement's graph as the graph window draws it, --size pixels (default 1200x800)\n"
    "  *.svg   the same as a vector picture; with --log-frequency 0.15,30 both show the graph's\n"
    "          logarithmic frequency view from START to STOP MHz\n"
    "  *.pdf   a measurement's printout page; the printer setup of --settings FILE.set, else the traces,\n"
    "          comparison curve and switched-on boundaries the graph shows, in colour\n"
    "  other   the data file as tk820-2 writes it, in the current version\n"
    "A recording (*.tkrec) becomes CSV, one line per read (its time, trace, the settings that label it and\n"
    "its levels in the recorded unit), or JSON with the raw levels; --from and --to (ISO 8601, e.g.\n"
    "2026-12-07T23:00:00+01:00; without an offset local time) choose the reads between them.\n"
    "With --report, OUT.pdf is a test report of the measurements: the verdict, a summary of every checked\n"
    "trace, a page per measurement and the SHA-256 of every input file.\n"
    "OUT is replaced only when it was written completely.\n"
    "Exit status: 0 done, 2 bad command line, bad input, or OUT could not be written.\n";

int Fail(const QString& file, const QString& what) {
    std::fprintf(stderr, "tk820-convert: %s: %s\n", qPrintable(file), qPrintable(what));
    return EXIT_FAILED;
}

int UsageError(const QString& what) {
    std::fprintf(stderr, "tk820-convert: %s\n%s", qPrintable(what), kUsage);
    return EXIT_FAILED;
}

bool IsJsonName(const QString& name) {
    return QFileInfo(name).suffix().compare(QStringLiteral("json"), Qt::CaseInsensitive) == 0;
}

// Reads IN as a binary data file, or as JSON when it is named so or starts like JSON.
bool ReadInput(const QString& name, tk::DataFile& file, QString& error) {
    QFile in(name);
    if (!in.open(QIODevice::ReadOnly)) {
        error = in.errorString();
        return false;
    }
    const QByteArray bytes = in.read(MAX_INPUT_BYTES + 1);
    if (bytes.size() > MAX_INPUT_BYTES) {
        error = QStringLiteral("larger than any data file");
        return false;
    }
    if (!IsJsonName(name) && !bytes.trimmed().startsWith('{')) return tk::ReadDataFile(bytes, file, error);
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parse);
    if (parse.error != QJsonParseError::NoError) {
        error = QStringLiteral("no valid JSON at byte %1: %2").arg(parse.offset).arg(parse.errorString());
        return false;
    }
    if (!doc.isObject()) {
        error = QStringLiteral("the JSON holds no object");
        return false;
    }
    return tk::DataFileFromJson(doc.object(), file, error);
}

// The drawing needs fonts, so a GUI application, on the offscreen platform: no display is needed. The
// converter's own messages are the only ones its user is meant to read; Qt's notes about the environment
// (no runtime folder, say) would only hide them.
QGuiApplication OffscreenApplication(int& argc, char* argv[]) {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "tk820-convert: %s\n", qPrintable(text));
    });
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return QGuiApplication(argc, argv);
}

// Draws the measurement's picture.
int WritePicture(int argc, char* argv[], tk::DataFile& file, tk::PictureKind kind, const QString& inName,
                 const QString& outName, QSize size, const std::optional<QString>& settingsName,
                 const tk::FrequencyView& view) {
    if (file.kind != tk::FileKind::Measurement)
        return Fail(inName,
                    QStringLiteral("a %1 file has no traces for a picture").arg(tk::KindName(file.kind)));
    tk::MeasurementModel& model = *file.model;
    tk::PrintWhatTheGraphShows(model);
    if (settingsName) {
        tk::DataFile settings;
        QString error;
        if (!ReadInput(*settingsName, settings, error)) return Fail(*settingsName, error);
        if (settings.kind != tk::FileKind::Settings)
            return Fail(*settingsName,
                        QStringLiteral("a %1 file holds no printer setup").arg(tk::KindName(settings.kind)));
        tk::TakePrintSetup(*settings.model, model);
    }
    model.fileNames.measurement = inName;
    model.frequencyView = view;
    const QGuiApplication app = OffscreenApplication(argc, argv);
    if (!tk::WriteMeasurementPicture(model, kind, outName, size, QGuiApplication::font()))
        return Fail(outName, QStringLiteral("cannot write"));
    return 0;
}

// A recording as CSV or JSON, the reads between the two times.
int ConvertRecording(int argc, char* argv[], const QString& inName, const QString& outName, qint64 from,
                     qint64 to) {
    const QCoreApplication app(argc, argv);  // the SQLite driver is a plugin
    tk::RecordingReader reader;
    QString error;
    if (!reader.Open(inName, &error)) return Fail(inName, error);
    const std::vector<tk::RecordedRead> reads = reader.Reads(from, to, &error);
    if (!error.isEmpty()) return Fail(inName, error);
    QByteArray out;
    const std::vector<tk::RecordedEvent> events = reader.Events(from, to, &error);
    if (!error.isEmpty()) return Fail(inName, error);
    if (IsJsonName(outName))
        out = tk::RecordingJson(reads, events);
    else if (QFileInfo(outName).suffix().toLower() == QStringLiteral("csv"))
        out = tk::RecordingCsv(reads);
    else
        return Fail(outName, QStringLiteral("a recording is written as *.csv or *.json"));
    if (!tk::WriteFileAtomically(outName, out)) return Fail(outName, QStringLiteral("cannot write"));
    return 0;
}

// The test report of the measurements named.
int WriteReport(int argc, char* argv[], const QString& outName, const QStringList& inputs,
                const tk::ReportSetup& setup) {
    tk::Report report;
    report.setup = setup;
    report.written = QDateTime::currentDateTime();
    report.programVersion = QString::fromLatin1(tk::PROGRAM_VERSION);
    for (const QString& name : inputs) {
        QString error;
        auto scan = tk::ReadReportScan(name, &error);
        if (!scan) return Fail(name, error);
        report.scans.push_back(std::move(*scan));
    }
    const QGuiApplication app = OffscreenApplication(argc, argv);
    if (!tk::WriteReportPdf(report, outName, tk::ReportPaper(QLocale())))
        return Fail(outName, QStringLiteral("cannot write"));
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QStringList names;
    std::optional<int> unit;
    QSize size(1200, 800);
    tk::FrequencyView view;
    qint64 from = std::numeric_limits<qint64>::min();
    qint64 to = std::numeric_limits<qint64>::max();
    std::optional<QString> settingsName;
    std::optional<QString> reportName;
    tk::ReportSetup setup;
    const std::pair<const char*, QString*> reportTexts[] = {{"--report-title", &setup.title},
                                                            {"--report-eut", &setup.eut},
                                                            {"--report-operator", &setup.operatorName}};
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QStringLiteral("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == QStringLiteral("--version")) {
            std::printf("tk820-convert %s\n", tk::PROGRAM_VERSION);
            return 0;
        }
        if (arg == QStringLiteral("--unit") || arg.startsWith(QStringLiteral("--unit="))) {
            QString value = arg.mid(7);
            if (arg == QStringLiteral("--unit")) {
                if (++i >= argc) return UsageError(QStringLiteral("--unit needs a value"));
                value = QString::fromLocal8Bit(argv[i]);
            }
            unit = tk::UnitOfName(value);
            if (!unit) return UsageError(QStringLiteral("unknown unit %1").arg(value));
        } else if (arg == QStringLiteral("--size") || arg.startsWith(QStringLiteral("--size="))) {
            QString value = arg.mid(7);
            if (arg == QStringLiteral("--size")) {
                if (++i >= argc) return UsageError(QStringLiteral("--size needs a value"));
                value = QString::fromLocal8Bit(argv[i]);
            }
            const auto parsed = tk::ParsePictureSize(value);
            if (!parsed)
                return UsageError(QStringLiteral("a size is WxH, 16 to 16384 pixels each: %1").arg(value));
            size = *parsed;
        } else if (arg == QStringLiteral("--log-frequency")) {
            if (++i >= argc) return UsageError(QStringLiteral("--log-frequency needs START,STOP"));
            const auto parsed = tk::ParseLogFrequency(QString::fromLocal8Bit(argv[i]));
            if (!parsed)
                return UsageError(QStringLiteral("--log-frequency is START,STOP in MHz, 0 < START < STOP: %1")
                                      .arg(QString::fromLocal8Bit(argv[i])));
            view = *parsed;
        } else if (arg == QStringLiteral("--from") || arg == QStringLiteral("--to")) {
            if (++i >= argc) return UsageError(QStringLiteral("%1 needs a time").arg(arg));
            const auto time = tk::ParseRecordingTime(QString::fromLocal8Bit(argv[i]));
            if (!time)
                return UsageError(
                    QStringLiteral("%1 is an ISO 8601 time: %2").arg(arg, QString::fromLocal8Bit(argv[i])));
            (arg == QStringLiteral("--from") ? from : to) = *time;
        } else if (arg == QStringLiteral("--settings") || arg.startsWith(QStringLiteral("--settings="))) {
            if (arg == QStringLiteral("--settings")) {
                if (++i >= argc) return UsageError(QStringLiteral("--settings needs a file"));
                settingsName = QString::fromLocal8Bit(argv[i]);
            } else {
                settingsName = arg.mid(11);
            }
        } else if (arg == QStringLiteral("--report")) {
            if (++i >= argc) return UsageError(QStringLiteral("--report needs a file"));
            reportName = QString::fromLocal8Bit(argv[i]);
        } else if (const auto text =
                       std::find_if(std::begin(reportTexts), std::end(reportTexts),
                                    [&](const auto& t) { return arg == QLatin1String(t.first); });
                   text != std::end(reportTexts)) {
            if (++i >= argc) return UsageError(QStringLiteral("%1 needs a text").arg(arg));
            *text->second = QString::fromLocal8Bit(argv[i]);
        } else if (arg.startsWith(QStringLiteral("--"))) {
            return UsageError(QStringLiteral("unknown option %1").arg(arg));
        } else {
            names.append(arg);
        }
    }
    if (reportName) {
        if (names.isEmpty()) return UsageError(QStringLiteral("--report needs at least one measurement"));
        return WriteReport(argc, argv, *reportName, names, setup);
    }
    if (names.size() != 2) return UsageError(QStringLiteral("expected IN and OUT"));
    const QString& inName = names[0];
    const QString& outName = names[1];

    if (QFileInfo(inName).suffix().toLower() == QStringLiteral("tkrec"))
        return ConvertRecording(argc, argv, inName, outName, from, to);

    tk::DataFile file;
    QString error;
    if (!ReadInput(inName, file, error)) return Fail(inName, error);

    if (const auto picture = tk::PictureKindOfName(outName))
        return WritePicture(argc, argv, file, *picture, inName, outName, size, settingsName, view);

    QByteArray out;
    const QString suffix = QFileInfo(outName).suffix().toLower();
    if (IsJsonName(outName)) {
        out = QJsonDocument(tk::DataFileToJson(file)).toJson(QJsonDocument::Indented);
    } else if (suffix == QStringLiteral("csv")) {
        if (file.kind != tk::FileKind::Measurement)
            return Fail(inName,
                        QStringLiteral("a %1 file has no points for CSV").arg(tk::KindName(file.kind)));
        out = tk::MeasurementCsv(*file.model, unit.value_or(file.model->settings.levelUnit));
    } else {
        // A measurement written over a settings file by mistake would be lost to the program.
        const auto outKind = tk::KindOfExtension(suffix);
        if (outKind && *outKind != file.kind)
            return Fail(outName, QStringLiteral("a %1 file is written as *.%2")
                                     .arg(tk::KindName(file.kind), tk::KindExtension(file.kind)));
        out = tk::WriteDataFile(file);
    }
    if (!tk::WriteFileAtomically(outName, out)) return Fail(outName, QStringLiteral("cannot write"));
    return 0;
}
