#include "PrintOut.h"

#include <QDate>
#include <algorithm>
#include <cmath>
#include <limits>

#include "Format.h"
#include "GraphDrawing.h"
#include "Units.h"

namespace tk {
namespace {

// Header lines: pieces of text placed column by column, going down one line at a time.
class TextLines {
public:
    TextLines(Canvas& canvas, double lineHeight) : m_canvas(canvas), m_lineHeight(lineHeight) {}

    void moveTo(double y) {
        m_y = y;
        m_column = 0;
    }
    void print(const QString& text) {
        if (!text.isEmpty()) m_canvas.text(m_column * PRINT_COLUMN_WIDTH, m_y, text);
        m_column += static_cast<int>(text.size());
    }
    // The next piece starts at the column, or one column further when the line already reaches it.
    void tabTo(int column) { m_column = std::max(column, m_column + 1); }
    void endLine() { moveTo(m_y - m_lineHeight); }

private:
    Canvas& m_canvas;
    double m_lineHeight;
    double m_y = 0.0;
    int m_column = 0;
};

// A number the way the settings lines show it: shortest decimal text of the single-precision value, a blank
// in place of the sign when not negative, no 0 before the decimal point.
QString DecimalText(float value) {
    QString digits = QString::number(static_cast<double>(std::abs(value)), 'g', 7);
    if (digits.startsWith(QLatin1String("0."))) digits.remove(0, 1);
    return (value < 0.0f ? QStringLiteral("-") : QStringLiteral(" ")) + digits;
}

QString BandwidthText(int index) {
    switch (index) {
        case 0:
            return QStringLiteral("BANDWIDTH:   9 kHz");
        case 1:
            return QStringLiteral("BANDWIDTH:  20 kHz");
        case 2:
            return QStringLiteral("BANDWIDTH: 120 kHz");
        case 3:
            return QStringLiteral("BANDWIDTH: 400 kHz");
        default:
            return {};
    }
}

QString VideoFilterText(int on) {
    switch (on) {
        case 0:
            return QStringLiteral("VIDEO FILTER: OFF");
        case 1:
            return QStringLiteral("VIDEO FILTER: ON");
        default:
            return {};
    }
}

// A wide intermediate result brought into int without overflow.
int ClampToInt(double v) {
    if (!(v == v)) return 0;
    return static_cast<int>(std::clamp(v, static_cast<double>(std::numeric_limits<int>::min()),
                                       static_cast<double>(std::numeric_limits<int>::max())));
}

double SweepStart(const MeasurementSettings& s) {
    return static_cast<double>(s.centerFreq) - 5.0 * static_cast<double>(s.scanWidth);
}

struct Curve {
    bool printed;
    const TraceArray& trace;
    int colour;
    const char* name;
};

}  // namespace

PrintIndexRange PrintedIndexRange(const MeasurementModel& model) {
    const MeasurementSettings& s = model.settings;
    if (s.resolution <= 0) return {1, 0};
    const double n = RoundHalfEven(4000.0 / s.resolution);
    PrintIndexRange range{1, ClampToInt(n) - 1};
    if (s.scanWidth > 0.0f) {
        const double start = SweepStart(s);
        const double end = static_cast<double>(s.centerFreq) + 5.0 * static_cast<double>(s.scanWidth);
        const double perMHz = n / (10.0 * static_cast<double>(s.scanWidth));
        const double from = model.printFromMHz;
        const double to = model.printToMHz;
        if (start < from && from < end) range.first = ClampToInt(std::floor((from - start) * perMHz) + 1.0);
        if (start < to && to < end) range.last = ClampToInt(std::floor((to - start) * perMHz));
    }
    range.last = std::min(range.last, TRACE_LAST_INDEX);
    return range;
}

QString LongDateText(const QString& dateText, const QLocale& locale) {
    const QDate date = QDate::fromString(dateText.trimmed(), QStringLiteral("dd.MM.yyyy"));
    return date.isValid() ? locale.toString(date, QLocale::LongFormat) : dateText;
}

void PrintOut(MeasurementModel& model, Canvas& canvas, const QString& longDate) {
    MeasurementSettings& s = model.settings;
    const auto colour = [&](int index) { return model.printBlackWhite ? COLOUR_BLACK : index; };

    const PrintIndexRange range = PrintedIndexRange(model);
    ComputeGraphLevelRange(model);
    const int lo = model.graphLevelMin;
    const int hi = model.graphLevelMax;
    const double d = LabelUnitHeight(lo, hi);
    const double noiseFloor = NoiseFloor(s, lo);
    const double top = (hi - lo) + 40.0 * d;
    const double start = SweepStart(s);

    canvas.setPenColour(COLOUR_BLACK);
    canvas.setScale(-600, top, 4300, lo - 30.0 * d);

    TextLines lines(canvas, PRINT_LINE_HEIGHT_D * d);
    lines.moveTo(top - 3.0 * d);
    lines.print(model.printHeadline.text());
    lines.endLine();

    const Curve measured[] = {
        {model.printActual, model.traceActual, COLOUR_GREEN, "Actual"},
        {model.printAverage, model.traceAverage, COLOUR_LIGHT_BLUE, "Average"},
        {model.printPeak, model.tracePeak, COLOUR_LIGHT_RED, "Peak"},
    };
    const FixedText<10>* const times[] = {&model.timeActual, &model.timeAverage, &model.timePeak};
    for (std::size_t k = 0; k < 3; ++k) {
        canvas.setPenColour(colour(measured[k].colour));
        if (!measured[k].printed) continue;
        const QString name = QString::fromLatin1(measured[k].name);
        lines.print(model.printDateTime
                        ? name + QStringLiteral(": ") + times[k]->text() + QStringLiteral("  ")
                        : name + QStringLiteral("  "));
    }
    canvas.setPenColour(colour(COLOUR_CYAN));
    if (model.printComparison) lines.print(QStringLiteral("Comparison meas."));
    lines.endLine();

    canvas.setPenColour(COLOUR_BLACK);
    if (model.printFileName)
        lines.print(model.fileNames.boundaries + QStringLiteral("   ") + model.fileNames.measurement +
                    QStringLiteral("   "));
    if (model.printDateTime) lines.print(longDate);
    lines.endLine();

    if (model.printSettings == 1) {
        lines.print(QStringLiteral("CENTERFR.:") + DecimalText(s.centerFreq) + QStringLiteral(" MHz"));
        lines.tabTo(PRINT_SETTINGS_COLUMN);
        lines.print(QStringLiteral("SCANWIDTH:") + DecimalText(s.scanWidth) + QStringLiteral(" MHz/DIV."));
        lines.endLine();
        lines.print(BandwidthText(s.bandwidthIndex));
        lines.tabTo(PRINT_SETTINGS_COLUMN);
        lines.print(VideoFilterText(s.videoFilterOn));
    }
    lines.endLine();
    lines.endLine();

    const LabelUnit unit = GraphLabelUnit(s);

    if (model.printCursor == 1) {
        lines.moveTo(top - 45.0 * d);
        const struct {
            bool open;
            int x;
            int colour;
            const char* title;
        } cursors[] = {
            {model.levelWindowOpen, model.levelCursorX, COLOUR_LIGHT_RED, " Cursor A: "},
            {model.limitListOpen, model.limitCursorX, COLOUR_LIGHT_GREEN, " Cursor B: "},
        };
        for (const auto& c : cursors) {
            if (!c.open) continue;
            canvas.setPenColour(colour(c.colour));
            const double at = s.resolution > 0 ? RoundHalfEven(static_cast<double>(c.x) / s.resolution) : 0.0;
            const auto i =
                static_cast<std::size_t>(std::clamp(at, 0.0, static_cast<double>(TRACE_LAST_INDEX)));
            const double freq = static_cast<double>(c.x) * s.scanWidth / 400.0 + start;
            QString line = FormatNumber(freq, u"0000.000 MHz") + QStringLiteral(" -> ");
            for (const Curve& curve : measured) {
                if (!curve.printed) continue;
                const double level = RawToDb(curve.trace[i]) + unit.base;
                line += QStringLiteral("  ") + QString::fromLatin1(curve.name).left(2) + QStringLiteral(":") +
                        FormatNumber(level, u"0000.0 ") + unit.text;
            }
            lines.print(QString::fromLatin1(c.title));
            lines.print(line);
            lines.endLine();
        }
    }

    canvas.setPenColour(COLOUR_BLACK);
    canvas.setLineWidth(8);
    canvas.line(0, lo, PLOT_X_LAST, lo);
    canvas.line(PLOT_X_LAST, lo, PLOT_X_LAST, hi);
    canvas.line(PLOT_X_LAST, hi, 0, hi);
    canvas.line(0, hi, 0, lo);

    canvas.setLineWidth(1);
    DrawHorizontalGrid(canvas, lo, hi);
    for (int x = PLOT_X_DIVISION; x < PLOT_X_LAST; x += PLOT_X_DIVISION) canvas.line(x, lo, x, hi);

    canvas.setLineWidth(2);
    const struct {
        bool printed;
        const BoundaryLine& boundary;
        int colour;
    } boundaries[] = {
        {model.printBoundaryActual, model.boundaryActual, COLOUR_GREEN},
        {model.printBoundaryAverage, model.boundaryAverage, COLOUR_LIGHT_BLUE},
        {model.printBoundaryPeak, model.boundaryPeak, COLOUR_LIGHT_RED},
    };
    const BoundaryPlacement placement = PlacementFor(model, false);
    for (const auto& b : boundaries) {
        if (!b.printed) continue;
        canvas.setPenColour(colour(b.colour));
        DrawBoundary(canvas, b.boundary, placement);
    }

    const Curve comparison{model.printComparison, model.traceComparison, COLOUR_CYAN, ""};
    for (const Curve* curve : {&measured[0], &measured[1], &measured[2], &comparison}) {
        if (!curve->printed) continue;
        canvas.setPenColour(colour(curve->colour));
        DrawTrace(canvas, curve->trace, range.first, range.last, s.resolution, noiseFloor, lo);
    }

    if (model.printCursor == 1) {
        canvas.setLineWidth(1);
        canvas.setLineStyle(LineStyle::Dashed);
        if (model.levelWindowOpen)
            canvas.line(model.levelCursorX, lo, model.levelCursorX, hi, colour(COLOUR_LIGHT_RED));
        if (model.limitListOpen)
            canvas.line(model.limitCursorX, lo, model.limitCursorX, hi, colour(COLOUR_LIGHT_GREEN));
        canvas.setLineStyle(LineStyle::Solid);
    }

    canvas.setPenColour(colour(COLOUR_MAGENTA));
    DrawScaleLabels(canvas, unit, s, lo, hi, LabelPlacement{5.0, 9.0});
    canvas.refresh();
}

}  // namespace tk
