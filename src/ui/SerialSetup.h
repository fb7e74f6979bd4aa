#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "ActivationWatch.h"
#include "AnalyzerLink.h"
#include "AutoConfigure.h"
#include "PortMap.h"

class QButtonGroup;
class QCloseEvent;
class QComboBox;
class QLabel;
class QPaintEvent;
class QPushButton;
class QShowEvent;

namespace tk {

class BusyCursor;

// The serial setup window `boxcomcon`, "Serial communication Setup": port, rate and resolution, and the
// three ways to bring up the link. The option buttons are the only copy of the user's choice until a
// button copies it into the model. Each COM option also names the device it stands for; the device of the
// selected COM option can be picked from the system's serial ports or typed, and is kept in the port map
// file.
class SerialSetup final : public QWidget, private AutoConfigureView {
    Q_OBJECT
public:
    SerialSetup(AnalyzerLink& link, PortMap& portMap, const QString& portMapPath, QWidget* parent = nullptr);
    ~SerialSetup() override;

    // Selects the options of portNumber, baudIndex and resolution.
    void ShowModel();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildWindow();
    // What the window has chosen, to be taken into the model when the command gets the line.
    std::function<void()> ReadChoice();
    static void InitPort(AnalyzerLink& link);
    void RunAutoConfig();
    void CloseWindow();
    void OnOk();
    void OnInitPort();
    void OnAutoConfig();
    void OnCancel();
    void AfterSearch(void (SerialSetup::*command)());
    bool SearchCancelled() const override { return m_cancelSearch; }
    void OnPortOptionClicked();
    void OnDeviceChosen(const QString& device);
    void FillDeviceList();
    void ShowPortCaptions();
    void ShowSelectedDevice();

    // AutoConfigureView
    void SelectPort(int portNumber) override;
    void SelectBaud(int baudIndex) override;
    void DeselectPort(int portNumber) override;
    void DeselectBaud(int baudIndex) override;
    void ShowProgress(int portNumber, int baudRate) override;
    void SearchEnded() override;

    AnalyzerLink& m_link;
    MeasurementModel& m_model;
    PortMap& m_portMap;
    QString m_portMapPath;
    QButtonGroup* m_com = nullptr;
    QButtonGroup* m_baud = nullptr;
    QButtonGroup* m_res = nullptr;
    QComboBox* m_device = nullptr;
    // Why the selected device cannot be used, when its permissions keep this user out.
    QLabel* m_deviceAccess = nullptr;
    QLabel* m_progress = nullptr;
    std::unique_ptr<BusyCursor> m_busy;
    // While the search runs, and after it found an interface, the options show the search and not the
    // model: the found choice waits for the user's "&OK".
    bool m_showingSearch = false;
    bool m_searching = false;
    bool m_cancelSearch = false;
    ActivationWatch m_activation;
};

}  // namespace tk
