#include "Report.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>

#include "FileIO.h"
#include "MeasurementFile.h"
#include "StandardLimits.h"
#include "Units.h"

namespace tk {
namespace {

constexpr qint64 MAX_MEASUREMENT_BYTES = 64 * 1024;
const std::array<const char*, 4> BANDWIDTHS{"9 kHz", "20 kHz", "120 kHz", "400 kHz"};

int Rank(Verdict v) {
    switch (v) {
        case Verdict::NotChecked:
            return 0;
        case Verdict::Pass:
            return 1;
        case Verdict::PassBelowMargin:
            return 2;
        case Verdict::Fail:
            break;
    }
    return 3;
}

bool SameLine(const BoundaryLine& a, const BoundaryLine& b) {
    return a.freqMHz == b.freqMHz && a.levelDbm == b.levelDbm;
}

QString Number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

}  // namespace

std::vector<ReportRow> ReportRows(const Report& report) {
    std::vector<ReportRow> rows;
    for (std::size_t i = 0; i < report.scans.size(); ++i)
        for (const BoundaryMargin& m : SmallestBoundaryMargins(report.scans[i].model)) {
            ReportRow row{static_cast<int>(i), m.trace, m.reached, m.marginDb, m.frequencyMHz, Verdict::Pass};
            if (m.reached)
                row.verdict = Verdict::Fail;
            else if (!m.marginDb)
                row.verdict = Verdict::NotChecked;
            else if (*m.marginDb < report.setup.marginDb)
                row.verdict = Verdict::PassBelowMargin;
            rows.push_back(row);
        }
    return rows;
}

Verdict OverallVerdict(const std::vector<ReportRow>& rows) {
    Verdict worst = Verdict::NotChecked;
    for (const ReportRow& r : rows)
        if (Rank(r.verdict) > Rank(worst)) worst = r.verdict;
    return worst;
}

QString VerdictText(Verdict verdict, double marginDb) {
    switch (verdict) {
        case Verdict::Pass:
            return QStringLiteral("PASS");
        case Verdict::PassBelowMargin:
            return QStringLiteral("PASS with margin below %1 dB").arg(marginDb);
        case Verdict::Fail:
            return QStringLiteral("FAIL");
        case Verdict::NotChecked:
            break;
    }
    return QStringLiteral("NOT CHECKED");
}

std::vector<ReportPeak> ReportPeaks(const MeasurementModel& model) {
    const MeasurementSettings& s = model.settings;
    const struct {
        BoundaryTrace trace;
        bool shown, checked;
    } traces[] = {{BoundaryTrace::Actual, bool(s.showActual), bool(s.limitActual)},
                  {BoundaryTrace::Average, bool(s.showAverage), bool(s.limitAverage)},
                  {BoundaryTrace::Peak, bool(s.showPeak), bool(s.limitPeak)}};
    const bool anyChecked =
        std::any_of(std::begin(traces), std::end(traces), [](auto& t) { return t.checked; });
    std::vector<ReportPeak> peaks;
    for (const auto& t : traces)
        if (anyChecked ? t.checked : t.shown)
            for (const PeakRow& row : PeakTable(model, t.trace, PeakOptions{}))
                if (!anyChecked || row.marginDb) peaks.push_back({t.trace, row});
    std::stable_sort(peaks.begin(), peaks.end(), [&](const ReportPeak& a, const ReportPeak& b) {
        return anyChecked ? *a.row.marginDb < *b.row.marginDb : a.row.level > b.row.level;
    });
    if (peaks.size() > 10) peaks.resize(10);
    return peaks;
}

std::vector<std::pair<QString, QString>> ReportSettings(const ReportScan& scan) {
    const MeasurementSettings& s = scan.model.settings;
    const auto known = [](const QString& name) {
        return name.isEmpty() ? QStringLiteral("not known") : name;
    };
    return {
        {QStringLiteral("Centre"), Number(s.centerFreq, 3) + QStringLiteral(" MHz")},
        {QStringLiteral("Scan width"), Number(s.scanWidth, 3) + QStringLiteral(" MHz/div")},
        {QStringLiteral("Bandwidth"),
         QString::fromLatin1(BANDWIDTHS[static_cast<std::size_t>(std::clamp<int>(s.bandwidthIndex, 0, 3))])},
        {QStringLiteral("Video filter"), s.videoFilterOn ? QStringLiteral("on") : QStringLiteral("off")},
        {QStringLiteral("Attenuation"), Number(s.attenuation, 1) + QStringLiteral(" dB")},
        {QStringLiteral("Resolution"),
         QStringLiteral("%1 points").arg(4000 / std::max<int>(1, s.resolution))},
        {QStringLiteral("Unit"), UnitText(s, s.levelUnit)},
        {QStringLiteral("User unit"),
         QStringLiteral("%1, %2 dB").arg(s.userUnitName.trimmed(), Number(s.userUnitOffset, 1))},
        {QStringLiteral("Correction"), !scan.correction ? QStringLiteral("not recorded in the file")
                                       : *scan.correction
                                           ? QStringLiteral("on, ") + known(scan.calibrationFile)
                                           : QStringLiteral("off")},
        {QStringLiteral("Boundary file"),
         scan.boundaryFile.isEmpty() ? QStringLiteral("stored with the measurement") : scan.boundaryFile},
        {QStringLiteral("Read"), QStringLiteral("%1, actual %2, average %3, peak %4")
                                     .arg(scan.model.readDate.trimmed(), scan.model.timeActual.trimmed(),
                                          scan.model.timeAverage.trimmed(), scan.model.timePeak.trimmed())},
    };
}

QStringList LimitNotes(const MeasurementModel& model) {
    for (const StandardLimits& limits : CisprConductedLimits()) {
        if (!SameLine(model.boundaryActual, limits.quasiPeak) &&
            !SameLine(model.boundaryAverage, limits.average))
            continue;
        const QString name = QFileInfo(limits.fileName).completeBaseName();
        return {
            QStringLiteral("%1: CISPR 32 conducted emission limits on the AC mains port, 0.15-30 MHz.")
                .arg(name),
            QStringLiteral("The quasi-peak limit is checked on the actual and the peak trace, the average "
                           "limit on the average trace."),
            QStringLiteral("A peak reading above the quasi-peak limit needs a receiver measurement with the "
                           "quasi-peak detector before it counts as a failure.")};
    }
    return {};
}

QByteArray ReportSetupJson(const ReportSetup& setup) {
    return QJsonDocument(QJsonObject{{"title", setup.title},
                                     {"eut", setup.eut},
                                     {"operator", setup.operatorName},
                                     {"notes", setup.notes},
                                     {"marginDb", setup.marginDb}})
        .toJson();
}

ReportSetup ReportSetupFromJson(const QByteArray& json) {
    const QJsonObject o = QJsonDocument::fromJson(json).object();
    ReportSetup setup;
    setup.title = o.value("title").toString(setup.title);
    setup.eut = o.value("eut").toString();
    setup.operatorName = o.value("operator").toString();
    setup.notes = o.value("notes").toString();
    setup.marginDb = std::clamp(o.value("marginDb").toDouble(setup.marginDb), 0.0, 100.0);
    return setup;
}

std::optional<ReportScan> ReadReportScan(const QString& path, QString* error) {
    const std::optional<QByteArray> bytes = ReadFileBytes(path, MAX_MEASUREMENT_BYTES);
    if (!bytes) {
        *error = QStringLiteral("cannot be read");
        return std::nullopt;
    }
    ReportScan scan;
    SetModelDefaults(scan.model, QString());
    if (ReadMeasurement(*bytes, scan.model) != LoadResult::Loaded) {
        *error = QStringLiteral("is no complete measurement file");
        return std::nullopt;
    }
    scan.name = QFileInfo(path).fileName();
    scan.path = QFileInfo(path).absoluteFilePath();
    scan.sha256 = QCryptographicHash::hash(*bytes, QCryptographicHash::Sha256).toHex();
    return scan;
}

int SummaryPageCount(const Report& report) {
    const auto rows = static_cast<int>(ReportRows(report).size());
    return std::max(1, (rows + SUMMARY_ROWS_PER_PAGE - 1) / SUMMARY_ROWS_PER_PAGE);
}

int ReportPageCount(const Report& report) {
    const auto files = static_cast<int>(report.scans.size());
    const int traceability =
        std::max(1, (files + TRACEABILITY_LINES_PER_PAGE - 1) / TRACEABILITY_LINES_PER_PAGE);
    return 1 + SummaryPageCount(report) + files + traceability;
}

}  // namespace tk
