#pragma once

// The measure value dialog "Measure Value Setting": reference values for six
// measurements in masked edits; "Setting" queues the 'M' command. The
// scheduler stays quiet while the dialog is open.

#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;

namespace zelt {

struct MeasureValues;
struct RequestScheduler;

class TfrmADSetting : public QDialog {
    Q_OBJECT
public:
    explicit TfrmADSetting(RequestScheduler& scheduler, QWidget* parent = nullptr);
    ~TfrmADSetting() override;

    void btnSetClick();

    MeasureValues ReadValues() const;

protected:
    void done(int result) override; // FormClose: every way the window closes, Cancel included
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RequestScheduler& scheduler_;
    std::array<QLineEdit*, 6> edits_{};
    std::array<QCheckBox*, 6> applyBoxes_{};
    // True while the message about an incomplete edit is up.
    bool complaining_ = false;
};

// The newest measure value dialog.
extern TfrmADSetting* frmADSetting;

} // namespace zelt
