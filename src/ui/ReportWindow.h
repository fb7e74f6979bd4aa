#pragma once

#include <QString>
#include <QWidget>

#include "MeasurementModel.h"
#include "Report.h"
#include "UserDialogs.h"

class QDoubleSpinBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;

namespace tk {

// "Report...": the report's setup (title, equipment under test, operator, notes, the margin that qualifies a
// pass), remembered between runs in the file setupFile, and what it reports on: the measurement on screen or
// stored measurements added to its list. "Write PDF..." asks for the file and writes the report.
class ReportWindow final : public QWidget {
    Q_OBJECT
public:
    ReportWindow(MeasurementModel& model, UserDialogs& dialogs, QString setupFile, QWidget* parent = nullptr);

    ReportSetup Setup() const;
    // The scans of the report, each file read whole; nothing (and the file named in a box) otherwise.
    std::optional<std::vector<ReportScan>> Scans();
    void AddFile();
    void Write();

private:
    MeasurementModel& m_model;
    UserDialogs& m_dialogs;
    QString m_setupFile;
    QLineEdit* m_title;
    QLineEdit* m_eut;
    QLineEdit* m_operator;
    QPlainTextEdit* m_notes;
    QDoubleSpinBox* m_margin;
    QRadioButton* m_screen;
    QListWidget* m_files;
};

}  // namespace tk
