#include "serial/PortDialog.h"

#include "protocol/Scheduler.h"
#include "serial/ComPort.h"
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

QString DeviceOf(const QString& name)
{
    if (const QString url = MappedPortUrl(name); !url.isEmpty())
        return url;
    return QString::fromStdString(ResolvePortDevice(name.toStdString()));
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
        entry->setToolTip(DeviceOf(EntryName(i)));
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

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bitBtn1_);
    buttons->addWidget(bitBtn2_);
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
    deviceLine_->setText(name + QStringLiteral(" opens ") + DeviceOf(name));
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
