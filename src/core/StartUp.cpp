#include "StartUp.h"

#include <QFile>

#include "HelpLanguage.h"
#include "ParameterFile.h"

namespace tk {
namespace {
const QString kFileHandling = QStringLiteral("File handling");

void StartNamedScript(MeasurementModel& model, const QString& name, StartupHooks& hooks) {
    model.scriptFileName = name;
    hooks.StartScript();
}
}  // namespace

bool RunStartUp(MeasurementModel& model, const QString& parameterPath, const QString& commandLineScript,
                Clock& clock, UserDialogs& dialogs, StartupHooks& hooks) {
    SetModelDefaults(model, clock.dateText());

    QFile file(parameterPath);
    if (!file.open(QIODevice::ReadWrite)) {
        dialogs.message(QStringLiteral("Cannot open file"), kFileHandling);
        return false;
    }
    const ParameterReadResult result = ReadParameterFile(file, model.parameters);
    if (result == ParameterReadResult::BadSignature) {
        dialogs.message(QStringLiteral("Cannot open file"), kFileHandling);
        return false;
    }
    if (result == ParameterReadResult::ReadFailed)
        dialogs.message(QStringLiteral("Cannot open file"), kFileHandling);
    file.close();

    hooks.HelpFileSelected(SelectHelpFile(model.parameters));

    const QString startScript = model.parameters.startScriptName.trimmed();
    model.parameters.startScriptName.set(startScript);
    if (!startScript.isEmpty() && startScript != QStringLiteral("-"))
        StartNamedScript(model, startScript, hooks);
    if (!commandLineScript.isEmpty()) StartNamedScript(model, commandLineScript, hooks);

    model.printFontName = QStringLiteral("Courier New");
    model.printFontSize = 10;
    model.printHeadline.set(QStringLiteral("ZELOR Instruments"));
    return true;
}

bool WriteParameterFileAtExit(const MeasurementModel& model, const QString& parameterPath,
                              UserDialogs& dialogs) {
    QFile file(parameterPath);
    if (!file.open(QIODevice::ReadWrite)) {
        dialogs.message(QStringLiteral("File error"), kFileHandling);
        return false;
    }
    const bool written = WriteParameterFile(file, model.parameters) && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError)
        dialogs.message(QStringLiteral("File error"), kFileHandling);
    return true;
}

}  // namespace tk
