#pragma once

#include <QFont>
#include <QRectF>

#include "Canvas.h"

class QPainter;

namespace tk {

// A canvas on an open painter of a page (a printer or a PDF file). The user coordinates fill the painter's
// area; a line width of 1 is one dot of a 600 dpi printer; texts take a fixed-pitch font whose character is
// PRINT_COLUMN_WIDTH x units wide, so that the page's columns line up. NotXor has no meaning on paper and is
// drawn as copy.
class PainterCanvas final : public Canvas {
public:
    PainterCanvas(QPainter& painter, QRectF area, double dotsPerInch);

    void clear() override {}
    void setScale(double xLeft, double yTop, double xRight, double yBottom) override;
    void setPenColour(int paletteIndex) override { m_colour = paletteIndex; }
    int penColour() const override { return m_colour; }
    void setLineWidth(int width) override { m_width = width; }
    void setLineStyle(LineStyle style) override { m_style = style; }
    void setDrawMode(DrawMode mode) override { m_mode = mode; }
    DrawMode drawMode() const override { return m_mode; }
    void line(double x1, double y1, double x2, double y2) override;
    void line(double x1, double y1, double x2, double y2, int paletteIndex) override;
    void polyline(std::span<const QPointF> points) override;
    void text(double x, double y, const QString& text) override;
    void setCaption(const QString&) override {}
    bool isMinimised() const override { return false; }
    void refresh() override {}

private:
    QPointF map(double x, double y) const;
    void applyPen(int paletteIndex);

    QPainter& m_painter;
    QRectF m_area;
    double m_dotScale;
    QFont m_font;
    int m_colour = 0;
    int m_width = 1;
    LineStyle m_style = LineStyle::Solid;
    DrawMode m_mode = DrawMode::Copy;
    double m_xLeft = 0.0;
    double m_yTop = 0.0;
    double m_xFactor = 1.0;
    double m_yFactor = 1.0;
};

}  // namespace tk
