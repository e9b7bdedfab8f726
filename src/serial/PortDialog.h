#pragma once

// The port selection dialog: the operator picks which of COM1..COM8 the
// main window's port opens. While it is open the port is closed and the
// scheduler paused; OK and Cancel open the port again.

#include <QDialog>

#include <functional>

class QButtonGroup;
class QLabel;
class QPushButton;

namespace zelt {

class TCustomComPort;
struct RequestScheduler;

class TfrmComPort : public QDialog {
    Q_OBJECT
public:
    // showDeviceName writes a newly opened device name into the main
    // window's status bar.
    TfrmComPort(TCustomComPort& port, RequestScheduler& scheduler,
                std::function<void(const QString&)> showDeviceName, QWidget* parent = nullptr);
    ~TfrmComPort() override;

    // The selected entry of rgPort, 0 for COM1.
    int ItemIndex() const;
    void SetItemIndex(int index);

    void Btn_OK();
    void Btn_Cancel();
    // "Network…": the network addresses of COM1..COM8.
    void NetworkClick();

protected:
    void done(int result) override; // FormClose: every way the window closes
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void ShowSelectedDevice();

    TCustomComPort& port_;
    RequestScheduler& scheduler_;
    std::function<void(const QString&)> showDeviceName_;
    QButtonGroup* rgPort_ = nullptr;
    QLabel* deviceLine_ = nullptr;
    QPushButton* bitBtn1_ = nullptr;
    QPushButton* bitBtn2_ = nullptr;
    QPushButton* btnNetwork_ = nullptr;
};

// The newest port dialog.
extern TfrmComPort* frmComPort;

} // namespace zelt
