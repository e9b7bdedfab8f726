#pragma once

// The alarm settings dialog "Alarm Setting": alarm thresholds, contact alarm
// and sensor switches and the shelf configuration, pre-filled from the status
// snapshot; "Setting" queues the 'N' command through the scheduler.

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;

namespace zelt {

struct AlarmSettingsReport;
struct AlarmSettingsValues;
struct RequestScheduler;
struct StatusSnapshot;
class TRadioGroup;

class TfrmAlarm : public QDialog {
    Q_OBJECT
public:
    // snapshot stays valid for the dialog's life; it is read at opening and by "Setting".
    TfrmAlarm(RequestScheduler& scheduler, const StatusSnapshot& snapshot, QWidget* parent = nullptr);
    ~TfrmAlarm() override;

    void btnSettingClick();
    void btnSeletAllClick();
    void BitBtn3Click();
    void btnExitClick();
    void rgAC1Click();
    void rgAC2Click();

    AlarmSettingsValues ReadValues() const;
    // What the controller last reported for the thresholds; unticked rows send it.
    AlarmSettingsReport Reported() const;

private:
    void FormCreate(const StatusSnapshot& s);
    QComboBox* AddRow(QGridLayout& grid, const QString& caption, const char* list, const QString& unit,
                      const QString& range, const char* apply);
    TRadioGroup* AddGroup(QGridLayout& grid, int row, int column, const char* name, const QString& caption,
                          const QStringList& items);
    bool Ticked(const char* name) const;

    RequestScheduler& scheduler_;
    const StatusSnapshot& snapshot_;
    std::vector<QCheckBox*> applyBoxes_;
    // In the order "Default" and the pre-fill set them.
    std::vector<TRadioGroup*> radioGroups_;

    QComboBox* cbbOV_ = nullptr;
    QComboBox* cbbUV_ = nullptr;
    QComboBox* cbbBLV_ = nullptr;
    QComboBox* cbbOV_SD_ = nullptr;
    QComboBox* cbbBHT_ = nullptr;
    QComboBox* cbbBLT_ = nullptr;
    QComboBox* cbbBHT2_ = nullptr;
    QComboBox* cbbBLT2_ = nullptr;
    TRadioGroup* rgBR1_ = nullptr;
    TRadioGroup* rgBF1_ = nullptr;
    TRadioGroup* rgBR2_ = nullptr;
    TRadioGroup* rgBF2_ = nullptr;
    TRadioGroup* rgBPB_ = nullptr;
    TRadioGroup* rgAC1_ = nullptr;
    TRadioGroup* rgAC2_ = nullptr;
    TRadioGroup* rgRM1_ = nullptr;
    TRadioGroup* rgRM2_ = nullptr;
    TRadioGroup* rgRM3_ = nullptr;
    TRadioGroup* rgRM4_ = nullptr;
};

// The newest alarm settings dialog.
extern TfrmAlarm* frmAlarm;

} // namespace zelt
