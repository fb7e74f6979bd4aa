#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <functional>
#include <vector>

#include "MeasurementModel.h"
#include "PeakCapture.h"
#include "PeakTable.h"
#include "UserDialogs.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableView;

namespace tk {

// The rows of the peak table as a model of its view. New rows are set in place (rows inserted or removed
// at the end, the texts changed): the view keeps the selected row and the scroll position.
class PeakRowsModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;
    void SetRows(const QStringList& header, std::vector<QStringList> rows);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_header;
    std::vector<QStringList> m_rows;
};

// What the peak table shows, kept while the program runs so that a reopened window shows it again.
struct PeakTableSettings {
    BoundaryTrace trace = BoundaryTrace::Actual;
    PeakOptions options;
};

// The peak table `boxpeaks`: the highest peaks of a chosen trace with their margins to its boundary, worst
// first, and the capture on violation. The rows are refreshed in place: the selected row and the scroll
// position stay where the user left them.
class PeakTableWindow final : public QWidget {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void()> redrawGraph;         // the markers follow a change of what is shown
        std::function<void(int index)> markPoint;  // a double-clicked peak becomes the lists' marked point
    };

    PeakTableWindow(MeasurementModel& model, PeakTableSettings& settings, PeakCapture& capture,
                    UserDialogs& dialogs, Hooks hooks, QWidget* parent = nullptr);

    // Every column and ten rows in view.
    QSize sizeHint() const override { return m_wanted; }
    // Finds the peaks anew from the latest trace and shows them.
    void Refresh();
    // The capture's count and last capture.
    void ShowCaptureState();
    const std::vector<PeakRow>& rows() const { return m_rows; }
    const PeakTableSettings& settings() const { return m_settings; }

    // "Copy": the rows tab-separated on the clipboard. "Export": a CSV file through a save dialog.
    void CopyRows();
    void ExportRows();

private:
    void SettingsChanged();
    void ChooseFolder();

    MeasurementModel& m_model;
    PeakTableSettings& m_settings;
    PeakCapture& m_capture;
    UserDialogs& m_dialogs;
    Hooks m_hooks;
    std::vector<PeakRow> m_rows;
    QComboBox* m_trace = nullptr;
    QSpinBox* m_count = nullptr;
    QDoubleSpinBox* m_prominence = nullptr;
    QSpinBox* m_spacing = nullptr;
    PeakRowsModel m_rowsModel;
    QTableView* m_table = nullptr;
    QCheckBox* m_captureOn = nullptr;
    QCheckBox* m_captureStops = nullptr;
    QLineEdit* m_folder = nullptr;
    QLabel* m_captureState = nullptr;
    QSize m_wanted;
};

}  // namespace tk
