#pragma once

// The history clear dialog "History Initial": a confirmation before the
// controller's alarm history is cleared with the 'I' command. The scheduler
// stays quiet while the dialog is open.

#include <QDialog>

class QPushButton;

namespace zelt {

struct RequestScheduler;
class TRadioGroup;

class TfrmInitial : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInitial(RequestScheduler& scheduler, QWidget* parent = nullptr);
    ~TfrmInitial() override;

    void rgInitialClick();
    void BitBtnOKClick();
    void BitBtnICancelClick();

protected:
    void done(int result) override; // FormClose: every way the window closes

private:
    RequestScheduler& scheduler_;
    TRadioGroup* rgInitial_ = nullptr;
    QPushButton* BitBtnOK_ = nullptr;
};

// The newest history clear dialog.
extern TfrmInitial* frmInitial;

} // namespace zelt
