#pragma once

#include <QWidget>
#include <functional>

#include "MeasurementModel.h"
#include "UserDialogs.h"
#include "Waterfall.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace tk {

class WaterfallView;

// The child window "Waterfall": the actual trace's history as a picture, with the level range of its colours
// (the graph's, or two fields of the user's), the number of rows it keeps, and a line that tells what is
// under the mouse. Its context menu pauses, clears and saves the picture.
class WaterfallWindow : public QWidget {
    Q_OBJECT
public:
    // markX puts the lists' cursors at an x of the plot (0..4000).
    WaterfallWindow(MeasurementModel& model, UserDialogs& dialogs, std::function<void(int)> markX,
                    QWidget* parent = nullptr);

    // A completed read of the actual trace at `time` (clock seconds): its row is added unless paused.
    void ActualTraceRead(double time);
    // The colours follow the graph's level range, or the user's.
    void UpdateRange();

    const WaterfallHistory& history() const { return m_history; }
    WaterfallView* view() const { return m_view; }
    QAction* pauseAction() const { return m_pause; }
    QAction* clearAction() const { return m_clear; }
    QAction* pictureAction() const { return m_picture; }

    void Clear();
    void SavePicture();

private:
    void ShowFields();
    void TakeFields();
    void SetStatus(const QString& text);

    MeasurementModel& m_model;
    UserDialogs& m_dialogs;
    WaterfallHistory m_history;
    WaterfallView* m_view = nullptr;
    QCheckBox* m_followGraph = nullptr;
    QLineEdit* m_from = nullptr;
    QLineEdit* m_to = nullptr;
    QLabel* m_unit = nullptr;
    QSpinBox* m_rows = nullptr;
    QLabel* m_status = nullptr;
    QAction* m_pause = nullptr;
    QAction* m_clear = nullptr;
    QAction* m_picture = nullptr;
    // The user's range, in raw units.
    double m_userMin = 0.0;
    double m_userMax = 255.0;
    // A lasting notice (a new history), shown again when the mouse leaves the rows.
    QString m_notice;
};

}  // namespace tk
