#pragma once

// The initial charge dialog: the operator checks the row whose open-circuit
// voltage band matches the batteries, and "Setting" starts that charge
// program with the 'C' command. The rows act as radio buttons that may all
// be off; two hidden controls carry the compensation options.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace zelt {

struct RequestScheduler;
struct StatusSnapshot;

class TfrmSetDisch : public QDialog {
    Q_OBJECT
public:
    TfrmSetDisch(RequestScheduler& scheduler, const StatusSnapshot& snapshot, QWidget* parent = nullptr);

    QCheckBox* const cbFloat;
    QCheckBox* const cb12h;
    QCheckBox* const cb24h;
    QCheckBox* const cb72h;
    QCheckBox* const cbComp;       // never shown
    QComboBox* const cbTemp_Comp;  // never shown: "OFF", "ON"
    QPushButton* const btnSetting;
    QPushButton* const BitBtn3;
    QPushButton* const btnExit;

    // Run whenever the box's checked state changes, also by another handler.
    void cbFloatClick();
    void cb12hClick();
    void cb24hClick();
    void cb72hClick();
    void cbCompClick();
    void BitBtn3Click();  // "Default"
    void btnSettingClick();
    void btnExitClick();

    void done(int result) override;

private:
    void FormClose();
    // A checked row clears the other rows.
    void KeepOnly(QCheckBox* row);

    RequestScheduler& scheduler_;
};

} // namespace zelt
