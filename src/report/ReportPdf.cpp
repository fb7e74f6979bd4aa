#include "ReportPdf.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include "FileIO.h"
#include "PainterCanvas.h"
#include "SpectrumGraph.h"
#include "Units.h"

namespace tk {
namespace {

constexpr int DPI = 300;

QString Margin(const std::optional<double>& margin) {
    return margin ? QString::number(*margin, 'f', 1) + QStringLiteral(" dB") : QStringLiteral("-");
}

QString Mhz(double mhz) {
    return QString::number(mhz, 'f', 3) + QStringLiteral(" MHz");
}

// Lays out the lines of one page after another, top down, in the body of the page.
class Pages {
public:
    Pages(QPdfWriter& writer, QPainter& painter, const Report& report)
        : m_writer(writer), m_painter(painter), m_report(report), m_total(ReportPageCount(report)) {
        m_body = QRectF(painter.viewport()).adjusted(0, 0, 0, -LineHeight(9) * 2);
        m_y = m_body.top();
    }

    void NewPage() {
        Footer();
        m_writer.newPage();
        ++m_page;
        m_y = m_body.top();
    }
    void Footer() {
        SetFont(8);
        const QRectF page(m_painter.viewport());
        const QString left = QStringLiteral("%1 - written %2")
                                 .arg(m_report.setup.title, m_report.written.toString(Qt::ISODate));
        m_painter.drawText(QRectF(page.left(), page.bottom() - LineHeight(8), page.width(), LineHeight(8)),
                           Qt::AlignLeft, left);
        m_painter.drawText(QRectF(page.left(), page.bottom() - LineHeight(8), page.width(), LineHeight(8)),
                           Qt::AlignRight, QStringLiteral("Page %1 of %2").arg(m_page).arg(m_total));
    }
    // A line of text in cells starting at the given fractions of the width.
    void Line(const QStringList& cells, const std::vector<double>& at, double points = 10,
              bool bold = false) {
        SetFont(points, bold);
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const double x =
                m_body.left() + m_body.width() * (i < qsizetype(at.size()) ? at[std::size_t(i)] : 0.0);
            const double right = i + 1 < cells.size() && i + 1 < qsizetype(at.size())
                                     ? m_body.left() + m_body.width() * at[std::size_t(i + 1)]
                                     : m_body.right();
            m_painter.drawText(QRectF(x, m_y, right - x, LineHeight(points)),
                               Qt::AlignLeft | Qt::TextSingleLine, cells[i]);
        }
        m_y += LineHeight(points);
    }
    void Text(const QString& text, double points = 10, bool bold = false) {
        Line({text}, {0.0}, points, bold);
    }
    // Wrapped text, as many lines as it needs.
    void Paragraph(const QString& text, double points = 10) {
        SetFont(points);
        const QRectF box(m_body.left(), m_y, m_body.width(), m_body.bottom() - m_y);
        const QRectF used = m_painter.boundingRect(box, Qt::TextWordWrap, text);
        m_painter.drawText(box, Qt::TextWordWrap, text);
        m_y += used.height();
    }
    void Space(double lines = 1) { m_y += LineHeight(10) * lines; }
    // The rest of the body's height, from the present line, of which the caller takes `height`.
    QRectF Take(double height) {
        const QRectF area(m_body.left(), m_y, m_body.width(), height);
        m_y += height;
        return area;
    }
    double Remaining() const { return m_body.bottom() - m_y; }
    QPainter& painter() { return m_painter; }

private:
    double LineHeight(double points) const { return points / 72.0 * DPI * 1.35; }
    void SetFont(double points, bool bold = false) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(points);
        font.setBold(bold);
        // Letters drawn one by one, without ligatures, so that a text taken from the page ("file") is the
        // text written.
        font.setStyleStrategy(QFont::PreferNoShaping);
        m_painter.setFont(font);
        m_painter.setPen(Qt::black);  // the graph leaves its last colour
    }

    QPdfWriter& m_writer;
    QPainter& m_painter;
    const Report& m_report;
    QRectF m_body;
    double m_y = 0;
    int m_page = 1;
    int m_total;
};

void TitlePage(Pages& p, const Report& r, const std::vector<ReportRow>& rows) {
    p.Text(r.setup.title, 20, true);
    p.Space();
    const QString interfaceVersion = [&] {
        for (const ReportScan& s : r.scans)
            if (!s.model.interfaceVersion.trimmed().isEmpty()) return s.model.interfaceVersion.trimmed();
        return QStringLiteral("not read");
    }();
    const std::vector<double> at{0.0, 0.3};
    p.Line({QStringLiteral("Equipment under test"), r.setup.eut}, at);
    p.Line({QStringLiteral("Operator"), r.setup.operatorName}, at);
    p.Line({QStringLiteral("Date"), QLocale().toString(r.written, QLocale::LongFormat)}, at);
    p.Line({QStringLiteral("Program"), QStringLiteral("tk820-2 ") + r.programVersion}, at);
    p.Line({QStringLiteral("Interface"), interfaceVersion}, at);
    p.Line({QStringLiteral("Scans"), QString::number(r.scans.size())}, at);
    p.Line({QStringLiteral("Margin asked"), QStringLiteral("%1 dB").arg(r.setup.marginDb)}, at);
    p.Space(2);
    p.Text(QStringLiteral("Verdict: ") + VerdictText(OverallVerdict(rows), r.setup.marginDb), 24, true);
    p.Space();
    const char* meaning =
        "PASS: every checked trace stayed under its boundary. FAIL: a checked trace reached its "
        "boundary. NOT CHECKED: no boundary was switched on.";
    p.Paragraph(QString::fromLatin1(meaning), 9);
    if (!r.setup.notes.trimmed().isEmpty()) {
        p.Space();
        p.Text(QStringLiteral("Notes"), 12, true);
        p.Paragraph(r.setup.notes);
    }
}

void SummaryPages(Pages& p, const Report& r, const std::vector<ReportRow>& rows) {
    const std::vector<double> at{0.0, 0.35, 0.47, 0.64, 0.80};
    const auto header = [&] {
        p.Text(QStringLiteral("Summary"), 14, true);
        p.Space(0.5);
        p.Line({QStringLiteral("Scan"), QStringLiteral("Trace"), QStringLiteral("Worst margin"),
                QStringLiteral("at"), QStringLiteral("Verdict")},
               at, 10, true);
    };
    header();
    if (rows.empty()) p.Text(QStringLiteral("No scan had a boundary switched on."));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0 && i % SUMMARY_ROWS_PER_PAGE == 0) {
            p.NewPage();
            header();
        }
        const ReportRow& row = rows[i];
        p.Line({QStringLiteral("%1. %2").arg(row.scan + 1).arg(r.scans[std::size_t(row.scan)].name),
                TraceTitle(row.trace), Margin(row.marginDb), row.marginDb ? Mhz(row.frequencyMHz) : QString(),
                VerdictText(row.verdict, r.setup.marginDb)},
               at);
    }
}

void ScanPage(Pages& p, const Report& r, std::size_t index) {
    const ReportScan& scan = r.scans[index];
    p.Text(QStringLiteral("Scan %1: %2").arg(index + 1).arg(scan.name), 14, true);
    p.Space(0.5);
    MeasurementModel model = scan.model;
    model.graphOpen = true;
    std::vector<ReportPeak> peaks = ReportPeaks(model);
    {
        const QRectF area = p.Take(p.Remaining() * 0.45);
        PainterCanvas canvas(p.painter(), area, DPI);
        RedrawGraph(model, canvas);
        PeakLabels labels;
        for (BoundaryTrace trace : {BoundaryTrace::Actual, BoundaryTrace::Average, BoundaryTrace::Peak}) {
            std::vector<PeakRow> marked;
            for (std::size_t i = 0; i < peaks.size(); ++i)
                if (peaks[i].trace == trace) {
                    marked.push_back(peaks[i].row);
                    marked.back().number = static_cast<int>(i + 1);
                }
            canvas.setPenColour(TraceColour(trace));
            DrawPeakMarkers(model, canvas, trace, marked, &labels);
        }
    }
    p.Space();
    const QString unit = UnitText(model.settings, model.settings.levelUnit);
    const std::vector<double> at{0.0, 0.06, 0.2, 0.38, 0.56, 0.74, 0.88};
    p.Line(
        {QStringLiteral("No."), QStringLiteral("Trace"), QStringLiteral("Frequency"), QStringLiteral("Level"),
         QStringLiteral("Boundary"), QStringLiteral("Margin"), QStringLiteral("Reached")},
        at, 9, true);
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        const PeakRow& row = peaks[i].row;
        p.Line({QString::number(i + 1), TraceTitle(peaks[i].trace), Mhz(row.frequencyMHz),
                QString::number(row.level, 'f', 1) + u' ' + unit,
                row.boundaryLevel ? QString::number(*row.boundaryLevel, 'f', 1) + u' ' + unit : QString(),
                Margin(row.marginDb), row.reached ? QStringLiteral("yes") : QString()},
               at, 9);
    }
    p.Space();
    for (const auto& [name, value] : ReportSettings(scan)) p.Line({name, value}, {0.0, 0.2}, 9);
}

void TraceabilityPages(Pages& p, const Report& r) {
    QStringList notes;
    for (const ReportScan& scan : r.scans)
        for (const QString& note : LimitNotes(scan.model))
            if (!notes.contains(note)) notes << note;
    if (!notes.isEmpty()) {
        p.Text(QStringLiteral("Limits"), 14, true);
        for (const QString& note : notes) p.Paragraph(note, 9);
        p.Space();
    }
    p.Text(QStringLiteral("Input files"), 14, true);
    p.Space(0.5);
    int listed = 0;
    for (const ReportScan& scan : r.scans) {
        if (listed > 0 && listed % TRACEABILITY_LINES_PER_PAGE == 0) p.NewPage();
        ++listed;
        p.Text(scan.path.isEmpty() ? scan.name : scan.path, 9);
        p.Text(QStringLiteral("SHA-256 ") + (scan.sha256.isEmpty()
                                                 ? QStringLiteral("(the measurement on screen, no file)")
                                                 : QString::fromLatin1(scan.sha256)),
               8);
    }
}

}  // namespace

QPageSize::PageSizeId ReportPaper(const QLocale& locale) {
    return locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4;
}

bool WriteReportPdf(const Report& report, const QString& fileName, QPageSize::PageSizeId paper) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(DPI);
        writer.setPageLayout(QPageLayout(QPageSize(paper), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                         QPageLayout::Millimeter));
        writer.setCreator(QStringLiteral("tk820-2"));
        writer.setTitle(report.setup.title);
        QPainter painter;
        if (!painter.begin(&writer)) return false;
        Pages pages(writer, painter, report);
        const std::vector<ReportRow> rows = ReportRows(report);
        TitlePage(pages, report, rows);
        pages.NewPage();
        SummaryPages(pages, report, rows);
        for (std::size_t i = 0; i < report.scans.size(); ++i) {
            pages.NewPage();
            ScanPage(pages, report, i);
        }
        pages.NewPage();
        TraceabilityPages(pages, report);
        pages.Footer();
        if (!painter.end()) return false;
    }
    return WriteFileAtomically(fileName, pdf.data());
}

}  // namespace tk
