#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QWidget>
#include <functional>

#include "MeasurementModel.h"
#include "UserDialogs.h"

namespace tk {

// `boxscript`, "Script setup": one step of the script, the one at scriptStepIndex. The window keeps nothing
// of its own; it shows the model when it is shown and stores the typed texts by the editing rules.
class ScriptWindow final : public QWidget {
    Q_OBJECT
public:
    struct Commands {
        std::function<void()> start;  // "&Start script" after the step was stored
        std::function<void()> stop;   // "Sto&p script"
    };
    ScriptWindow(MeasurementModel& model, UserDialogs& dialogs, Commands commands, QWidget* parent = nullptr);

    // Shows every field of the step at scriptStepIndex, the title and the check box.
    void ShowModel();
    // The title: "Script setup", three blanks and scriptFileName.
    void ShowTitle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* AddField(const char* name, const char* label, int row);
    void ShowFields();
    void StoreShown(bool withPrintFlag);
    void StoreText(QLineEdit* edit);
    void TakeDelay(bool enterKey);
    void ChooseFile(QLineEdit* edit, const FileDialogRequest& request, bool save);
    void ConfigurePort();
    void CloseWindow();

    MeasurementModel& m_model;
    UserDialogs& m_dialogs;
    Commands m_commands;
    QLineEdit* m_nr = nullptr;
    QLineEdit* m_text = nullptr;
    QLineEdit* m_time = nullptr;
    QLineEdit* m_set = nullptr;
    QLineEdit* m_lim = nullptr;
    QLineEdit* m_eich = nullptr;
    QLineEdit* m_savename = nullptr;
    QLineEdit* m_sio = nullptr;
    QLineEdit* m_lpt = nullptr;
    QLineEdit* m_lptcom = nullptr;
    QCheckBox* m_print = nullptr;
};

}  // namespace tk
