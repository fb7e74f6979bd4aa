#include "LiveStart.h"

#include <QAction>
#include <QFileInfo>

#include "MainWindow.h"
#include "Units.h"

namespace tk {

LiveStart::LiveStart(UserDialogs& dialogs, const CommandLine& commandLine)
    : m_dialogs(dialogs), m_live(commandLine.emulator && !commandLine.headless) {}

void LiveStart::message(const QString& text, const QString& title, MessageIcon icon) {
    if (m_holdMissingFile && text == QStringLiteral("Cannot open file") &&
        title == QStringLiteral("File handling")) {
        m_missingFileHeld = true;
        return;
    }
    m_dialogs.message(text, title, icon);
}

void LiveStart::Load(MainWindow& window, const QString& commandLineScript, int interfaceBaudIndex) {
    // A file that is not there is the first start; an empty one (a run before that ended without "&Exit"
    // leaves it) or one that cannot be read is no different on the demo. A foreign one still says so in a
    // box.
    const QFileInfo parameters(window.parameterFilePath());
    m_holdMissingFile =
        m_live && (!parameters.exists() || parameters.size() == 0 || !parameters.isReadable());
    window.Load(commandLineScript);
    m_holdMissingFile = false;
    if (!m_live) return;
    if (m_missingFileHeld) window.ShowInformation(QString::fromUtf8(FIRST_START_NOTICE));

    MeasurementModel& model = window.link().Model();
    if (model.scriptRunning) return;  // the script opens the line at its own steps
    const auto lineSettings = LineSettingsOfIndex(interfaceBaudIndex);
    if (!lineSettings) return;
    model.settings.baudIndex = static_cast<std::int16_t>(interfaceBaudIndex);
    window.link().Port().setLineSettings(*lineSettings);
    if (!window.menu().mopen->isChecked()) window.menu().mopen->trigger();
    if (window.link().IsOpen() && !model.fastMode) window.menu().mnufastmode->trigger();
}

}  // namespace tk
