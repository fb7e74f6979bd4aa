#pragma once

#include <QPointer>
#include <functional>

#include "Clock.h"
#include "MeasurementModel.h"
#include "UserDialogs.h"

class QAction;
class QObject;
class QWidget;

namespace tk {

class LimitCommands;
class WaterfallWindow;

// "&Waterfall" of the measurement menu and of the graph's context menu: opens the waterfall window, which
// then takes a row from every completed read of the actual trace until it is closed.
class WaterfallCommands {
public:
    using ShowChild = std::function<void(QWidget*)>;

    WaterfallCommands(MeasurementModel& model, Clock& clock, UserDialogs& dialogs, LimitCommands& limits,
                      ShowChild showChild);

    void Connect(QAction* waterfall, QObject* context);
    void ShowWaterfall();
    // A completed read of the actual trace.
    void ActualTraceRead();

    WaterfallWindow* window() const;

private:
    MeasurementModel& m_model;
    Clock& m_clock;
    UserDialogs& m_dialogs;
    LimitCommands& m_limits;
    ShowChild m_showChild;
    QPointer<WaterfallWindow> m_window;
};

}  // namespace tk
