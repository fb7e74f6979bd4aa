#include "ControlBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QRadioButton>
#include <QRegion>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "EditorNumbers.h"
#include "Format.h"
#include "LogFrequency.h"
#include "OptionGroups.h"
#include "Units.h"

namespace tk {

namespace {

constexpr std::size_t CENTER_FREQ = 0;
constexpr std::size_t ATTENUATION = 1;
constexpr std::size_t NOISE = 2;
constexpr std::size_t ACTUAL_INTERVAL = 3;
constexpr std::size_t PEAK_INTERVAL = 4;
constexpr std::size_t AVERAGE_INTERVAL = 5;
constexpr std::size_t LOG_START = 6;
constexpr std::size_t LOG_STOP = 7;

const std::array<const char*, 4> BANDWIDTH_CAPTIONS{"9 kHz", "20 kHz", "120 kHz", "400 kHz"};
const std::array<const char*, 3> FIXED_UNIT_CAPTIONS{"dB&pW", "dB&m", "dB&uV"};

QString Name(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The number a field's text stands for, by the leading-number rule, made whole where the field holds whole
// numbers, and held within the field's range.
double TypedValue(QStringView text, double lo, double hi, bool wholeNumbers) {
    double v = LeadingNumber(text);
    if (std::isnan(v)) v = 0;
    if (wholeNumbers) v = RoundHalfEven(v);
    return std::clamp(v, lo, hi);
}

// One step of a spin button from the stored value, held within the spin range.
double SpunValue(double stored, int step, double lo, double hi) {
    return std::clamp(stored + step, lo, hi);
}

// A stored number as the field shows it: whole numbers plainly, single-precision values as the shortest
// decimal that reads back to the same float.
QString NumberText(double value, bool wholeNumbers) {
    if (wholeNumbers) return QString::number(static_cast<qint64>(value));
    return EditorNumberText(static_cast<float>(value));
}

QString ScanCaption(std::size_t index) {
    if (index == ZERO_SCAN_INDEX) return QStringLiteral("ZERO SCAN");
    return QString::number(static_cast<double>(SCAN_WIDTHS[index]), 'g', 7) + QStringLiteral(" MHz");
}

void SetTextIfDifferent(QLineEdit* edit, const QString& text) {
    if (edit->text() != text) edit->setText(text);
}

QCheckBox* NewCheckBox(const char* name, const char* caption, QWidget* parent) {
    auto* box = new QCheckBox(Name(caption), parent);
    box->setObjectName(Name(name));
    return box;
}

QLabel* NewLabel(const char* name, const char* caption, QWidget* parent) {
    auto* label = new QLabel(Name(caption), parent);
    label->setObjectName(Name(name));
    return label;
}

}  // namespace

SpinButtons::SpinButtons(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto make = [&](const char* childName, Qt::ArrowType arrow) {
        auto* b = new QToolButton(this);
        b->setObjectName(Name(childName));
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::ClickFocus);
        b->setFixedSize(18, 11);
        layout->addWidget(b);
        return b;
    };
    m_up = make("up", Qt::UpArrow);
    m_down = make("down", Qt::DownArrow);
}

ControlBox::ControlBox(MeasurementModel& model, QWidget* parent) : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("boxcon"));
    setWindowTitle(QStringLiteral("Display setup"));
    BuildWindow();
    ShowModel();
}

ControlBox::~ControlBox() {
    // The fields may still lose the focus while they are taken down; by then there is no box to tell.
    for (const NumberField& f : m_fields) f.edit->removeEventFilter(this);
}

ControlBox::NumberField& ControlBox::AddNumberField(std::size_t index, const char* editName,
                                                    const char* spinName) {
    NumberField& f = m_fields[index];
    f.edit = new QLineEdit(this);
    f.edit->setObjectName(Name(editName));
    f.edit->setMaximumWidth(90);
    f.edit->installEventFilter(this);
    f.spin = new SpinButtons(Name(spinName), this);
    connect(f.spin->up(), &QToolButton::clicked, this, [this, &f] { Spin(f, +1); });
    connect(f.spin->down(), &QToolButton::clicked, this, [this, &f] { Spin(f, -1); });
    return f;
}

void ControlBox::BuildWindow() {
    MeasurementSettings& s = m_model.settings;

    NumberField& center = AddNumberField(CENTER_FREQ, "centerfreq", "Spin3");
    center.typedMax = 3000;
    center.spinMax = 20000;
    center.redrawOnEnter = center.redrawOnSpin = true;
    center.get = [&s] { return static_cast<double>(s.centerFreq); };
    center.set = [&s](double v) { s.centerFreq = ToSingle(v); };

    NumberField& attenuation = AddNumberField(ATTENUATION, "dämpf", "Spin2");
    attenuation.typedMin = attenuation.spinMin = -80;
    attenuation.typedMax = attenuation.spinMax = 80;
    attenuation.redrawOnEnter = attenuation.redrawOnLeaving = attenuation.redrawOnSpin = true;
    attenuation.get = [&s] { return static_cast<double>(s.attenuation); };
    attenuation.set = [&s](double v) { s.attenuation = ToSingle(v); };

    NumberField& noise = AddNumberField(NOISE, "rausch", "Spin1");
    noise.typedMax = noise.spinMax = 80;
    noise.redrawOnEnter = noise.redrawOnLeaving = noise.redrawOnSpin = true;
    noise.get = [&s] { return static_cast<double>(s.noiseSuppression); };
    noise.set = [&s](double v) { s.noiseSuppression = ToSingle(v); };

    auto interval = [&](std::size_t index, const char* editName, const char* spinName, std::int32_t& field) {
        NumberField& f = AddNumberField(index, editName, spinName);
        f.typedMin = f.spinMin = 1;
        f.typedMax = f.spinMax = 30000;
        f.wholeNumbers = true;
        f.get = [&field] { return static_cast<double>(field); };
        f.set = [&field](double v) { field = static_cast<std::int32_t>(v); };
    };
    interval(ACTUAL_INTERVAL, "aktime", "Spinak", s.actualInterval);
    interval(PEAK_INTERVAL, "pktime", "Spinpk", s.peakInterval);
    interval(AVERAGE_INTERVAL, "avtime", "Spinav", s.averageInterval);

    FrequencyView& view = m_model.frequencyView;
    auto viewLimit = [&](std::size_t index, const char* editName, const char* spinName, float& field) {
        NumberField& f = AddNumberField(index, editName, spinName);
        f.typedMax = 3000;
        f.spinMax = 20000;
        f.redrawOnEnter = f.redrawOnLeaving = f.redrawOnSpin = true;
        f.get = [&field] { return static_cast<double>(field); };
        f.set = [&field](double v) { field = ToSingle(v); };
    };
    viewLimit(LOG_START, "logstart", "Spinlogstart", view.startMHz);
    viewLimit(LOG_STOP, "logstop", "Spinlogstop", view.stopMHz);

    auto numberRow = [&](QGridLayout* grid, int row, QWidget* label, std::size_t index, const char* unit) {
        grid->addWidget(label, row, 0);
        grid->addWidget(m_fields[index].edit, row, 1);
        grid->addWidget(m_fields[index].spin, row, 2);
        grid->addWidget(new QLabel(Name(unit), this), row, 3);
    };

    // Left column: the frequency axis and the filters.
    auto* left = new QVBoxLayout;
    auto* centerGrid = new QGridLayout;
    numberRow(centerGrid, 0, NewLabel("lbcenterfreq", "Center Freq.", this), CENTER_FREQ, "MHz");
    centerGrid->setColumnStretch(4, 1);
    left->addLayout(centerGrid);

    auto* scanFrame = new QGroupBox(QStringLiteral("Scanwidth"), this);
    scanFrame->setObjectName(QStringLiteral("frscan"));
    auto* scanGrid = new QGridLayout(scanFrame);
    m_scan = new QButtonGroup(this);
    m_scan->setObjectName(QStringLiteral("scan"));
    for (std::size_t i = 0; i < SCAN_WIDTHS.size(); ++i) {
        auto* b = new QRadioButton(ScanCaption(i), scanFrame);
        b->setObjectName(QStringLiteral("scan%1").arg(i));
        m_scan->addButton(b, static_cast<int>(i));
        scanGrid->addWidget(b, static_cast<int>(i % 6), static_cast<int>(i / 6));
    }
    // A file may hold a width the analyzer does not have; the labels of the graph would not match it.
    m_scanNote = new QLabel(scanFrame);
    m_scanNote->setObjectName(QStringLiteral("scannote"));
    m_scanNote->setWordWrap(true);
    m_scanNote->hide();
    scanGrid->addWidget(m_scanNote, 6, 0, 1, 2);
    left->addWidget(scanFrame);

    auto* bwFrame = new QGroupBox(QStringLiteral("Bandwidth"), this);
    bwFrame->setObjectName(QStringLiteral("frbw"));
    auto* bwGrid = new QGridLayout(bwFrame);
    m_bandwidth = new QButtonGroup(this);
    m_bandwidth->setObjectName(QStringLiteral("opBW"));
    for (std::size_t i = 0; i < BANDWIDTH_CAPTIONS.size(); ++i) {
        auto* b = new QRadioButton(Name(BANDWIDTH_CAPTIONS[i]), bwFrame);
        b->setObjectName(QStringLiteral("opBW%1").arg(i));
        m_bandwidth->addButton(b, static_cast<int>(i));
        bwGrid->addWidget(b, static_cast<int>(i % 2), static_cast<int>(i / 2));
    }
    left->addWidget(bwFrame);
    m_videoFilter = NewCheckBox("chVideoFilter", "Video Filter", this);
    left->addWidget(m_videoFilter);

    // How the graph spreads the frequencies; the analyzer is not told.
    auto* axisFrame = new QGroupBox(QStringLiteral("Frequency axis"), this);
    axisFrame->setObjectName(QStringLiteral("frfreqaxis"));
    auto* axisGrid = new QGridLayout(axisFrame);
    m_logView = NewCheckBox("cklogfreq", "Logarithmic", axisFrame);
    axisGrid->addWidget(m_logView, 0, 0, 1, 4);
    numberRow(axisGrid, 1, NewLabel("lblogstart", "Start", axisFrame), LOG_START, "MHz");
    numberRow(axisGrid, 2, NewLabel("lblogstop", "Stop", axisFrame), LOG_STOP, "MHz");
    m_logNote = NewLabel("lognote", "The start must lie above 0 and below the stop", axisFrame);
    m_logNote->setWordWrap(true);
    m_logNote->hide();
    axisGrid->addWidget(m_logNote, 3, 0, 1, 4);
    axisGrid->setColumnStretch(4, 1);
    left->addWidget(axisFrame);
    left->addStretch(1);

    // Right column: the level scale and what is acquired and checked.
    auto* right = new QVBoxLayout;
    auto* unitFrame = new QGroupBox(QStringLiteral("Unit"), this);
    unitFrame->setObjectName(QStringLiteral("frunit"));
    auto* unitRow = new QHBoxLayout(unitFrame);
    m_unit = new QButtonGroup(this);
    m_unit->setObjectName(QStringLiteral("Einheit"));
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(unitFrame);
        b->setObjectName(QStringLiteral("Einheit%1").arg(i));
        if (i < 3) b->setText(Name(FIXED_UNIT_CAPTIONS[static_cast<std::size_t>(i)]));
        m_unit->addButton(b, i);
        unitRow->addWidget(b);
    }
    m_userUnit = qobject_cast<QRadioButton*>(m_unit->button(3));
    right->addWidget(unitFrame);

    auto* levelGrid = new QGridLayout;
    numberRow(levelGrid, 0, NewLabel("lbdämpf", "Attenuation", this), ATTENUATION, "dB");
    numberRow(levelGrid, 1, NewLabel("lbrausch", "Noise suppression", this), NOISE, "dB");
    levelGrid->setColumnStretch(4, 1);
    right->addLayout(levelGrid);

    auto* curvesFrame = new QGroupBox(QStringLiteral("Signal curves"), this);
    curvesFrame->setObjectName(QStringLiteral("frcurves"));
    auto* curvesRow = new QHBoxLayout(curvesFrame);
    m_showActual = NewCheckBox("ckaktuell", "Actual", curvesFrame);
    m_showPeak = NewCheckBox("ckpeak", "Peak", curvesFrame);
    m_showAverage = NewCheckBox("ckaverage", "Average", curvesFrame);
    for (QCheckBox* b : {m_showActual, m_showPeak, m_showAverage}) curvesRow->addWidget(b);
    right->addWidget(curvesFrame);

    auto* transferFrame = new QGroupBox(QStringLiteral("Transfer rate"), this);
    transferFrame->setObjectName(QStringLiteral("frtransfer"));
    auto* transferGrid = new QGridLayout(transferFrame);
    numberRow(transferGrid, 0, NewLabel("lbaktime", "Actual", transferFrame), ACTUAL_INTERVAL, "s");
    numberRow(transferGrid, 1, NewLabel("lbpktime", "Peak", transferFrame), PEAK_INTERVAL, "s");
    numberRow(transferGrid, 2, NewLabel("lbavtime", "Average", transferFrame), AVERAGE_INTERVAL, "s");
    transferGrid->setColumnStretch(4, 1);
    right->addWidget(transferFrame);

    auto* limitsFrame = new QGroupBox(QStringLiteral("Boundaries"), this);
    limitsFrame->setObjectName(QStringLiteral("frlimits"));
    auto* limitsRow = new QHBoxLayout(limitsFrame);
    m_limitActual = NewCheckBox("cklimak", "Actual", limitsFrame);
    m_limitPeak = NewCheckBox("cklimpk", "Peak", limitsFrame);
    m_limitAverage = NewCheckBox("cklimav", "Average", limitsFrame);
    for (QCheckBox* b : {m_limitActual, m_limitPeak, m_limitAverage}) limitsRow->addWidget(b);
    right->addWidget(limitsFrame);

    m_calibrate = NewCheckBox("ckeichen", "Calibrate", this);
    right->addWidget(m_calibrate);
    right->addStretch(1);

    auto* columns = new QHBoxLayout(this);
    columns->addLayout(left);
    columns->addLayout(right);

    connect(m_scan, &QButtonGroup::idClicked, this, &ControlBox::OnScanClicked);
    connect(m_unit, &QButtonGroup::idClicked, this, &ControlBox::OnUnitClicked);
    connect(m_bandwidth, &QButtonGroup::idClicked, this, &ControlBox::OnBandwidthClicked);
    connect(m_videoFilter, &QCheckBox::clicked, this,
            [this](bool on) { m_model.settings.videoFilterOn = on ? 1 : 0; });
    auto flag = [this](QCheckBox* box, VbBool MeasurementSettings::*field, bool redraw) {
        connect(box, &QCheckBox::clicked, this, [this, field, redraw](bool on) {
            m_model.settings.*field = on;
            if (redraw) m_model.redrawPending = true;
        });
    };
    flag(m_showActual, &MeasurementSettings::showActual, true);
    flag(m_showPeak, &MeasurementSettings::showPeak, true);
    flag(m_showAverage, &MeasurementSettings::showAverage, true);
    flag(m_limitActual, &MeasurementSettings::limitActual, true);
    flag(m_limitPeak, &MeasurementSettings::limitPeak, true);
    flag(m_limitAverage, &MeasurementSettings::limitAverage, true);
    connect(m_logView, &QCheckBox::clicked, this, [this](bool on) {
        m_model.frequencyView.logarithmic = on;
        m_model.redrawPending = true;
    });
    // The correction is applied to the next trace read, not to what is drawn now.
    flag(m_calibrate, &MeasurementSettings::calibrationOn, false);
}

void ControlBox::ShowModel() {
    const MeasurementSettings& s = m_model.settings;
    m_userUnit->setText(s.userUnitName.trimmed());
    m_showActual->setChecked(s.showActual);
    m_showPeak->setChecked(s.showPeak);
    m_showAverage->setChecked(s.showAverage);
    m_limitActual->setChecked(s.limitActual);
    m_limitPeak->setChecked(s.limitPeak);
    m_limitAverage->setChecked(s.limitAverage);
    m_calibrate->setChecked(s.calibrationOn);
    for (const NumberField& f : m_fields) SetTextIfDifferent(f.edit, NumberText(f.get(), f.wholeNumbers));
    const auto scan = std::find(SCAN_WIDTHS.begin(), SCAN_WIDTHS.end(), s.scanWidth);
    SelectOption(m_scan, scan == SCAN_WIDTHS.end() ? -1 : static_cast<int>(scan - SCAN_WIDTHS.begin()));
    m_scanNote->setText(QStringLiteral("%1 MHz per division is no width of the analyzer")
                            .arg(QString::number(double(s.scanWidth), 'g', 7)));
    m_scanNote->setVisible(scan == SCAN_WIDTHS.end());
    SelectOption(m_unit, s.levelUnit);
    SelectOption(m_bandwidth, s.bandwidthIndex);
    m_videoFilter->setChecked(s.videoFilterOn != 0);
    const FrequencyView& view = m_model.frequencyView;
    m_logView->setChecked(view.logarithmic);
    m_logNote->setVisible(view.logarithmic && !LogAxisOf(m_model));
}

void ControlBox::ShowNumber(const NumberField& f) {
    f.edit->setText(NumberText(f.get(), f.wholeNumbers));
}

void ControlBox::TakeTyped(NumberField& f, Taken how) {
    f.set(TypedValue(f.edit->text(), f.typedMin, f.typedMax, f.wholeNumbers));
    ShowNumber(f);
    if (how == Taken::OnEnter ? f.redrawOnEnter : f.redrawOnLeaving) m_model.redrawPending = true;
}

void ControlBox::Spin(NumberField& f, int step) {
    f.set(SpunValue(f.get(), step, f.spinMin, f.spinMax));
    ShowNumber(f);
    if (f.redrawOnSpin) m_model.redrawPending = true;
}

void ControlBox::OnScanClicked(int index) {
    if (index < 0 || index >= static_cast<int>(SCAN_WIDTHS.size())) return;
    m_model.settings.scanWidth = SCAN_WIDTHS[static_cast<std::size_t>(index)];
    m_model.redrawPending = true;
}

void ControlBox::OnUnitClicked(int index) {
    m_model.settings.levelUnit = static_cast<std::int16_t>(index);
    m_model.redrawPending = true;
}

void ControlBox::OnBandwidthClicked(int index) {
    m_model.settings.bandwidthIndex = static_cast<std::int16_t>(index);
}

bool ControlBox::eventFilter(QObject* watched, QEvent* event) {
    for (NumberField& f : m_fields) {
        if (watched != f.edit) continue;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                TakeTyped(f, Taken::OnEnter);
                return true;  // the key ends here
            }
        } else if (event->type() == QEvent::FocusOut) {
            // Switching to another program or opening the field's own menu does not leave the field. Only
            // text the user changed is taken: passing through the field must not pull a center frequency
            // set by the spin buttons (up to 20000) back into the typed range.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
                f.edit->isModified())
                TakeTyped(f, Taken::OnLeaving);
        }
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void ControlBox::paintEvent(QPaintEvent* event) {
    // A paint of the whole window is the window's repaint; the small paints that follow each keystroke or
    // click inside one control are not, or typing would be undone as it happens.
    if (QRegion(rect()).subtracted(event->region()).isEmpty()) ShowModel();
    QWidget::paintEvent(event);
}

void ControlBox::showEvent(QShowEvent* event) {
    m_activation.attach(this, [this] { ShowModel(); });
    ShowModel();
    QWidget::showEvent(event);
}

void ControlBox::LockCalibrationSwitch(bool locked) {
    m_calibrate->setEnabled(!locked);
}

}  // namespace tk
