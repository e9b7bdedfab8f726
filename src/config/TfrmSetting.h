#pragma once

// The system settings dialog "Setting": float voltage, charge mode, boost
// entry, charge current limit and the LVD, pre-filled from the status
// snapshot; "Setting" queues the 'O' command through the scheduler.

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;

namespace zelt {

struct RequestScheduler;
struct StatusSnapshot;
struct SystemSettingsReport;
struct SystemSettingsValues;
class TRadioGroup;

class TfrmSetting : public QDialog {
    Q_OBJECT
public:
    // snapshot stays valid for the dialog's life; it is read at opening and by "Default".
    TfrmSetting(RequestScheduler& scheduler, const StatusSnapshot& snapshot, QWidget* parent = nullptr);
    ~TfrmSetting() override;

    void btnSettingClick();
    void btnSeletAllClick();
    void BitBtn3Click();
    void btnExitClick();
    void rgCH_LimitClick();

    // The values and apply boxes as the dialog shows them.
    SystemSettingsValues ReadValues() const;
    // What the controller last reported for the rows; unticked rows send it.
    SystemSettingsReport Reported() const;

protected:
    void done(int result) override; // FormClose: every way the window closes

private:
    void FormCreate();
    QComboBox* AddRow(QGridLayout& grid, const QString& caption, const char* list, const QString& unit,
                      const QString& range, const char* apply);
    QCheckBox* Box(const char* name) const;

    RequestScheduler& scheduler_;
    const StatusSnapshot& snapshot_;
    std::vector<QCheckBox*> applyBoxes_;

    QComboBox* cbFLV_ = nullptr;
    QComboBox* cbBoxCH_Mode_ = nullptr;
    QComboBox* cbBoxBoost_Entry_ = nullptr;
    QLabel* LabTemp_ = nullptr;
    QComboBox* cbBoxTemp_ = nullptr;
    QComboBox* cbCHLimit_ = nullptr;
    QLabel* BL_Label_ = nullptr;
    TRadioGroup* rgCH_Limit_ = nullptr;
    QComboBox* cbLVD_V_ = nullptr;
    QComboBox* cbLVD_Time_ = nullptr;
    // Rows of the two groups that are never shown.
    QComboBox* cbEQV_ = nullptr;
    QComboBox* cbBCC_ = nullptr;
    QComboBox* cbBEC_ = nullptr;
    QComboBox* cbEQ_T_ = nullptr;
    QComboBox* cbB_P_ = nullptr;
    QComboBox* cbAF_MD_ = nullptr;
    QComboBox* cbAFDr_T_ = nullptr;
    QComboBox* cbAFDrop_V_ = nullptr;
    QComboBox* cbBoxDCH_ = nullptr;
    QComboBox* cbDCH_T_ = nullptr;
    QComboBox* cbDCH_ARM_ = nullptr;
    QComboBox* cbDCH_ABT_ = nullptr;
};

// The newest system settings dialog.
extern TfrmSetting* frmSetting;

} // namespace zelt
