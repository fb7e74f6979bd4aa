#include "PeakTableWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "FileIO.h"

namespace tk {
namespace {

constexpr int COLUMNS = 6;

}  // namespace

PeakTableWindow::PeakTableWindow(MeasurementModel& model, PeakTableSettings& settings, PeakCapture& capture,
                                 UserDialogs& dialogs, Hooks hooks, QWidget* parent)
    : QWidget(parent),
      m_model(model),
      m_settings(settings),
      m_capture(capture),
      m_dialogs(dialogs),
      m_hooks(std::move(hooks)) {
    setObjectName(QStringLiteral("boxpeaks"));
    setWindowTitle(QStringLiteral("Peak table"));

    m_trace = new QComboBox(this);
    m_trace->setObjectName(QStringLiteral("peaktrace"));
    for (BoundaryTrace t : {BoundaryTrace::Actual, BoundaryTrace::Average, BoundaryTrace::Peak})
        m_trace->addItem(TraceTitle(t), static_cast<int>(t));
    m_trace->setCurrentIndex(m_trace->findData(static_cast<int>(settings.trace)));
    m_count = new QSpinBox(this);
    m_count->setObjectName(QStringLiteral("peakcount"));
    m_count->setRange(PEAK_COUNT_MIN, PEAK_COUNT_MAX);
    m_count->setValue(settings.options.count);
    m_prominence = new QDoubleSpinBox(this);
    m_prominence->setObjectName(QStringLiteral("peakprominence"));
    m_prominence->setRange(0.0, 80.0);
    m_prominence->setDecimals(1);
    m_prominence->setSingleStep(0.5);
    m_prominence->setSuffix(QStringLiteral(" dB"));
    m_prominence->setValue(settings.options.prominenceDb);
    m_spacing = new QSpinBox(this);
    m_spacing->setObjectName(QStringLiteral("peakspacing"));
    m_spacing->setRange(1, 4000);
    m_spacing->setSuffix(QStringLiteral(" points"));
    m_spacing->setValue(settings.options.spacingPoints);

    auto* choice = new QHBoxLayout;
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Trace"), m_trace);
    form->addRow(QStringLiteral("Peaks"), m_count);
    auto* form2 = new QFormLayout;
    form2->addRow(QStringLiteral("Prominence"), m_prominence);
    form2->addRow(QStringLiteral("Spacing"), m_spacing);
    choice->addLayout(form);
    choice->addLayout(form2);

    m_table = new QTableView(this);
    m_table->setModel(&m_rowsModel);
    m_table->setObjectName(QStringLiteral("peaktable"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();

    auto* copy = new QPushButton(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("peakcopy"));
    auto* exportButton = new QPushButton(QStringLiteral("Export"), this);
    exportButton->setObjectName(QStringLiteral("peakexport"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    buttons->addWidget(exportButton);
    buttons->addStretch(1);

    m_captureOn = new QCheckBox(QStringLiteral("Capture on violation"), this);
    m_captureOn->setObjectName(QStringLiteral("peakcapture"));
    m_captureOn->setChecked(capture.enabled());
    m_captureStops = new QCheckBox(QStringLiteral("Then stop auto measurement"), this);
    m_captureStops->setObjectName(QStringLiteral("peakcapturestop"));
    m_captureStops->setChecked(capture.stopsAutoMeasurement());
    m_folder = new QLineEdit(capture.folder(), this);
    m_folder->setObjectName(QStringLiteral("peakfolder"));
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("peakfolderbrowse"));
    m_captureState = new QLabel(this);
    m_captureState->setObjectName(QStringLiteral("peakcapturestate"));
    // The same emission is captured again only after this many seconds (and only once it had cleared).
    auto* holdOff = new QSpinBox(this);
    holdOff->setObjectName(QStringLiteral("peakholdoff"));
    holdOff->setRange(0, 3600);
    holdOff->setSuffix(QStringLiteral(" s"));
    holdOff->setValue(capture.holdOffSeconds());
    holdOff->setKeyboardTracking(false);
    auto* captureRow = new QHBoxLayout;
    captureRow->addWidget(m_captureOn);
    captureRow->addWidget(m_captureStops);
    captureRow->addWidget(new QLabel(QStringLiteral("Hold-off"), this));
    captureRow->addWidget(holdOff);
    captureRow->addStretch(1);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(QStringLiteral("Folder"), this));
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choice);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    layout->addLayout(captureRow);
    layout->addLayout(folderRow);
    layout->addWidget(m_captureState);

    connect(m_trace, &QComboBox::currentIndexChanged, this, &PeakTableWindow::SettingsChanged);
    connect(m_count, &QSpinBox::valueChanged, this, &PeakTableWindow::SettingsChanged);
    connect(m_prominence, &QDoubleSpinBox::valueChanged, this, &PeakTableWindow::SettingsChanged);
    connect(m_spacing, &QSpinBox::valueChanged, this, &PeakTableWindow::SettingsChanged);
    connect(copy, &QPushButton::clicked, this, &PeakTableWindow::CopyRows);
    connect(exportButton, &QPushButton::clicked, this, &PeakTableWindow::ExportRows);
    connect(m_captureOn, &QCheckBox::toggled, this, [this](bool on) { m_capture.setEnabled(on); });
    connect(m_captureStops, &QCheckBox::toggled, this,
            [this](bool on) { m_capture.setStopsAutoMeasurement(on); });
    connect(holdOff, &QSpinBox::valueChanged, this, [this](int s) { m_capture.setHoldOffSeconds(s); });
    connect(m_folder, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_capture.setFolder(text); });
    connect(browse, &QPushButton::clicked, this, &PeakTableWindow::ChooseFolder);
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        const int row = index.row();
        if (row >= 0 && row < static_cast<int>(m_rows.size()) && m_hooks.markPoint)
            m_hooks.markPoint(m_rows[static_cast<std::size_t>(row)].index);
    });

    Refresh();
    // Widths fitted to the contents once; fitting them on every refresh would measure every cell again on
    // each read.
    m_table->resizeColumnsToContents();
    ShowCaptureState();
    // Wide enough for every column and tall enough for ten rows.
    const int frame = 2 * m_table->frameWidth();
    const QSize table(m_table->verticalHeader()->sizeHint().width() + m_table->horizontalHeader()->length() +
                          m_table->verticalScrollBar()->sizeHint().width() + frame,
                      m_table->horizontalHeader()->sizeHint().height() +
                          10 * m_table->verticalHeader()->defaultSectionSize() + frame);
    const QSize all = layout->sizeHint();
    m_wanted = QSize(
        std::max(all.width(),
                 table.width() + layout->contentsMargins().left() + layout->contentsMargins().right()),
        all.height() - m_table->sizeHint().height() + std::max(table.height(), m_table->sizeHint().height()));
    resize(m_wanted);
}

void PeakTableWindow::SettingsChanged() {
    m_settings.trace = static_cast<BoundaryTrace>(m_trace->currentData().toInt());
    m_settings.options.count = m_count->value();
    m_settings.options.prominenceDb = m_prominence->value();
    m_settings.options.spacingPoints = m_spacing->value();
    Refresh();
    // The markers on the graph show the new peaks.
    if (m_hooks.redrawGraph) m_hooks.redrawGraph();
}

void PeakTableWindow::Refresh() {
    m_rows = PeakTable(m_model, m_settings.trace, m_settings.options);
    std::vector<QStringList> fields;
    fields.reserve(m_rows.size());
    for (const PeakRow& row : m_rows) fields.push_back(PeakRowFields(row));
    m_rowsModel.SetRows(PeakTableHeader(m_model.settings), std::move(fields));
}

void PeakRowsModel::SetRows(const QStringList& header, std::vector<QStringList> rows) {
    if (header != m_header) {
        m_header = header;
        emit headerDataChanged(Qt::Horizontal, 0, COLUMNS - 1);
    }
    const int before = static_cast<int>(m_rows.size());
    const int after = static_cast<int>(rows.size());
    if (after < before) {
        beginRemoveRows({}, after, before - 1);
        m_rows.resize(static_cast<std::size_t>(after));
        endRemoveRows();
    } else if (after > before) {
        beginInsertRows({}, before, after - 1);
        m_rows.resize(static_cast<std::size_t>(after));
        endInsertRows();
    }
    m_rows = std::move(rows);
    if (after > 0) emit dataChanged(index(0, 0), index(after - 1, COLUMNS - 1), {Qt::DisplayRole});
}

int PeakRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int PeakRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : COLUMNS;
}

QVariant PeakRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size())) return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(index.column() == COLUMNS - 1 ? Qt::Alignment(Qt::AlignCenter)
                                                                 : Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    return m_rows[static_cast<std::size_t>(index.row())].value(index.column());
}

QVariant PeakRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return m_header.value(section);
}

void PeakTableWindow::ShowCaptureState() {
    QString text = QStringLiteral("Captures: %1").arg(m_capture.count());
    if (!m_capture.lastCapture().isEmpty()) text += QStringLiteral(", last: ") + m_capture.lastCapture();
    if (m_capture.failed()) text += QStringLiteral(" - the last capture could not be written");
    m_captureState->setText(text);
}

void PeakTableWindow::CopyRows() {
    QApplication::clipboard()->setText(PeakTableText(m_model.settings, m_rows, QLatin1Char('\t')));
}

void PeakTableWindow::ExportRows() {
    const FileDialogRequest request{QStringLiteral("Export peaks"),
                                    QStringLiteral("CSV table (*.csv)"),
                                    QStringLiteral("*.csv"),
                                    QStringLiteral("csv"),
                                    false,
                                    true};
    const std::optional<QString> name = m_dialogs.saveFileName(request);
    if (!name) return;
    if (!WriteFileAtomically(*name, PeakTableText(m_model.settings, m_rows, QLatin1Char(',')).toUtf8()))
        m_dialogs.message(QStringLiteral("File error"), QStringLiteral("File handling"));
}

void PeakTableWindow::ChooseFolder() {
    if (const auto folder = m_dialogs.folderName(QStringLiteral("Capture folder"), m_folder->text()))
        m_folder->setText(*folder);
}

}  // namespace tk
