#pragma once

// The printed page of the current measurement: headline, legend, file names and date, settings, cursor
// values, and the plot drawn by the graph's own drawing code with the printer's widths, colours and offsets.

#include <QLocale>
#include <QString>

#include "Canvas.h"
#include "MeasurementModel.h"

namespace tk {

// The header's texts are placed by character columns and lines of the page's user coordinates: a column is
// this many x units wide, a line this many label units d high. The canvas that prints picks its font to
// match.
constexpr double PRINT_COLUMN_WIDTH = 40.0;
constexpr double PRINT_LINE_HEIGHT_D = 7.0;
// The column the second item of each settings line starts at.
constexpr int PRINT_SETTINGS_COLUMN = 25;

// The trace indices the page prints, first..last, from the print window printFromMHz..printToMHz.
struct PrintIndexRange {
    int first = 1;
    int last = 0;
};
PrintIndexRange PrintedIndexRange(const MeasurementModel& model);

// A date text as the program keeps it ("dd.MM.yyyy") in the locale's long format; a text that is no such
// date is printed as it stands.
QString LongDateText(const QString& dateText, const QLocale& locale = QLocale());

// Draws the page onto the canvas and ends it with refresh(). Recomputes graphLevelMin/graphLevelMax from the
// curves shown on the screen and trims the user unit's name, as a redraw of the graph does.
void PrintOut(MeasurementModel& model, Canvas& canvas, const QString& longDate);

}  // namespace tk
