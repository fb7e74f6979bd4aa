#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <optional>

#include "MeasurementModel.h"

namespace tk {

// Pictures of a loaded measurement, drawn by the program's own drawing code: the graph window's redraw for
// PNG and SVG, the printout for PDF.
enum class PictureKind { Png, Svg, Pdf };

// The picture a file name asks for by its extension, or nothing when it names no picture.
std::optional<PictureKind> PictureKindOfName(const QString& fileName);
// "WxH" with both sides 16..16384 pixels, or nothing.
std::optional<QSize> ParsePictureSize(const QString& text);

// "START,STOP" in MHz, 0 < START < STOP: the logarithmic frequency view from START to STOP, or nothing.
std::optional<FrequencyView> ParseLogFrequency(const QString& text);

// The printer setup for a measurement printed without one: the traces and the comparison curve the graph
// shows, the boundaries the file switches on, in colour, under the maker's headline.
void PrintWhatTheGraphShows(MeasurementModel& model);
// Takes the printer setup fields a settings file holds from another model.
void TakePrintSetup(const MeasurementModel& from, MeasurementModel& to);

// Writes the graph of the measurement at the size (PNG, SVG) or its printout page (PDF, A4). The file is
// replaced only when it was written completely. False when it could not be written.
bool WriteMeasurementPicture(MeasurementModel& model, PictureKind kind, const QString& fileName, QSize size,
                             const QFont& font);

}  // namespace tk
