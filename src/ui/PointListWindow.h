#pragma once

#include <QWidget>

#include "MeasurementModel.h"
#include "SpectrumGraph.h"

class QPlainTextEdit;
class QScrollBar;

namespace tk {

// The level window `boxwerte` and the violation list `boxlim`: eleven rows of sweep points around a marked
// point in a fixed-pitch font, a scroll bar that moves the marked point, and the marked point's cursor line
// on the graph. The window is open from its creation until it is closed.
class PointListWindow : public QWidget {
    Q_OBJECT
public:
    ~PointListWindow() override;

    // Rebuilds the rows from the latest traces at the present scroll position and moves the cursor line:
    // what a menu entry and every graph redraw ask of an open list.
    void Refresh();

    // Marks a sweep point (as far as the scroll bar reaches) and moves the cursor line to it.
    void MarkPoint(int point);

    QScrollBar* scrollBar() const { return m_scroll; }
    QPlainTextEdit* textBox() const { return m_text; }

protected:
    struct Kind {
        const char* windowName;
        const char* caption;
        const char* scrollName;
        const char* textName;
        VbBool MeasurementModel::*open;
        std::int16_t MeasurementModel::*cursorX;
        // A click on the rows moves the cursor line too.
        bool clickMovesCursor;
    };

    PointListWindow(MeasurementModel& model, SpectrumGraph& graph, const Kind& kind, QWidget* parent);
    virtual QString Rows(int p) const = 0;
    virtual void DrawCursor() = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    MeasurementModel& m_model;
    SpectrumGraph& m_graph;

private:
    void SetScrollMaximum();
    void ShowRows(bool moveCursor);

    Kind m_kind;
    QScrollBar* m_scroll = nullptr;
    QPlainTextEdit* m_text = nullptr;
};

// `boxwerte`, "Signals": every trace's level at each point.
class LevelWindow final : public PointListWindow {
    Q_OBJECT
public:
    LevelWindow(MeasurementModel& model, SpectrumGraph& graph, QWidget* parent = nullptr);

protected:
    QString Rows(int p) const override;
    void DrawCursor() override { m_graph.DrawLevelCursor(); }
};

// `boxlim`, "Surpass Boundaries": at each point the traces that reach their boundary.
class ViolationList final : public PointListWindow {
    Q_OBJECT
public:
    ViolationList(MeasurementModel& model, SpectrumGraph& graph, QWidget* parent = nullptr);

protected:
    QString Rows(int p) const override;
    void DrawCursor() override { m_graph.DrawLimitCursor(); }
};

}  // namespace tk
