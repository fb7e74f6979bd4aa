#include "WaterfallCommands.h"

#include <QAction>

#include "LimitCommands.h"
#include "WaterfallWindow.h"

namespace tk {

WaterfallCommands::WaterfallCommands(MeasurementModel& model, Clock& clock, UserDialogs& dialogs,
                                     LimitCommands& limits, ShowChild showChild)
    : m_model(model),
      m_clock(clock),
      m_dialogs(dialogs),
      m_limits(limits),
      m_showChild(std::move(showChild)) {}

void WaterfallCommands::Connect(QAction* waterfall, QObject* context) {
    waterfall->setEnabled(true);
    QObject::connect(waterfall, &QAction::triggered, context, [this] { ShowWaterfall(); });
}

void WaterfallCommands::ShowWaterfall() {
    if (!m_window) m_window = new WaterfallWindow(m_model, m_dialogs, [this](int x) { m_limits.MarkX(x); });
    m_showChild(m_window);
}

WaterfallWindow* WaterfallCommands::window() const {
    return m_window;
}

void WaterfallCommands::ActualTraceRead() {
    if (m_window) m_window->ActualTraceRead(m_clock.seconds());
}

}  // namespace tk
