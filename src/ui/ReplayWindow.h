#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "MeasurementModel.h"
#include "PeakTable.h"
#include "Replay.h"
#include "UserDialogs.h"
#include "Waterfall.h"

class QAction;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;

namespace tk {

class GraphWindow;
class PeakRowsModel;
class WaterfallView;

// The replay's time line: the reads from left to right, a red mark where a violation began and the moment
// shown as a dark line. A click or a drag picks a moment.
class ReplayTimeline final : public QWidget {
    Q_OBJECT
public:
    explicit ReplayTimeline(QWidget* parent = nullptr);
    void SetReads(int count, std::vector<int> violations);
    void SetPosition(int position);
    int position() const { return m_position; }
    // The read under an x of the widget.
    int PositionAtX(int x) const;
    QSize sizeHint() const override { return {600, 28}; }
    QSize minimumSizeHint() const override { return {120, 28}; }

signals:
    void positionChosen(int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    int XOf(int position) const;

    int m_count = 0;
    int m_position = 0;
    std::vector<int> m_violations;
};

// "Replay": a recording played back in a window of its own, with the graph, the waterfall and the peak table
// as they were shown live, the recording's events, and its queries. It never touches the line.
class ReplayWindow final : public QWidget {
    Q_OBJECT
public:
    // The replay draws with a copy of the program's model (colours, units, view), its reads put in.
    ReplayWindow(std::unique_ptr<Replay> replay, const MeasurementModel& shownWith, UserDialogs& dialogs,
                 QWidget* parent = nullptr);
    ~ReplayWindow() override;

    const Replay& replay() const { return *m_replay; }
    const MeasurementModel& model() const { return m_model; }
    const WaterfallHistory& waterfall() const { return m_history; }
    int position() const { return m_position; }
    bool playing() const { return m_timer.isActive(); }
    int speed() const;

    // Shows the moment of the read at position (kept within the recording).
    void GoTo(int position);
    void Step(int by);
    void NextViolation();
    void PreviousViolation();
    void SetPlaying(bool on);
    // Playing: the read the replay stands at after wallSeconds since it started playing from `from`.
    void PlayTo(int from, double wallSeconds);
    // "Store moment...": the moment as a measurement file. "Export CSV...": the reads between the two times.
    void StoreMoment();
    void ExportRange();
    // "Find": the queries' tables; "Copy": the shown table on the clipboard.
    void RunQueries();
    void CopyTable();

private:
    void Failed(const QString& text);
    void Redraw();
    void ShowPeaks();
    void ShowTable(QTableWidget* table, const ReplayTable& content);
    void TakeNewReads();
    QDateTime FieldTime(qint64 utcMs) const;
    qint64 FieldUtcMs(const QDateTimeEdit* field) const;

    std::unique_ptr<Replay> m_replay;
    MeasurementModel m_model;
    UserDialogs& m_dialogs;
    WaterfallHistory m_history;
    int m_position = -1;
    bool m_historyValid = false;  // the waterfall holds the rows up to m_position
    int m_fieldOffsetS = 0;       // the local offset the date fields show
    double m_lastRefresh = 0.0;   // when playing last asked a recording at its end for new reads
    QTimer m_timer;
    QElapsedTimer m_wall;
    int m_playFrom = 0;
    ReplayTimeline* m_timeline = nullptr;
    QPushButton* m_play = nullptr;
    QComboBox* m_speed = nullptr;
    QLabel* m_time = nullptr;
    GraphWindow* m_graph = nullptr;
    WaterfallView* m_waterfall = nullptr;
    QComboBox* m_peakTrace = nullptr;
    std::unique_ptr<PeakRowsModel> m_peakRows;
    std::vector<PeakRow> m_peaks;
    QTableView* m_peakTable = nullptr;
    QTableWidget* m_events = nullptr;
    QTableWidget* m_worst = nullptr;
    QTableWidget* m_over = nullptr;
    QWidget* m_tabs = nullptr;
    QDateTimeEdit* m_from = nullptr;
    QDateTimeEdit* m_to = nullptr;
    ReplayTable m_worstTable;
    ReplayTable m_overTable;
};

// "Data" > "Replay...": asks for a recording and opens it in a replay window; a file that is no recording
// is said in a message.
void OpenReplay(const MeasurementModel& model, UserDialogs& dialogs, QWidget* parent);

}  // namespace tk
