#include "PointListWindow.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>

#include "PointLists.h"

namespace tk {
namespace {

// The user unit's name is shown and kept without its surrounding blanks.
void TrimUserUnitName(MeasurementSettings& s) {
    s.userUnitName.set(s.userUnitName.trimmed());
}

QString ShownText(QString rows) {
    // The rows end with carriage return and line feed; the text box breaks lines at the line feed alone.
    rows.remove(QLatin1Char('\r'));
    if (rows.endsWith(QLatin1Char('\n'))) rows.chop(1);
    return rows;
}

}  // namespace

PointListWindow::PointListWindow(MeasurementModel& model, SpectrumGraph& graph, const Kind& kind,
                                 QWidget* parent)
    : QWidget(parent), m_model(model), m_graph(graph), m_kind(kind) {
    setObjectName(QString::fromLatin1(kind.windowName));
    setWindowTitle(QString::fromLatin1(kind.caption));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QString::fromLatin1(kind.textName));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({QStringLiteral("Courier New"), font.family()});
    font.setStyleHint(QFont::Monospace);
    m_text->setFont(font);
    m_text->viewport()->installEventFilter(this);
    m_scroll = new QScrollBar(Qt::Vertical, this);
    m_scroll->setObjectName(QString::fromLatin1(kind.scrollName));
    m_scroll->setPageStep(10);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_scroll);
    const QFontMetrics metrics(m_text->font());
    resize(metrics.horizontalAdvance(QLatin1Char('0')) * 80 + 40, metrics.lineSpacing() * 11 + 30);

    connect(m_scroll, &QScrollBar::valueChanged, this, [this] {
        SetScrollMaximum();
        ShowRows(true);
    });
}

PointListWindow::~PointListWindow() {
    m_text->viewport()->removeEventFilter(this);
}

void PointListWindow::SetScrollMaximum() {
    // The maximum is set before the position is read, so that after a change of resolution no row lies past
    // the sweep's last point.
    const QSignalBlocker block(m_scroll);
    m_scroll->setRange(LIST_SCROLL_MINIMUM, ListScrollMaximum(m_model.settings.resolution));
}

void PointListWindow::ShowRows(bool moveCursor) {
    TrimUserUnitName(m_model.settings);
    const int p = m_scroll->value();
    m_text->setPlainText(ShownText(Rows(p)));
    if (!moveCursor) return;
    m_model.*m_kind.cursorX = ListCursorX(p, m_model.settings.resolution);
    DrawCursor();
    // The first cursor line is drawn with the window not yet open: there is no earlier line to remove.
    m_model.*m_kind.open = true;
}

void PointListWindow::Refresh() {
    SetScrollMaximum();
    ShowRows(true);
}

void PointListWindow::MarkPoint(int point) {
    SetScrollMaximum();
    {
        // Position p marks point p + 5, the first position.
        const QSignalBlocker block(m_scroll);
        m_scroll->setValue(point + LIST_SCROLL_MINIMUM);
    }
    ShowRows(true);
}

bool PointListWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_text->viewport() && event->type() == QEvent::MouseButtonPress)
        ShowRows(m_kind.clickMovesCursor);
    return QWidget::eventFilter(watched, event);
}

void PointListWindow::closeEvent(QCloseEvent* event) {
    // Drawn once more in not-xor mode at its place, the cursor line leaves the graph.
    m_model.*m_kind.open = false;
    DrawCursor();
    event->accept();
}

LevelWindow::LevelWindow(MeasurementModel& model, SpectrumGraph& graph, QWidget* parent)
    : PointListWindow(model, graph,
                      {"boxwerte", "Signals", "vscwerte", "wertebox", &MeasurementModel::levelWindowOpen,
                       &MeasurementModel::levelCursorX, false},
                      parent) {
    Refresh();
}

QString LevelWindow::Rows(int p) const {
    return LevelWindowText(m_model, p);
}

ViolationList::ViolationList(MeasurementModel& model, SpectrumGraph& graph, QWidget* parent)
    : PointListWindow(model, graph,
                      {"boxlim", "Surpass Boundaries", "vscwertelim", "limbox",
                       &MeasurementModel::limitListOpen, &MeasurementModel::limitCursorX, true},
                      parent) {
    Refresh();
}

QString ViolationList::Rows(int p) const {
    return ViolationListText(m_model, p);
}

}  // namespace tk
