#pragma once

#include <QPointF>
#include <QRgb>
#include <QString>
#include <array>
#include <span>

namespace tk {

// The 16 colours that every drawing of the program chooses from, by index.
constexpr std::array<QRgb, 16> PALETTE{
    qRgb(0, 0, 0),       qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
    qRgb(128, 0, 0),     qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(0, 0, 255),   qRgb(0, 255, 0),   qRgb(0, 255, 255),
    qRgb(255, 0, 0),     qRgb(255, 0, 255), qRgb(255, 255, 0), qRgb(255, 255, 255),
};

constexpr int COLOUR_BLACK = 0;
constexpr int COLOUR_GREEN = 2;
constexpr int COLOUR_CYAN = 3;
constexpr int COLOUR_MAGENTA = 5;
constexpr int COLOUR_GREY = 8;
constexpr int COLOUR_LIGHT_BLUE = 9;
constexpr int COLOUR_LIGHT_GREEN = 10;
constexpr int COLOUR_LIGHT_RED = 12;

// An index outside 0..15 wraps into the palette instead of reading past it.
constexpr QRgb PaletteColour(int index) {
    return PALETTE[static_cast<std::size_t>(index & 15)];
}

enum class LineStyle { Solid, Dotted, Dashed };

// Copy paints the pen colour; NotXor inverts the exclusive-or of pen and background, so drawing the same line
// a second time restores what was there (the cursor lines move this way without a full redraw).
enum class DrawMode { Copy, NotXor };

// A drawing surface with its own coordinate system, as the graph window and the printout use it. The state
// (pen colour, width, style, mode) stays set until it is changed again, also across clear().
class Canvas {
public:
    virtual ~Canvas() = default;

    // Erases everything to the background; the state and the scale stay.
    virtual void clear() = 0;
    // User coordinates of the left, top, right and bottom edges; y may grow upwards (yBottom < yTop).
    virtual void setScale(double xLeft, double yTop, double xRight, double yBottom) = 0;
    virtual void setPenColour(int paletteIndex) = 0;
    virtual int penColour() const = 0;
    virtual void setLineWidth(int width) = 0;
    virtual void setLineStyle(LineStyle style) = 0;
    virtual void setDrawMode(DrawMode mode) = 0;
    virtual DrawMode drawMode() const = 0;
    // A line in the current pen colour, width, style and draw mode.
    virtual void line(double x1, double y1, double x2, double y2) = 0;
    // The same with a colour for this line only; the pen colour is left as it was.
    virtual void line(double x1, double y1, double x2, double y2, int paletteIndex) = 0;
    // Connected lines through the points, the same as the lines from each point to the next, except that a
    // surface may fill the joints a pixel differently. The traces use it so that a surface can draw thousands
    // of segments in one go. In NotXor mode the joints would be inverted once instead of twice, so the moving
    // cursors keep using line().
    virtual void polyline(std::span<const QPointF> points) = 0;
    // Text in the pen colour with its top-left corner at (x, y).
    virtual void text(double x, double y, const QString& text) = 0;

    // The window around the surface; a printer has none and ignores these.
    virtual void setCaption(const QString& caption) = 0;
    virtual bool isMinimised() const = 0;
    // Shows what has been drawn.
    virtual void refresh() = 0;
};

}  // namespace tk
