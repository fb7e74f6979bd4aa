#include "ReplayWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "BusyCursor.h"
#include "FileIO.h"
#include "FileOperations.h"
#include "GraphWindow.h"
#include "PeakTableWindow.h"
#include "RecordingConvert.h"
#include "SpectrumGraph.h"
#include "WaterfallView.h"

namespace tk {
namespace {

constexpr int MARGIN = 6;
constexpr int PLAY_TICK_MS = 20;
constexpr double REFRESH_S = 1.0;

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QTableWidget* Table(const char* name, QWidget* parent) {
    auto* t = new QTableWidget(parent);
    t->setObjectName(QLatin1String(name));
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

const BoundaryTrace PEAK_TRACES[] = {BoundaryTrace::Actual, BoundaryTrace::Average, BoundaryTrace::Peak};

}  // namespace

ReplayTimeline::ReplayTimeline(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("replaytimeline"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ReplayTimeline::SetReads(int count, std::vector<int> violations) {
    m_count = count;
    m_violations = std::move(violations);
    update();
}

void ReplayTimeline::SetPosition(int position) {
    m_position = position;
    update();
}

int ReplayTimeline::XOf(int position) const {
    const int span = std::max(1, width() - 2 * MARGIN);
    return MARGIN + (m_count > 1 ? int(qint64(position) * span / (m_count - 1)) : 0);
}

int ReplayTimeline::PositionAtX(int x) const {
    if (m_count <= 1) return 0;
    const int span = std::max(1, width() - 2 * MARGIN);
    const qint64 p = (qint64(x - MARGIN) * (m_count - 1) + span / 2) / span;
    return int(std::clamp<qint64>(p, 0, m_count - 1));
}

void ReplayTimeline::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setPen(palette().mid().color());
    p.drawLine(MARGIN, height() / 2, width() - MARGIN, height() / 2);
    p.setPen(QColor(Qt::red));
    for (int v : m_violations) p.drawLine(XOf(v), 2, XOf(v), height() / 2);
    if (m_count == 0) return;
    p.setPen(QPen(palette().text().color(), 2));
    p.drawLine(XOf(m_position), 0, XOf(m_position), height());
}

void ReplayTimeline::mousePressEvent(QMouseEvent* event) {
    emit positionChosen(PositionAtX(int(event->position().x())));
}

void ReplayTimeline::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) emit positionChosen(PositionAtX(int(event->position().x())));
}

ReplayWindow::ReplayWindow(std::unique_ptr<Replay> replay, const MeasurementModel& shownWith,
                           UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_replay(std::move(replay)),
      m_model(shownWith),
      m_dialogs(dialogs),
      m_peakRows(std::make_unique<PeakRowsModel>()) {
    setObjectName(QStringLiteral("boxreplay"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Replay - %1").arg(QFileInfo(m_replay->fileName()).fileName()));
    m_model.levelWindowOpen = false;
    m_model.limitListOpen = false;
    m_model.showComparison = false;

    m_timeline = new ReplayTimeline(this);
    auto* previous = Button("replayprevious", QStringLiteral("|<"), this);
    auto* back = Button("replayback", QStringLiteral("<"), this);
    m_play = Button("replayplay", QStringLiteral("Play"), this);
    m_play->setCheckable(true);
    auto* step = Button("replaystep", QStringLiteral(">"), this);
    auto* next = Button("replaynext", QStringLiteral(">|"), this);
    previous->setToolTip(QStringLiteral("Previous violation"));
    next->setToolTip(QStringLiteral("Next violation"));
    m_speed = new QComboBox(this);
    m_speed->setObjectName(QStringLiteral("replayspeed"));
    for (int s : REPLAY_SPEEDS) m_speed->addItem(QStringLiteral("%1x").arg(s), s);
    m_time = new QLabel(this);
    m_time->setObjectName(QStringLiteral("replaytime"));
    auto* controls = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{previous, back, m_play, step, next, m_speed})
        controls->addWidget(w);
    controls->addWidget(m_time, 1);

    m_graph = new GraphWindow(
        m_model, [this] { Redraw(); }, this);
    m_graph->setObjectName(QStringLiteral("replaygraph"));
    m_waterfall = new WaterfallView(m_model, m_history, this);
    m_waterfall->setObjectName(QStringLiteral("replaywaterfall"));
    auto* peaks = new QWidget(this);
    m_peakTrace = new QComboBox(peaks);
    m_peakTrace->setObjectName(QStringLiteral("replaypeaktrace"));
    for (BoundaryTrace t : PEAK_TRACES) m_peakTrace->addItem(TraceTitle(t));
    m_peakTable = new QTableView(peaks);
    m_peakTable->setObjectName(QStringLiteral("replaypeaks"));
    m_peakTable->setModel(m_peakRows.get());
    m_peakTable->verticalHeader()->hide();
    m_peakTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* peakLayout = new QVBoxLayout(peaks);
    peakLayout->setContentsMargins(0, 0, 0, 0);
    peakLayout->addWidget(m_peakTrace);
    peakLayout->addWidget(m_peakTable);
    auto* pictures = new QSplitter(Qt::Vertical, this);
    pictures->addWidget(m_graph);
    pictures->addWidget(m_waterfall);
    auto* middle = new QSplitter(Qt::Horizontal, this);
    middle->addWidget(pictures);
    middle->addWidget(peaks);
    middle->setStretchFactor(0, 3);
    middle->setSizes({760, 400});

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("replaytabs"));
    m_tabs = tabs;
    m_events = Table("replayevents", tabs);
    m_worst = Table("replayworst", tabs);
    m_over = Table("replayover", tabs);
    tabs->addTab(m_events, QStringLiteral("Events"));
    tabs->addTab(m_worst, QStringLiteral("Worst margins"));
    tabs->addTab(m_over, QStringLiteral("Times over boundary"));
    auto* query = Button("replayquery", QStringLiteral("Find"), this);
    auto* copy = Button("replaycopy", QStringLiteral("Copy"), this);
    auto* store = Button("replaystore", QStringLiteral("Store moment..."), this);
    m_from = new QDateTimeEdit(this);
    m_from->setObjectName(QStringLiteral("replayfrom"));
    m_to = new QDateTimeEdit(this);
    m_to->setObjectName(QStringLiteral("replayto"));
    for (QDateTimeEdit* edit : {m_from, m_to}) {
        edit->setTimeSpec(Qt::UTC);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    }
    auto* exportRange = Button("replayexport", QStringLiteral("Export CSV..."), this);
    auto* fromLabel = new QLabel(QStringLiteral("From"), this);
    auto* toLabel = new QLabel(QStringLiteral("to"), this);
    auto* actions = new QHBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{query, copy, store, fromLabel, m_from, toLabel, m_to, exportRange})
        actions->addWidget(w);
    actions->addStretch(1);

    auto* lower = new QWidget(this);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(tabs);
    auto* all = new QSplitter(Qt::Vertical, this);
    all->addWidget(middle);
    all->addWidget(lower);
    all->setStretchFactor(0, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_timeline);
    layout->addWidget(all, 1);
    layout->addLayout(actions);

    connect(m_timeline, &ReplayTimeline::positionChosen, this, &ReplayWindow::GoTo);
    connect(previous, &QPushButton::clicked, this, &ReplayWindow::PreviousViolation);
    connect(next, &QPushButton::clicked, this, &ReplayWindow::NextViolation);
    connect(back, &QPushButton::clicked, this, [this] { Step(-1); });
    connect(step, &QPushButton::clicked, this, [this] { Step(1); });
    connect(m_play, &QPushButton::toggled, this, &ReplayWindow::SetPlaying);
    connect(m_speed, &QComboBox::currentIndexChanged, this, [this] {
        if (playing()) SetPlaying(true);  // the new speed counts from here
    });
    connect(m_peakTrace, &QComboBox::currentIndexChanged, this, [this] {
        ShowPeaks();
        m_graph->update();
        Redraw();
    });
    connect(m_events, &QTableWidget::cellClicked, this, [this](int row) {
        const auto& events = m_replay->events();
        if (row >= 0 && row < int(events.size())) GoTo(m_replay->PositionAt(events[std::size_t(row)].utcMs));
    });
    connect(query, &QPushButton::clicked, this, &ReplayWindow::RunQueries);
    connect(copy, &QPushButton::clicked, this, &ReplayWindow::CopyTable);
    connect(store, &QPushButton::clicked, this, &ReplayWindow::StoreMoment);
    connect(exportRange, &QPushButton::clicked, this, &ReplayWindow::ExportRange);
    m_timer.setInterval(PLAY_TICK_MS);
    connect(&m_timer, &QTimer::timeout, this,
            [this] { PlayTo(m_playFrom, double(m_wall.elapsed()) / 1000.0); });

    TakeNewReads();
    GoTo(0);
    resize(1100, 820);
}

ReplayWindow::~ReplayWindow() = default;

int ReplayWindow::speed() const {
    return m_speed->currentData().toInt();
}

void ReplayWindow::TakeNewReads() {
    std::vector<int> violations;
    const auto& events = m_replay->events();
    for (const RecordedEvent& e : events)
        if (e.kind == QLatin1String("violation")) violations.push_back(m_replay->PositionAt(e.utcMs));
    m_timeline->SetReads(m_replay->size(), std::move(violations));
    ShowTable(m_events, EventTable(events));
    if (m_replay->size() == 0) return;
    const RecordedMoment& first = m_replay->moments().front();
    const RecordedMoment& last = m_replay->moments().back();
    // The fields show the recording's local time at its start, as the event list does.
    m_fieldOffsetS = first.utcOffsetS;
    for (QDateTimeEdit* edit : {m_from, m_to}) {
        edit->setMinimumDateTime(FieldTime(first.utcMs - 1000));
        edit->setMaximumDateTime(FieldTime(last.utcMs + 1000));
    }
    if (m_position < 0) {
        m_from->setDateTime(FieldTime(first.utcMs));
        m_to->setDateTime(FieldTime(last.utcMs));
    }
}

// A date field holds no offset of its own: it is kept in UTC, moved by the recording's offset.
QDateTime ReplayWindow::FieldTime(qint64 utcMs) const {
    return QDateTime::fromMSecsSinceEpoch(utcMs + qint64(m_fieldOffsetS) * 1000, Qt::UTC);
}

qint64 ReplayWindow::FieldUtcMs(const QDateTimeEdit* field) const {
    return field->dateTime().toMSecsSinceEpoch() - qint64(m_fieldOffsetS) * 1000;
}

void ReplayWindow::Failed(const QString& text) {
    SetPlaying(false);
    m_dialogs.message(text, QStringLiteral("Replay"), MessageIcon::Warning);
}

void ReplayWindow::GoTo(int position) {
    if (m_replay->size() == 0) {
        m_time->setText(QStringLiteral("The recording holds no reads yet"));
        return;
    }
    position = std::clamp(position, 0, m_replay->size() - 1);
    QString error;
    // Forward by less than the waterfall keeps adds the rows read meanwhile; any other move builds it anew.
    const bool onward = m_historyValid && m_position >= 0 && position >= m_position &&
                        position - m_position <= m_history.capacity();
    if (!onward) m_history.Clear();
    int added = 0;
    // A move that failed half-way leaves the waterfall to be made anew at the next.
    m_historyValid = false;
    if (!m_replay->AddWaterfallRows(onward ? m_position : -1, position, m_history, &error, &added) ||
        !m_replay->Show(position, m_model, &error))
        return Failed(error);
    m_historyValid = true;
    m_position = position;
    m_timeline->SetPosition(position);
    const RecordedMoment& moment = m_replay->moments()[std::size_t(position)];
    const auto& events = m_replay->events();
    m_time->setText(
        QStringLiteral("%1  read %2 of %3 (%4)%5")
            .arg(ReplayTimeText(moment.utcMs, moment.utcOffsetS))
            .arg(position + 1)
            .arg(m_replay->size())
            .arg(RecordedTraceName(moment.trace))
            .arg(m_replay->damagedShown() > 0 ? QStringLiteral(" - a damaged read left out") : QString()));
    ShowPeaks();
    Redraw();
    // The picture gains the one row read since, or is drawn anew (which a new level range does itself).
    const double oldMin = m_waterfall->rangeMin(), oldMax = m_waterfall->rangeMax();
    m_waterfall->setRange(m_model.graphLevelMin, m_model.graphLevelMax);
    if (oldMin == m_waterfall->rangeMin() && oldMax == m_waterfall->rangeMax()) {
        if (onward && added == 1)
            m_waterfall->RowAdded();
        else if (!onward || added > 1)
            m_waterfall->Rebuild();
    }
    // The event list follows: its last event at or before the moment.
    const auto at = std::upper_bound(events.begin(), events.end(), moment.utcMs,
                                     [](qint64 t, const RecordedEvent& e) { return t < e.utcMs; });
    if (at != events.begin()) m_events->selectRow(int(at - events.begin()) - 1);
}

void ReplayWindow::Step(int by) {
    SetPlaying(false);
    GoTo(m_position + by);
}

void ReplayWindow::NextViolation() {
    SetPlaying(false);
    if (const auto p = m_replay->NextViolation(m_position)) GoTo(*p);
}

void ReplayWindow::PreviousViolation() {
    SetPlaying(false);
    if (const auto p = m_replay->PreviousViolation(m_position)) GoTo(*p);
}

void ReplayWindow::SetPlaying(bool on) {
    m_timer.stop();
    if (on) {
        m_playFrom = std::max(m_position, 0);
        m_lastRefresh = -REFRESH_S;
        m_wall.start();
        m_timer.start();
    }
    const QSignalBlocker block(m_play);
    m_play->setChecked(on);
    m_play->setText(on ? QStringLiteral("Pause") : QStringLiteral("Play"));
}

void ReplayWindow::PlayTo(int from, double wallSeconds) {
    // At the end a recording still being written is asked for its new reads, once a second.
    if (m_position >= m_replay->size() - 1 && wallSeconds - m_lastRefresh >= REFRESH_S) {
        m_lastRefresh = wallSeconds;
        QString error;
        bool changed = false;
        if (!m_replay->Refresh(&error, &changed)) return Failed(error);
        if (changed) TakeNewReads();
    }
    const int target = m_replay->PlayPosition(from, wallSeconds, speed());
    if (target != m_position) GoTo(target);
}

void ReplayWindow::Redraw() {
    GraphHooks hooks;
    const BoundaryTrace trace = PEAK_TRACES[std::max(0, m_peakTrace->currentIndex())];
    hooks.drawOverlay = [this, trace](Canvas& canvas) { DrawPeakMarkers(m_model, canvas, trace, m_peaks); };
    RedrawGraph(m_model, m_graph->canvas(), hooks);
    m_graph->update();
}

void ReplayWindow::ShowPeaks() {
    const BoundaryTrace trace = PEAK_TRACES[std::max(0, m_peakTrace->currentIndex())];
    m_peaks = PeakTable(m_model, trace, PeakOptions{});
    std::vector<QStringList> rows;
    for (const PeakRow& row : m_peaks) rows.push_back(PeakRowFields(row));
    m_peakRows->SetRows(PeakTableHeader(m_model.settings), std::move(rows));
}

void ReplayWindow::ShowTable(QTableWidget* table, const ReplayTable& content) {
    table->clear();
    table->setColumnCount(int(content.header.size()));
    table->setHorizontalHeaderLabels(content.header);
    table->setRowCount(int(content.rows.size()));
    for (int r = 0; r < int(content.rows.size()); ++r)
        for (int c = 0; c < int(content.rows[std::size_t(r)].size()); ++c)
            table->setItem(r, c, new QTableWidgetItem(content.rows[std::size_t(r)][c]));
    table->resizeColumnsToContents();
}

void ReplayWindow::RunQueries() {
    SetPlaying(false);
    const BusyCursor busy;
    QString error;
    const std::vector<EmissionSummary> worst = m_replay->WorstMargins(&error);
    if (!error.isEmpty()) return Failed(error);
    m_worstTable = WorstMarginTable(worst);
    m_overTable = OverBoundaryTable(m_replay->TimesOverBoundary());
    ShowTable(m_worst, m_worstTable);
    ShowTable(m_over, m_overTable);
    static_cast<QTabWidget*>(m_tabs)->setCurrentWidget(m_worst);
}

void ReplayWindow::CopyTable() {
    auto* tabs = static_cast<QTabWidget*>(m_tabs);
    const ReplayTable table = tabs->currentWidget() == m_worst  ? m_worstTable
                              : tabs->currentWidget() == m_over ? m_overTable
                                                                : EventTable(m_replay->events());
    QApplication::clipboard()->setText(table.Text());
}

void ReplayWindow::StoreMoment() {
    SetPlaying(false);
    if (m_position < 0)
        return m_dialogs.message(QStringLiteral("The recording holds no reads yet"), QStringLiteral("Replay"),
                                 MessageIcon::Information);
    const FileDialogRequest request{QStringLiteral("Store moment"),
                                    QStringLiteral("Messungen (*.mes)"),
                                    QStringLiteral("*.mes"),
                                    QStringLiteral("mes"),
                                    false,
                                    true};
    const std::optional<QString> name = m_dialogs.saveFileName(request);
    if (name) SaveMeasurementFile(*name, m_model, m_dialogs);
}

void ReplayWindow::ExportRange() {
    SetPlaying(false);
    const int from = m_replay->PositionFrom(FieldUtcMs(m_from));
    const int to = m_replay->PositionAt(FieldUtcMs(m_to));
    if (m_replay->size() == 0 || from > to || m_replay->moments()[std::size_t(to)].utcMs > FieldUtcMs(m_to))
        return m_dialogs.message(QStringLiteral("No reads between these times"), QStringLiteral("Replay"),
                                 MessageIcon::Information);
    const FileDialogRequest request{QStringLiteral("Export CSV"),
                                    QStringLiteral("CSV table (*.csv)"),
                                    QStringLiteral("*.csv"),
                                    QStringLiteral("csv"),
                                    false,
                                    true};
    const std::optional<QString> name = m_dialogs.saveFileName(request);
    if (!name) return;
    // Written a piece of reads at a time, so that a day's export never holds the day at once.
    const BusyCursor busy;
    QString error;
    const auto writePieces = [&](QIODevice& device, const QByteArray&) {
        for (int p = from; p <= to; p += Replay::CHUNK) {
            const std::vector<RecordedRead> reads =
                m_replay->ReadsBetween(p, std::min(to, p + Replay::CHUNK - 1), &error);
            const QByteArray lines = RecordingCsv(reads, p == from);
            if (!error.isEmpty() || device.write(lines) != lines.size()) return false;
        }
        return true;
    };
    if (WriteFileAtomically(*name, {}, writePieces)) return;
    if (!error.isEmpty()) return Failed(error);
    m_dialogs.message(QStringLiteral("File error"), QStringLiteral("File handling"));
}

void OpenReplay(const MeasurementModel& model, UserDialogs& dialogs, QWidget* parent) {
    FileDialogRequest request =
        OpenFileRequest(QStringLiteral("Recording (*.tkrec);;All files (*.*)"), QStringLiteral("tkrec"));
    request.title = QStringLiteral("Replay");
    const std::optional<QString> name = dialogs.openFileName(request);
    if (!name) return;
    auto replay = std::make_unique<Replay>();
    QString error;
    if (!replay->Open(*name, &error))
        return dialogs.message(error, QStringLiteral("Replay"), MessageIcon::Warning);
    auto* window = new ReplayWindow(std::move(replay), model, dialogs, parent);
    window->show();
}

}  // namespace tk
