#pragma once

// A canvas that draws nothing and writes every operation as one text line. Lines carry the pen they are
// drawn with, the style and mode only when not solid and copy: "line 0,0-4000,0 c0 w3",
// "line 800,0-800,255 c12 w1 dotted notxor"; texts their colour: "text -300,6 c5 \"-107.0\"".

#include <QStringList>

#include "Canvas.h"

namespace tk {

class RecordingCanvas final : public Canvas {
public:
    QStringList log;
    bool minimised = false;  // what isMinimised() answers

    void clear() override { log << QStringLiteral("clear"); }
    void setScale(double xLeft, double yTop, double xRight, double yBottom) override {
        log << QStringLiteral("scale ") + xy(xLeft, yTop) + '-' + xy(xRight, yBottom);
    }
    void setPenColour(int paletteIndex) override {
        log << QStringLiteral("colour %1").arg(m_colour = paletteIndex);
    }
    int penColour() const override { return m_colour; }
    void setLineWidth(int width) override { log << QStringLiteral("width %1").arg(m_width = width); }
    void setLineStyle(LineStyle style) override {
        m_style = style;
        log << QStringLiteral("style ") + styleName();
    }
    void setDrawMode(DrawMode mode) override {
        m_mode = mode;
        log << (mode == DrawMode::NotXor ? QStringLiteral("mode notxor") : QStringLiteral("mode copy"));
    }
    DrawMode drawMode() const override { return m_mode; }
    void line(double x1, double y1, double x2, double y2) override { line(x1, y1, x2, y2, m_colour); }
    void line(double x1, double y1, double x2, double y2, int paletteIndex) override {
        QString entry =
            QStringLiteral("line %1-%2 c%3 w%4").arg(xy(x1, y1), xy(x2, y2)).arg(paletteIndex).arg(m_width);
        if (m_style != LineStyle::Solid) entry += ' ' + styleName();
        if (m_mode == DrawMode::NotXor) entry += QStringLiteral(" notxor");
        log << entry;
    }
    // Kept as the segments it stands for, so that a test sees the same lines however they were asked for.
    void polyline(std::span<const QPointF> p) override {
        for (std::size_t i = 1; i < p.size(); ++i) line(p[i - 1].x(), p[i - 1].y(), p[i].x(), p[i].y());
    }
    void text(double x, double y, const QString& text) override {
        log << QStringLiteral("text %1 c%2 \"").arg(xy(x, y)).arg(m_colour) + text + '"';
    }
    void setCaption(const QString& caption) override { log << QStringLiteral("caption \"") + caption + '"'; }
    bool isMinimised() const override { return minimised; }
    void refresh() override { log << QStringLiteral("refresh"); }

private:
    static QString xy(double x, double y) { return QString::number(x) + ',' + QString::number(y); }
    QString styleName() const {
        return m_style == LineStyle::Dotted   ? QStringLiteral("dotted")
               : m_style == LineStyle::Dashed ? QStringLiteral("dashed")
                                              : QStringLiteral("solid");
    }

    int m_colour = 0;
    int m_width = 1;
    LineStyle m_style = LineStyle::Solid;
    DrawMode m_mode = DrawMode::Copy;
};

}  // namespace tk
