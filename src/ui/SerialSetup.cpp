#include "SerialSetup.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPaintEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegion>
#include <QSerialPortInfo>
#include <QShowEvent>
#include <QVBoxLayout>
#include <array>
#include <functional>

#include "BusyCursor.h"
#include "OptionGroups.h"
#include "Units.h"

namespace tk {

namespace {

// The resolution options, tested in this order when the choice is read.
constexpr std::array<int, 4> RESOLUTIONS{8, 4, 2, 1};

QString PortCaption(const PortMap& map, int portNumber) {
    return QStringLiteral("COM%1 (%2)").arg(portNumber).arg(map.deviceFor(portNumber));
}

void DeselectOption(QButtonGroup* group, int id) {
    QAbstractButton* b = group->button(id);
    if (!b || !b->isChecked()) return;
    group->setExclusive(false);
    b->setChecked(false);
    group->setExclusive(true);
}

QLabel* NewLabel(const char* name, const char* caption, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(QString::fromUtf8(name));
    return label;
}

QPushButton* NewButton(const char* name, const char* caption, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromUtf8(name));
    return b;
}

}  // namespace

SerialSetup::SerialSetup(AnalyzerLink& link, PortMap& portMap, const QString& portMapPath, QWidget* parent)
    : QWidget(parent), m_link(link), m_model(link.Model()), m_portMap(portMap), m_portMapPath(portMapPath) {
    setObjectName(QStringLiteral("boxcomcon"));
    setWindowTitle(QStringLiteral("Serial communication Setup"));
    BuildWindow();
    ShowPortCaptions();
    ShowModel();
}

SerialSetup::~SerialSetup() = default;

void SerialSetup::BuildWindow() {
    auto* grid = new QGridLayout;
    grid->addWidget(NewLabel("lbport", "Ser. I/F:", this), 0, 0);
    grid->addWidget(NewLabel("lbbaud", "Baud:", this), 0, 1);
    grid->addWidget(NewLabel("lbres", "Resolution", this), 0, 2);

    m_com = new QButtonGroup(this);
    m_com->setObjectName(QStringLiteral("com"));
    for (int p = 1; p <= 4; ++p) {
        auto* b = new QRadioButton(this);
        b->setObjectName(QStringLiteral("com%1").arg(p));
        m_com->addButton(b, p);
        grid->addWidget(b, p, 0);
    }
    m_baud = new QButtonGroup(this);
    m_baud->setObjectName(QStringLiteral("baud"));
    for (int k = 1; k <= 5; ++k) {
        auto* b = new QRadioButton(QString::number(BaudRateOfIndex(k).value_or(0)), this);
        b->setObjectName(QStringLiteral("baud%1").arg(k));
        m_baud->addButton(b, k);
        grid->addWidget(b, k, 1);
    }
    m_res = new QButtonGroup(this);
    m_res->setObjectName(QStringLiteral("res"));
    int row = 1;
    for (int r : RESOLUTIONS) {
        auto* b = new QRadioButton(QStringLiteral("%1 points").arg(4000 / r), this);
        b->setObjectName(QStringLiteral("res%1").arg(r));
        m_res->addButton(b, r);
        grid->addWidget(b, row++, 2);
    }

    auto* deviceRow = new QHBoxLayout;
    deviceRow->addWidget(NewLabel("lbdevice", "Device:", this));
    m_device = new QComboBox(this);
    m_device->setObjectName(QStringLiteral("device"));
    m_device->setEditable(true);
    m_device->setInsertPolicy(QComboBox::NoInsert);
    m_device->setMinimumContentsLength(18);
    m_device->setToolTip(QStringLiteral("The device of the selected COM port"));
    deviceRow->addWidget(m_device, 1);
    m_deviceAccess = NewLabel("lbdeviceaccess", "", this);
    m_deviceAccess->setWordWrap(true);
    m_deviceAccess->hide();

    auto* buttons = new QHBoxLayout;
    QPushButton* ok = NewButton("cbok", "&OK", this);
    QPushButton* initPort = NewButton("cbinitport", "&Init ser. I/F", this);
    QPushButton* autoConfig = NewButton("cbautoconfig", "&Auto config", this);
    QPushButton* cancel = NewButton("cbcancel", "&Cancel", this);
    for (QPushButton* b : {ok, initPort, autoConfig, cancel}) buttons->addWidget(b);

    m_progress = NewLabel("lbprogress", "", this);

    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(deviceRow);
    column->addWidget(m_deviceAccess);
    column->addLayout(buttons);
    column->addWidget(m_progress);

    connect(ok, &QPushButton::clicked, this, &SerialSetup::OnOk);
    connect(initPort, &QPushButton::clicked, this, &SerialSetup::OnInitPort);
    connect(autoConfig, &QPushButton::clicked, this, &SerialSetup::OnAutoConfig);
    connect(cancel, &QPushButton::clicked, this, &SerialSetup::OnCancel);
    connect(m_com, &QButtonGroup::idClicked, this, &SerialSetup::OnPortOptionClicked);
    connect(m_device, &QComboBox::activated, this,
            [this](int index) { OnDeviceChosen(m_device->itemText(index)); });
    connect(m_device->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { OnDeviceChosen(m_device->lineEdit()->text()); });
}

void SerialSetup::ShowModel() {
    const MeasurementSettings& s = m_model.settings;
    SelectOption(m_com, s.portNumber);
    SelectOption(m_baud, s.baudIndex);
    SelectOption(m_res, s.resolution);
    ShowSelectedDevice();
}

void SerialSetup::ShowPortCaptions() {
    for (int p = 1; p <= 4; ++p) m_com->button(p)->setText(PortCaption(m_portMap, p));
}

void SerialSetup::ShowSelectedDevice() {
    const int p = m_com->checkedId();
    m_device->setEnabled(p >= 1);
    if (p < 1) {
        m_deviceAccess->hide();
        return;
    }
    const QString device = m_portMap.deviceFor(p);
    if (m_device->currentText() != device) m_device->setEditText(device);
    const bool denied = m_link.Port().accessDenied(device);
    m_deviceAccess->setText(denied ? AccessDeniedText(device) : QString());
    m_deviceAccess->setVisible(denied);
}

void SerialSetup::FillDeviceList() {
    QStringList devices;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports) devices.append(info.systemLocation());
    // Devices already given to a COM port stay choosable even when the system does not list them.
    for (int p = 1; p <= 4; ++p) devices.append(m_portMap.deviceFor(p));
    devices.removeDuplicates();
    devices.sort();
    const QString text = m_device->currentText();
    m_device->clear();
    m_device->addItems(devices);
    m_device->setEditText(text);
}

void SerialSetup::OnPortOptionClicked() {
    ShowSelectedDevice();
}

void SerialSetup::OnDeviceChosen(const QString& device) {
    const int p = m_com->checkedId();
    const QString name = device.trimmed();
    if (p < 1 || name.isEmpty() || m_portMap.deviceFor(p) == name) return;
    m_portMap.set(p, name);
    ShowPortCaptions();
    ShowSelectedDevice();
    // The file gets the user's choice on top of what it held. Devices given for this run only (the
    // emulator, ports named on the command line) stay out of it.
    PortMap stored;
    stored.load(m_portMapPath);
    stored.set(p, name);
    if (!stored.save(m_portMapPath))
        m_link.Dialogs().message(QStringLiteral("File error"), QStringLiteral("File handling"));
}

std::function<void()> SerialSetup::ReadChoice() {
    // Read now, from the window that is about to close; taken into the model when the line is free, so that
    // a running read keeps the resolution it started with.
    const int k = m_baud->checkedId();
    const int p = m_com->checkedId();
    int resolution = 0;
    for (int r : RESOLUTIONS) {
        if (m_res->button(r)->isChecked()) {
            resolution = r;
            break;
        }
    }
    MeasurementModel& model = m_model;
    return [&model, k, p, resolution] {
        MeasurementSettings& s = model.settings;
        if (k >= 1) s.baudIndex = static_cast<std::int16_t>(k);
        if (p >= 1) s.portNumber = static_cast<std::int16_t>(p);
        if (resolution != 0) s.resolution = static_cast<std::int16_t>(resolution);
    };
}

void SerialSetup::CloseWindow() {
    m_showingSearch = false;
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        frame->close();
        return;
    }
    close();
}

void SerialSetup::AfterSearch(void (SerialSetup::*command)()) {
    // Pressed during the search, the button acts once it has ended, on the options it found.
    m_link.Line().Run([self = QPointer<SerialSetup>(this), command] {
        if (self) (self->*command)();
    });
}

void SerialSetup::OnOk() {
    if (m_searching) return AfterSearch(&SerialSetup::OnOk);
    const auto takeChoice = ReadChoice();
    CloseWindow();
    AnalyzerLink& link = m_link;
    link.Line().Run([&link, takeChoice] {
        takeChoice();
        BusyCursor busy;
        link.ConnectInterface();
    });
}

void SerialSetup::OnInitPort() {
    if (m_searching) return AfterSearch(&SerialSetup::OnInitPort);
    const auto takeChoice = ReadChoice();
    CloseWindow();
    AnalyzerLink& link = m_link;
    link.Line().Run([&link, takeChoice] {
        takeChoice();
        BusyCursor busy;
        InitPort(link);
    });
}

void SerialSetup::InitPort(AnalyzerLink& link) {
    MeasurementModel& model = link.Model();
    SerialPort& port = link.Port();
    LinkView& view = link.View();
    const bool opened = link.OpenPort();
    view.SetOnlineChecked(port.isOpen());
    if (!opened) {
        link.Dialogs().message(QStringLiteral("No access to analyzer"), QStringLiteral("Configuration"));
        view.SetOnlineChecked(port.isOpen());
        return;
    }
    const auto settings = LineSettingsOfIndex(model.settings.baudIndex);
    if (!port.isOpen() || !settings) return;
    // The interface already runs at this rate: only the port follows, nothing asks the interface to change.
    port.setLineSettings(*settings);
    while (port.bytesWaiting() > 0) port.clearBuffers();
    link.ReadVersion();
    model.moduleSleeping = false;
    view.SetSleepingChecked(false);
    link.SendCommand("bo");
    // The interface may run at another resolution than the one chosen here; without the command its next
    // trace would not fit the points the program expects.
    link.SendResolution();
}

void SerialSetup::OnCancel() {
    CloseWindow();
}

void SerialSetup::OnAutoConfig() {
    m_link.Line().Run([self = QPointer<SerialSetup>(this)] {
        if (self) self->RunAutoConfig();
    });
}

void SerialSetup::RunAutoConfig() {
    // The search shows its progress in this window, which stays until the search has ended.
    m_searching = true;
    m_showingSearch = true;
    m_busy = std::make_unique<BusyCursor>();
    AutoConfigure search(m_link, m_portMap, *this);
    const std::optional<AutoConfigureResult> found = search.Run();
    m_busy.reset();
    m_progress->clear();
    // A found port and rate stay selected for the user's "&OK"; after a fruitless search the window shows
    // the model again, so that what it shows is what "&OK" would use.
    m_showingSearch = found.has_value();
    m_searching = false;
    if (!found) ShowModel();
    if (m_cancelSearch) {
        m_cancelSearch = false;
        CloseWindow();
    }
}

void SerialSetup::SelectPort(int portNumber) {
    SelectOption(m_com, portNumber);
    ShowSelectedDevice();
}

void SerialSetup::SelectBaud(int baudIndex) {
    SelectOption(m_baud, baudIndex);
}

void SerialSetup::DeselectPort(int portNumber) {
    DeselectOption(m_com, portNumber);
    ShowSelectedDevice();
}

void SerialSetup::DeselectBaud(int baudIndex) {
    DeselectOption(m_baud, baudIndex);
}

void SerialSetup::ShowProgress(int portNumber, int baudRate) {
    m_progress->setText(QStringLiteral("Trying COM%1 at %2 baud ...").arg(portNumber).arg(baudRate));
    // Without live waits the search holds the event loop: a direct paint shows the options and the text.
    repaint();
}

void SerialSetup::SearchEnded() {
    m_busy.reset();
    m_progress->clear();
}

void SerialSetup::paintEvent(QPaintEvent* event) {
    // Only a paint of the whole window is the window's repaint; the small paints that follow a click on
    // one option must not undo the click.
    if (!m_showingSearch && QRegion(rect()).subtracted(event->region()).isEmpty()) ShowModel();
    QWidget::paintEvent(event);
}

void SerialSetup::showEvent(QShowEvent* event) {
    // Timing values of 0 from the parameter file would make every wait end at once.
    ParameterFields& prm = m_model.parameters;
    if (prm.replyTimeout == 0) prm.replyTimeout = 1;
    if (prm.traceTimeout == 0) prm.traceTimeout = 20;
    if (prm.settleDelay == 0) prm.settleDelay = 2;
    m_activation.attach(this, [this] {
        if (!m_showingSearch) ShowModel();
    });
    ShowPortCaptions();
    FillDeviceList();
    if (!m_showingSearch) ShowModel();
    QWidget::showEvent(event);
}

void SerialSetup::closeEvent(QCloseEvent* event) {
    if (m_searching) {
        // The window goes once the search has ended, which it does before its next attempt.
        m_cancelSearch = true;
        event->ignore();
        return;
    }
    m_showingSearch = false;
    QWidget::closeEvent(event);
}

}  // namespace tk
