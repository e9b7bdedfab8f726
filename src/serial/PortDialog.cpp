#include "serial/PortDialog.h"

#include "protocol/Scheduler.h"
#include "serial/ComPort.h"
#include "serial/NetworkPortsDialog.h"
#include "serial/PortNames.h"
#include "ui/StandardError.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zelt {

TfrmComPort* frmComPort = nullptr;

namespace {

constexpr int PortCount = 8;

QString EntryName(int index)
{
    return QStringLiteral("COM%1").arg(index + 1);
}

} // namespace

TfrmComPort::TfrmComPort(TCustomComPort& port, RequestScheduler& scheduler,
                         std::function<void(const QString&)> showDeviceName, QWidget* parent)
    : QDialog(parent), port_(port), scheduler_(scheduler), showDeviceName_(std::move(showDeviceName))
{
    frmComPort = this;
    setObjectName(QStringLiteral("frmComPort"));
    setWindowTitle(QStringLiteral("COMM PORT"));

    auto* group = new QGroupBox(QStringLiteral("COMM. PORT"), this);
    group->setObjectName(QStringLiteral("rgPort"));
    auto* grid = new QGridLayout(group);
    rgPort_ = new QButtonGroup(group);
    for (int i = 0; i < PortCount; ++i) {
        auto* entry = new QRadioButton(EntryName(i), group);
        // Each entry tells which device it opens.
        entry->setToolTip(PortTarget(EntryName(i)));
        rgPort_->addButton(entry, i);
        grid->addWidget(entry, i % 4, i / 4);
    }
    rgPort_->button(0)->setChecked(true);
    connect(rgPort_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            ShowSelectedDevice();
    });

    deviceLine_ = new QLabel(this);
    deviceLine_->setObjectName(QStringLiteral("lblDevice"));

    bitBtn1_ = new QPushButton(QStringLiteral("OK"), this);
    bitBtn1_->setObjectName(QStringLiteral("BitBtn1"));
    bitBtn1_->setDefault(true);
    bitBtn2_ = new QPushButton(QStringLiteral("Cancel"), this);
    bitBtn2_->setObjectName(QStringLiteral("BitBtn2"));
    connect(bitBtn1_, &QPushButton::clicked, this, &TfrmComPort::Btn_OK);
    connect(bitBtn2_, &QPushButton::clicked, this, &TfrmComPort::Btn_Cancel);
    btnNetwork_ = new QPushButton(QStringLiteral("Network\u2026"), this);
    btnNetwork_->setObjectName(QStringLiteral("btnNetwork"));
    btnNetwork_->setAutoDefault(false);
    connect(btnNetwork_, &QPushButton::clicked, this, &TfrmComPort::NetworkClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bitBtn1_);
    buttons->addWidget(bitBtn2_);
    buttons->addWidget(btnNetwork_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(deviceLine_);
    layout->addLayout(buttons);

    FormCreate();
    ShowSelectedDevice();
}

TfrmComPort::~TfrmComPort()
{
    if (frmComPort == this)
        frmComPort = nullptr;
}

int TfrmComPort::ItemIndex() const
{
    return rgPort_->checkedId();
}

void TfrmComPort::SetItemIndex(int index)
{
    rgPort_->button(index)->setChecked(true);
}

// Only COM1..COM4 are recognised; any other name leaves COM1 selected.
void TfrmComPort::FormCreate()
{
    const QString current = port_.DeviceName();
    for (int i = 0; i < 4; ++i) {
        if (current == EntryName(i)) {
            SetItemIndex(i);
            return;
        }
    }
}

void TfrmComPort::ShowSelectedDevice()
{
    const QString name = EntryName(ItemIndex());
    deviceLine_->setText(name + QStringLiteral(" opens ") + PortTarget(name));
}

// The network addresses of the names; what each entry opens is shown anew.
void TfrmComPort::NetworkClick()
{
    NetworkPortsDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    for (int i = 0; i < PortCount; ++i)
        rgPort_->button(i)->setToolTip(PortTarget(EntryName(i)));
    ShowSelectedDevice();
}

// The window closes whatever the outcome; an error leaves the port closed.
void TfrmComPort::Btn_OK()
{
    RunGuarded([&] {
        port_.SetActive(false);
        port_.SetDeviceName(EntryName(ItemIndex()));
        port_.SetActive(true);
        showDeviceName_(port_.DeviceName());
        scheduler_.Release();
    });
    accept();
}

void TfrmComPort::Btn_Cancel()
{
    RunGuarded([&] {
        port_.SetActive(true);
        scheduler_.Release();
    });
    reject();
}

// Closing by the title bar neither opens the port nor keeps the scheduler
// paused; a command posted meanwhile has replaced the quiet kind.
void TfrmComPort::done(int result)
{
    scheduler_.ReleaseIfQuiet();
    QDialog::done(result);
}

// Escape presses Cancel, as the cancel button of the window.
void TfrmComPort::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        bitBtn2_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace zelt
