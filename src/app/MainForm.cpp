#include "app/MainForm.h"

#include "serial/PortNames.h"

#include "app/LinkStatePanel.h"
#include "app/ResultLine.h"
#include "app/ToolbarGlyphs.h"
#include "config/TForm1.h"
#include "config/TfrmADSetting.h"
#include "config/TfrmAlarm.h"
#include "config/TfrmInitial.h"
#include "config/TfrmSetting.h"
#include "history/TfrmHistList.h"
#include "history/TfrmHistory.h"
#include "battery/TBattDisch.h"
#include "battery/TfrmSetDisch.h"
#include "battery/TfrmSetTime.h"
#include "battery/TfrmShow.h"
#include "protocol/SchedulerDispatch.h"
#include "serial/PortDialog.h"
#include "serial/PortNames.h"
#include "serial/PortWindows.h"
#include "trend/SessionRecorder.h"
#include "trend/TrendWindow.h"
#include "ui/Colours.h"
#include "ui/Panels.h"
#include "ui/SpeedButton.h"
#include "ui/StandardError.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <QVBoxLayout>

#include <vector>

namespace zelt {

TMain_Form* Main_Form = nullptr;

namespace {

const QColor SkyBlue(166, 202, 240);

struct ToolbarButton {
    const char* name;
    const char* caption;
    int width;
    Glyph glyph;
    void (TMain_Form::*click)();
};

// The toolbar's three rows, left to right.
const std::vector<std::vector<ToolbarButton>> ToolbarRows = {
    {{"Exit", "E&xit", 49, Glyph::Exit, &TMain_Form::ExitClick},
     {"Port", "Port", 49, Glyph::Port, &TMain_Form::PortClick},
     {"btnConnect", "Connect", 56, Glyph::Connect, &TMain_Form::btnConnectClick},
     {"btnDisconnect", "Disconnect", 68, Glyph::Disconnect, &TMain_Form::btnDisconnectClick},
     {"Clock", "Clock", 57, Glyph::Clock, &TMain_Form::ClockClick},
     {"btnAlarm", "Alarm", 65, Glyph::Alarm, &TMain_Form::btnAlarmClick},
     {"Setting", "Setting", 73, Glyph::Setting, &TMain_Form::SettingClick}},
    {{"Alarm_History", "Alarm History", 102, Glyph::History, &TMain_Form::Alarm_HistoryClick},
     {"Initial", "History Clear", 103, Glyph::HistoryClear, &TMain_Form::InitialClick},
     {"IP_Setting", "IP-Setting", 81, Glyph::Network, &TMain_Form::IP_SettingClick},
     {"SpeedButton5", "AD SET", 73, Glyph::Measure, &TMain_Form::SpeedButton5Click}},
    {{"Expand_Battery", "Initial Charge", 112, Glyph::Charge, &TMain_Form::Expand_BatteryClick},
     {"SpeedButton3", "Battery Discharge", 131, Glyph::Discharge, &TMain_Form::SpeedButton3Click},
     {"btnTrend", "Trend", 57, Glyph::Trend, &TMain_Form::TrendClick}},
};

QLabel* MakeLamp(QWidget* parent, const char* name, const char* caption, int x)
{
    auto* lamp = new QLabel(QString::fromLatin1(caption), parent);
    lamp->setObjectName(QString::fromLatin1(name));
    lamp->setGeometry(x, 30, 57, 41);
    lamp->setAlignment(Qt::AlignCenter);
    lamp->setFrameStyle(QFrame::Panel | QFrame::Raised);
    lamp->setLineWidth(2);
    lamp->setAutoFillBackground(true);
    QFont font = QApplication::font();
    font.setBold(true);
    lamp->setFont(font);
    QPalette palette = lamp->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    lamp->setPalette(palette);
    return lamp;
}

} // namespace

TMain_Form::TMain_Form(QWidget* parent)
    : QMainWindow(parent)
    , comPort11_(this)
    , comSignal11_(this)
    , comSignal12_(this)
    , history_(scheduler_, timer1_,
               {[this](const std::string& body) { SendFrame(body); }, [this] { return comPort11_.Active(); },
                [this] { return connected_; }})
{
    Main_Form = this;
    setObjectName(QStringLiteral("Main_Form"));
    setWindowTitle(QStringLiteral("ZELT-6380A (V2.0 2014/07/03)"));
    move(280, 118);
    resize(598, 810);
    SetBackgroundColour(*this, MoneyGreen);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    auto* panel1 = new QFrame(central);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFixedSize(569, 76);
    SetBackgroundColour(*panel1, SkyBlue);
    BuildToolbar(panel1);
    layout->addWidget(panel1, 0, Qt::AlignLeft);

    pageControl1_ = new QTabWidget(central);
    pageControl1_->setObjectName(QStringLiteral("PageControl1"));
    frmShow_ = std::make_unique<TfrmShow>(TestAlertShown);
    status_ = std::make_unique<StatusMonitor>(*pageControl1_, TestAlertShown, *frmShow_);
    layout->addWidget(pageControl1_, 1);

    mmResult_ = new QPlainTextEdit(central);
    mmResult_->setObjectName(QStringLiteral("mmResult"));
    mmResult_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmResult_->setFixedHeight(110);
    layout->addWidget(mmResult_);
    setCentralWidget(central);

    BuildStatusBar();

    for (auto [timer, name] : {std::pair{&timer1_, "Timer1"}, {&Timer2(), "Timer2"}, {&Timer3(), "Timer3"}}) {
        timer->setObjectName(QString::fromLatin1(name));
        timer->setInterval(100);
    }
    connect(&timer1_, &QTimer::timeout, this, &TMain_Form::Timer1Timer);

    ConnectPort();
    FormCreate();

    QStringList settingsProblems;
    const RecorderSettings recorderSettings = LoadRecorderSettings(settingsProblems);
    for (const QString& line : settingsProblems)
        AddResultLine(line);
    recorder_ = std::make_unique<SessionRecorder>(
        SessionDatabasePath(), recorderSettings,
        SessionRecorder::Links{[this] { return comPort11_.DeviceName(); },
                               [this](const QString& line) { AddResultLine(line); },
                               [] { return QDateTime::currentMSecsSinceEpoch(); }, BootClockMs});
    status_->SetListener(recorder_.get());

    // The hidden start-up instances of the battery test windows. The alert
    // window came first: the status decoder raises it.
    frmSetDisch_ = std::make_unique<TfrmSetDisch>(scheduler_, status_->Snapshot(), this);
    battDisch_ = std::make_unique<TBattDisch>(
        BattDischLinks{scheduler_, status_->Snapshot(), status_->Area(), *frmShow_, TestAlertShown,
                       [this](const QString& line) { AddResultLine(line); }, [this] { return timer1_.isActive(); }},
        this);
}

TMain_Form::~TMain_Form()
{
    status_->SetListener(nullptr);
    frmHistory_.reset();
    frmHistList_.reset();
    {
        const QScopedValueRollback closing(closingPort_, true);
        RunGuarded([&] { comPort11_.SetActive(false); });
    }
    if (Main_Form == this)
        Main_Form = nullptr;
}

void TMain_Form::BuildToolbar(QWidget* panel)
{
    // A small, narrow face: the captions have to fit the fixed button widths.
    QFont font = panel->font();
    font.setPixelSize(11);
    panel->setFont(font);
    int y = 2;
    for (const auto& row : ToolbarRows) {
        int x = 4;
        for (const auto& entry : row) {
            auto* button = new TSpeedButton(panel);
            button->setObjectName(QString::fromLatin1(entry.name));
            button->setText(QString::fromLatin1(entry.caption));
            button->setIcon(ToolbarGlyph(entry.glyph));
            button->setIconSize(QSize(16, 16));
            button->setGeometry(x, y, entry.width, 22);
            connect(button, &TSpeedButton::clicked, this, entry.click);
            x += entry.width;
        }
        y += 24;
    }

    auto* exit = panel->findChild<TSpeedButton*>(QStringLiteral("Exit"));
    exit->setToolTip(QStringLiteral("Program Exit(Alt+X)"));
    btnConnect_ = panel->findChild<TSpeedButton*>(QStringLiteral("btnConnect"));
    btnDisconnect_ = panel->findChild<TSpeedButton*>(QStringLiteral("btnDisconnect"));

    pnlTX_ = MakeLamp(panel, "pnl_TX", "TX", 446);
    pnlRX_ = MakeLamp(panel, "pnl_RX", "RX", 507);
}

void TMain_Form::BuildStatusBar()
{
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("ComSetting"));
    bar->setSizeGripEnabled(false);
    const std::pair<const char*, int> panels[] = {
        {"57600 Bps", 80}, {"Parity_NON", 80}, {"Stop bits_1", 80}, {"Data bits_8", 80}, {"COM1", 50},
    };
    for (std::size_t i = 0; i < comSettingPanels_.size(); ++i) {
        auto* label = new QLabel(QString::fromLatin1(panels[i].first), bar);
        label->setFixedWidth(panels[i].second);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(label);
        comSettingPanels_[i] = label;
    }
    linkState_ = new LinkStatePanel(bar);
    bar->addWidget(linkState_);
    setStatusBar(bar);
}

// The window's own port handlers go in first; the lamps then chain
// themselves in front of them.
void TMain_Form::ConnectPort()
{
    comPort11_.setObjectName(QStringLiteral("ComPort11"));
    ShowPortInWindows(comPort11_);
    comPort11_.SetBaudRate(br57600);
    comPort11_.SetDataBits(db8);
    comPort11_.SetParity(paNone);
    comPort11_.SetStopBits(sb1);
    comPort11_.SetDeviceName(QStringLiteral("COM1"));
    comPort11_.SetOnRxChar([this](QObject* sender) { ComPort11RxChar(sender); });
    comPort11_.SetAfterRead([this](QObject* sender, const char* buffer, int length, bool wait) {
        ComPort11AfterRead(sender, buffer, length, wait);
    });
    comPort11_.SetAfterClose([this](TCustomComPort* port) { ComPort11AfterClose(port); });

    comSignal11_.setObjectName(QStringLiteral("ComSignal11"));
    comSignal11_.SetSignal(siTxChar);
    comSignal11_.SetColorOff(QColor(128, 128, 0));
    comSignal11_.SetColorOn(QColor(255, 255, 0));
    comSignal11_.SetDelay(100);
    comSignal11_.SetControl(pnlTX_);
    comSignal11_.SetComPort(&comPort11_);

    comSignal12_.setObjectName(QStringLiteral("ComSignal12"));
    comSignal12_.SetSignal(siRxChar);
    comSignal12_.SetDelay(100);
    comSignal12_.SetControl(pnlRX_);
    comSignal12_.SetComPort(&comPort11_);
}

void TMain_Form::FormCreate()
{
    scheduler_.RequestKind = KindIdle;
    scheduler_.SendPermit = 1;
    rx_.Reset();
    btnDisconnect_->setEnabled(false);
}

void TMain_Form::SetPortPanelText(const QString& deviceName)
{
    comSettingPanels_[4]->setText(deviceName);
}

void TMain_Form::AddResultLine(const QString& text)
{
    mmResult_->appendPlainText(ResultLine(text, QDateTime::currentDateTime()));
}

void TMain_Form::ExitClick()
{
    close();
}

void TMain_Form::PortClick()
{
    RunGuarded([&] {
        scheduler_.Pause();
        {
            const QScopedValueRollback closing(closingPort_, true);
            comPort11_.SetActive(false);
        }
        portDialog_ = std::make_unique<TfrmComPort>(
            comPort11_, scheduler_, [this](const QString& name) { SetPortPanelText(name); }, this);
        portDialog_->exec();
    });
}

void TMain_Form::btnAlarmClick()
{
    RunGuarded([&] {
        frmAlarm_ = std::make_unique<TfrmAlarm>(scheduler_, status_->Snapshot(), this);
        frmAlarm_->exec();
    });
}

void TMain_Form::SettingClick()
{
    RunGuarded([&] {
        frmSetting_ = std::make_unique<TfrmSetting>(scheduler_, status_->Snapshot(), this);
        frmSetting_->exec();
    });
}

void TMain_Form::InitialClick()
{
    RunGuarded([&] {
        scheduler_.Pause();
        frmInitial_ = std::make_unique<TfrmInitial>(scheduler_, this);
        frmInitial_->exec();
    });
}

void TMain_Form::IP_SettingClick()
{
    RunGuarded([&] {
        form1_ = std::make_unique<TForm1>(scheduler_, status_->Area(), this);
        form1_->exec();
    });
}

void TMain_Form::SpeedButton5Click()
{
    RunGuarded([&] {
        scheduler_.Pause();
        frmADSetting_ = std::make_unique<TfrmADSetting>(scheduler_, this);
        frmADSetting_->exec();
    });
}

void TMain_Form::btnConnectClick()
{
    RunGuarded([&] {
        scheduler_.RequestKind = KindIdle;
        comPort11_.SetActive(true);
        rx_.Reset();
        scheduler_.SendPermit = 1;
        timer1_.start();
        btnDisconnect_->setEnabled(true);
        btnConnect_->setEnabled(false);
        connected_ = true;
        linkState_->Connected();
    }, [this] { return LineTitle(comPort11_.DeviceName()); });
}

void TMain_Form::btnDisconnectClick()
{
    // Whatever fails here is dropped silently; the steps after it are skipped.
    try {
        FallBackToDisconnected();
        // Gives a write still leaving the port a moment to finish.
        QThread::msleep(10);
        const QScopedValueRollback closing(closingPort_, true);
        comPort11_.SetActive(false);
    } catch (...) {
    }
}

// The disconnected state without closing the port.
void TMain_Form::FallBackToDisconnected()
{
    scheduler_.RequestKind = KindIdle;
    timer1_.stop();
    rx_.Reset();
    scheduler_.SendPermit = 1;
    btnDisconnect_->setEnabled(false);
    btnConnect_->setEnabled(true);
    connected_ = false;
    linkState_->Disconnected();
}

void TMain_Form::CreateHistoryWindows()
{
    frmHistList_ = std::make_unique<TfrmHistList>();
    frmHistory_ = std::make_unique<TfrmHistory>(history_, *frmHistList_, this);
}

void TMain_Form::Alarm_HistoryClick()
{
    RunGuarded([&] {
        if (!frmHistList_)
            CreateHistoryWindows();
        history_.Start();
        frmHistory_ = std::make_unique<TfrmHistory>(history_, *frmHistList_, this);
        frmHistory_->exec();
        history_.ClearGrid();
    });
}

void TMain_Form::History_polling()
{
    history_.History_polling();
}

void TMain_Form::History_Display()
{
    history_.History_Display(rx_.RxBody);
}

void TMain_Form::ClockClick()
{
    RunGuarded([&] {
        scheduler_.Pause();
        frmSetTime_ = std::make_unique<TfrmSetTime>(scheduler_, this);
        frmSetTime_->MakeMonthEditable();
        frmSetTime_->exec();
    });
}

void TMain_Form::Expand_BatteryClick()
{
    RunGuarded([&] {
        frmSetDisch_ = std::make_unique<TfrmSetDisch>(scheduler_, status_->Snapshot(), this);
        frmSetDisch_->exec();
    });
}

void TMain_Form::SpeedButton3Click()
{
    RunGuarded([&] { battDisch_->Open(); });
}

void TMain_Form::TrendClick()
{
    RunGuarded([&] {
        if (!trend_) {
            QStringList reportedAtStart; // the recorder's start-up has reported them
            const RecorderSettings settings = LoadRecorderSettings(reportedAtStart);
            trend_ = std::make_unique<TrendWindow>(TrendWindow::Links{
                SessionDatabasePath(), [this] { return recorder_->Plant(); },
                [] { return QDateTime::currentMSecsSinceEpoch(); },
                [this, settings] { return CapacityBasisFor(settings, status_->Snapshot()); }, settings.Detection,
                [this](int ampHours) {
                    battDisch_->FillDtCapacityAfterReply(ampHours);
                    SpeedButton3Click();
                },
                settings.Correction});
        }
        trend_->show();
        trend_->raise();
        trend_->activateWindow();
    });
}

void TMain_Form::Timer1Timer()
{
    RunGuarded([&] { scheduler_.Tick(*this); }, [this] { return LineTitle(comPort11_.DeviceName()); });
}

void TMain_Form::DispatchFrame()
{
    switch (TakeFrame(rx_)) {
    case FrameRoute::SettingAck:
        HandleSettingAck();
        break;
    case FrameRoute::History:
        History_Display();
        break;
    case FrameRoute::AlarmStatus:
        DecodeAlarmStatus();
        break;
    case FrameRoute::BattTestReply:
        HandleBattTestReply();
        break;
    case FrameRoute::RectifierStatus:
        DecodeRectifierStatus();
        break;
    case FrameRoute::UnitStatus:
        DecodeUnitStatus();
        break;
    case FrameRoute::Ignore:
        break;
    }
}

void TMain_Form::DecodeRectifierStatus()
{
    linkState_->RecordArrived();
    status_->DecodeRectifierStatus(rx_.RxBody);
}

void TMain_Form::DecodeAlarmStatus()
{
    status_->DecodeAlarmStatus(rx_.RxBody);
}

void TMain_Form::DecodeUnitStatus()
{
    status_->DecodeUnitStatus(rx_.RxBody);
}

void TMain_Form::HandleBattTestReply()
{
    battDisch_->HandleBattTestReply(rx_.RxBody);
}

void TMain_Form::HandleSettingAck()
{
    if (const char* line = scheduler_.HandleSettingAck(rx_.RxBody))
        AddResultLine(QString::fromLatin1(line));
}

// Closing the main window ends the program: no tick runs on into the closed
// port, and the console's other windows (the battery alert, modeless
// dialogs) close with it, so that the application's last window is gone.
void TMain_Form::closeEvent(QCloseEvent* event)
{
    timer1_.stop();
    RunGuarded([&] {
        const QScopedValueRollback closing(closingPort_, true);
        comPort11_.SetActive(false);
    });
    event->accept();
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window != this && window->isVisible())
            window->close();
}

void TMain_Form::ComPort11RxChar(QObject*)
{
    comPort11_.ReadAvailable(rxText_);
}

// Every frame verified in the read is dispatched, in arrival order. Each
// runs guarded: an error in one frame's handler is shown, and the frames
// behind it still reach theirs.
void TMain_Form::ComPort11AfterRead(QObject*, const char* buffer, int length, bool)
{
    rx_.Assemble(std::string_view(buffer, static_cast<std::size_t>(length)));
    RunGuarded([&] { DispatchFrame(); });
    while (rx_.NextFrame())
        RunGuarded([&] { DispatchFrame(); });
}

// A port that closed without the window asking (the device went away) while
// connected leaves the window as after Disconnect, whatever the scheduler
// was doing: no tick runs on into a dead port, and Connect opens it again.
void TMain_Form::ComPort11AfterClose(TCustomComPort*)
{
    if (!closingPort_ && connected_) {
        history_.PortClosed();
        FallBackToDisconnected();
    }
}

void TMain_Form::SendFrame(const std::string& body)
{
    comPort11_.WriteText(EncodeFrame(body));
}

void TMain_Form::HistoryStep()
{
    History_polling();
}

void TMain_Form::ClockSent()
{
    TestAlertShown = 0;
}

void TMain_Form::BattSetSent()
{
    battDisch_->BattSetSent();
}

} // namespace zelt
