#pragma once

// A canvas that draws nothing and keeps every operation, so that tests can compare exactly what a drawing
// procedure does: each entry carries the pen state it was drawn with, and reads as one text line such as
// "line 0,0-4000,0 c0 w3 solid copy".

#include <QString>
#include <QStringList>
#include <vector>

#include "Canvas.h"

namespace tk {

struct CanvasOp {
    enum class Kind {
        Clear,
        Scale,
        PenColour,
        LineWidth,
        LineStyle,
        DrawMode,
        Line,
        Text,
        Caption,
        Refresh,
        Note
    };

    Kind kind = Kind::Clear;
    // Line: the two ends; Text: the position in x1, y1; Scale: left, top, right, bottom.
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    // Line and Text: the colour used; PenColour: the colour set; LineWidth: in width.
    int colour = 0;
    int width = 1;
    LineStyle style = LineStyle::Solid;
    DrawMode mode = DrawMode::Copy;
    // Text, Caption and Note.
    QString text;

    static QString number(double v) { return QString::number(v, 'g', 10); }
    static QString styleName(LineStyle s) {
        switch (s) {
            case LineStyle::Dotted:
                return QStringLiteral("dotted");
            case LineStyle::Dashed:
                return QStringLiteral("dashed");
            case LineStyle::Solid:
                break;
        }
        return QStringLiteral("solid");
    }
    static QString modeName(DrawMode m) {
        return m == DrawMode::NotXor ? QStringLiteral("notxor") : QStringLiteral("copy");
    }

    QString toString() const {
        switch (kind) {
            case Kind::Clear:
                return QStringLiteral("clear");
            case Kind::Scale:
                return QStringLiteral("scale %1,%2-%3,%4")
                    .arg(number(x1), number(y1), number(x2), number(y2));
            case Kind::PenColour:
                return QStringLiteral("colour %1").arg(colour);
            case Kind::LineWidth:
                return QStringLiteral("width %1").arg(width);
            case Kind::LineStyle:
                return QStringLiteral("style ") + styleName(style);
            case Kind::DrawMode:
                return QStringLiteral("mode ") + modeName(mode);
            case Kind::Line:
                return QStringLiteral("line %1,%2-%3,%4 c%5 w%6 %7 %8")
                    .arg(number(x1), number(y1), number(x2), number(y2))
                    .arg(colour)
                    .arg(width)
                    .arg(styleName(style), modeName(mode));
            case Kind::Text:
                return QStringLiteral("text %1,%2 c%3 \"%4\"")
                    .arg(number(x1), number(y1))
                    .arg(colour)
                    .arg(text);
            case Kind::Caption:
                return QStringLiteral("caption \"%1\"").arg(text);
            case Kind::Refresh:
                return QStringLiteral("refresh");
            case Kind::Note:
                return QStringLiteral("note ") + text;
        }
        return {};
    }
};

class RecordingCanvas final : public Canvas {
public:
    std::vector<CanvasOp> ops;
    // What isMinimised() answers.
    bool minimised = false;

    // Every entry as its text line.
    QStringList log() const {
        QStringList out;
        for (const CanvasOp& op : ops) out << op.toString();
        return out;
    }
    // The entries of one kind, in order.
    std::vector<CanvasOp> only(CanvasOp::Kind kind) const {
        std::vector<CanvasOp> out;
        for (const CanvasOp& op : ops)
            if (op.kind == kind) out.push_back(op);
        return out;
    }
    // The lines drawn in one colour, in order.
    std::vector<CanvasOp> linesIn(int colour) const {
        std::vector<CanvasOp> out;
        for (const CanvasOp& op : ops)
            if (op.kind == CanvasOp::Kind::Line && op.colour == colour) out.push_back(op);
        return out;
    }
    // A marker from outside (a hook of the code under test), to check the order of events.
    void note(const QString& text) { ops.push_back(op(CanvasOp::Kind::Note, text)); }

    void clear() override { ops.push_back(op(CanvasOp::Kind::Clear)); }
    void setScale(double xLeft, double yTop, double xRight, double yBottom) override {
        CanvasOp o = op(CanvasOp::Kind::Scale);
        o.x1 = xLeft;
        o.y1 = yTop;
        o.x2 = xRight;
        o.y2 = yBottom;
        ops.push_back(o);
    }
    void setPenColour(int paletteIndex) override {
        m_colour = paletteIndex;
        ops.push_back(op(CanvasOp::Kind::PenColour));
    }
    int penColour() const override { return m_colour; }
    void setLineWidth(int width) override {
        m_width = width;
        ops.push_back(op(CanvasOp::Kind::LineWidth));
    }
    void setLineStyle(LineStyle style) override {
        m_style = style;
        ops.push_back(op(CanvasOp::Kind::LineStyle));
    }
    void setDrawMode(DrawMode mode) override {
        m_mode = mode;
        ops.push_back(op(CanvasOp::Kind::DrawMode));
    }
    DrawMode drawMode() const override { return m_mode; }
    void line(double x1, double y1, double x2, double y2) override { line(x1, y1, x2, y2, m_colour); }
    void line(double x1, double y1, double x2, double y2, int paletteIndex) override {
        CanvasOp o = op(CanvasOp::Kind::Line);
        o.x1 = x1;
        o.y1 = y1;
        o.x2 = x2;
        o.y2 = y2;
        o.colour = paletteIndex;
        ops.push_back(o);
    }
    // Kept as the segments it stands for, so that a test sees the same lines however they were asked for.
    void polyline(std::span<const QPointF> points) override {
        for (std::size_t i = 1; i < points.size(); ++i)
            line(points[i - 1].x(), points[i - 1].y(), points[i].x(), points[i].y());
    }
    void text(double x, double y, const QString& text) override {
        CanvasOp o = op(CanvasOp::Kind::Text, text);
        o.x1 = x;
        o.y1 = y;
        ops.push_back(o);
    }
    void setCaption(const QString& caption) override { ops.push_back(op(CanvasOp::Kind::Caption, caption)); }
    bool isMinimised() const override { return minimised; }
    void refresh() override { ops.push_back(op(CanvasOp::Kind::Refresh)); }

private:
    CanvasOp op(CanvasOp::Kind kind, const QString& text = {}) const {
        CanvasOp o;
        o.kind = kind;
        o.colour = m_colour;
        o.width = m_width;
        o.style = m_style;
        o.mode = m_mode;
        o.text = text;
        return o;
    }

    int m_colour = 0;
    int m_width = 1;
    LineStyle m_style = LineStyle::Solid;
    DrawMode m_mode = DrawMode::Copy;
};

}  // namespace tk
