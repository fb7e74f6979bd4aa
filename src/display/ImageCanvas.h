#pragma once

#include <QFont>
#include <QImage>
#include <QSize>
#include <functional>
#include <memory>

#include "Canvas.h"

class QPainter;

namespace tk {

// The graph window's persistent picture: a white image that the drawing goes into and that the window
// shows, and that the clipboard command copies. The user coordinate system is mapped to whole pixels, with
// no antialiasing, so that a line drawn twice in NotXor mode covers exactly the same pixels and vanishes.
// One-pixel solid lines in copy mode (grid and traces) are set pixel by pixel, for speed; everything else
// goes through a QPainter.
class ImageCanvas final : public Canvas {
public:
    explicit ImageCanvas(QSize size = QSize(1, 1));
    ~ImageCanvas() override;
    ImageCanvas(const ImageCanvas&) = delete;
    ImageCanvas& operator=(const ImageCanvas&) = delete;

    // A new white image of the size (at least one pixel each way); the state and the scale stay.
    void resize(QSize size);
    QSize size() const { return m_image.size(); }
    // The picture as drawn so far. Any painting in progress is finished first, so that a copy taken from
    // here never changes under the holder's hands.
    const QImage& image() const;
    void setFont(const QFont& font);
    // The user x of a pixel column: where a click on the picture points.
    double userX(double pixelX) const { return m_xFactor != 0.0 ? m_xLeft + pixelX / m_xFactor : m_xLeft; }

    // The window's side: caption text, whether it is minimised, show now, and a picture that changed since
    // it was last taken with image() (called once per change, for a deferred repaint).
    void setCaptionHandler(std::function<void(const QString&)> handler) { m_onCaption = std::move(handler); }
    void setMinimisedQuery(std::function<bool()> query) { m_isMinimised = std::move(query); }
    void setRefreshHandler(std::function<void()> handler) { m_onRefresh = std::move(handler); }
    void setChangeHandler(std::function<void()> handler) { m_onChange = std::move(handler); }

    void clear() override;
    void setScale(double xLeft, double yTop, double xRight, double yBottom) override;
    void setPenColour(int paletteIndex) override;
    int penColour() const override { return m_colour; }
    void setLineWidth(int width) override;
    void setLineStyle(LineStyle style) override;
    void setDrawMode(DrawMode mode) override;
    DrawMode drawMode() const override { return m_mode; }
    void line(double x1, double y1, double x2, double y2) override;
    void line(double x1, double y1, double x2, double y2, int paletteIndex) override;
    void polyline(std::span<const QPointF> points) override;
    void text(double x, double y, const QString& text) override;
    void setCaption(const QString& caption) override;
    bool isMinimised() const override;
    void refresh() override;

private:
    QPainter& painter();
    void applyPen(int paletteIndex);
    void changed();
    // One-pixel solid lines in copy mode take the direct path.
    bool thinSolidCopy() const;
    int mapX(double x) const;
    int mapY(double y) const;
    void updateFactors();

    QImage m_image;
    mutable std::unique_ptr<QPainter> m_painter;
    QFont m_font;
    int m_colour = 0;
    int m_width = 1;
    LineStyle m_style = LineStyle::Solid;
    DrawMode m_mode = DrawMode::Copy;
    // The colour the open painter's pen holds; the pen and composition mode are set again when not valid.
    int m_painterColour = 0;
    bool m_painterStateValid = false;
    double m_xLeft = 0.0;
    double m_yTop = 0.0;
    double m_xRight = 1.0;
    double m_yBottom = 1.0;
    double m_xFactor = 1.0;
    double m_yFactor = 1.0;
    mutable bool m_changeReported = false;
    std::function<void(const QString&)> m_onCaption;
    std::function<bool()> m_isMinimised;
    std::function<void()> m_onRefresh;
    std::function<void()> m_onChange;
};

}  // namespace tk
