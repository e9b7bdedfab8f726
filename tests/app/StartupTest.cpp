#include "app/ResultLine.h"
#include "app/Startup.h"
#include "battery/TfrmShow.h"
#include "common/EventLoop.h"
#include "ui/StandardError.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QAbstractButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace zelt;

TEST(Startup, OnlyTheMainWindowIsShownInItsStartState)
{
    const ConsoleWindows windows = StartConsole();
    TMain_Form& main = *windows.mainForm;
    test::Pump(20);

    QWidgetList visible;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            visible.append(w);
    ASSERT_EQ(visible.size(), 1);
    EXPECT_EQ(visible[0], &main);
    EXPECT_EQ(Main_Form, &main);
    EXPECT_EQ(frmComPort, windows.comPort.get());
    EXPECT_EQ(frmSetting, windows.setting.get());
    EXPECT_EQ(frmInitial, windows.initial.get());
    EXPECT_EQ(frmADSetting, windows.adSetting.get());
    EXPECT_EQ(frmAlarm, windows.alarm.get());
    EXPECT_EQ(Form1, windows.form1.get());
    const QWidget* created[] = {windows.comPort.get(), windows.setting.get(), windows.initial.get(),
                                windows.adSetting.get(), windows.alarm.get(), windows.form1.get()};
    for (const QWidget* window : created)
        EXPECT_NE(window, nullptr);
    EXPECT_NE(main.frmHistory(), nullptr);
    EXPECT_NE(main.frmHistList(), nullptr);
    EXPECT_EQ(main.windowTitle(), QStringLiteral("ZELT-6380A (V2.0 2014/07/03)"));

    const char* panels[] = {"57600 Bps", "Parity_NON", "Stop bits_1", "Data bits_8", "COM1"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(main.ComSettingPanel(i)->text(), QString::fromLatin1(panels[i]));

    EXPECT_EQ(main.Scheduler().RequestKind, KindIdle);
    EXPECT_EQ(main.Scheduler().SendPermit, 1);
    EXPECT_FALSE(main.ComPort11().Active());
    EXPECT_EQ(main.ComPort11().DeviceName(), QStringLiteral("COM1"));
    EXPECT_EQ(main.ComPort11().BaudRate(), br57600);
    EXPECT_EQ(main.ComPort11().DataBits(), db8);
    EXPECT_EQ(main.ComPort11().Parity(), paNone);
    EXPECT_EQ(main.ComPort11().StopBits(), sb1);
    for (QTimer* timer : {&main.Timer1(), &main.Timer2(), &main.Timer3()}) {
        EXPECT_FALSE(timer->isActive()) << timer->objectName().toStdString();
        EXPECT_EQ(timer->interval(), 100);
    }
    EXPECT_TRUE(main.mmResult()->toPlainText().isEmpty());
    ASSERT_EQ(main.PageControl1()->count(), 3);
    EXPECT_EQ(main.PageControl1()->tabText(0), QStringLiteral("Rectifier Status"));
    EXPECT_EQ(main.PageControl1()->tabText(1), QStringLiteral("Operating Info"));
    EXPECT_EQ(main.PageControl1()->tabText(2), QStringLiteral("Ethernet Info"));

    EXPECT_EQ(main.pos(), QPoint(280, 118));
    EXPECT_EQ(main.size(), QSize(598, 810));
    // Top to bottom, 2 px apart: the toolbar panel, the pages, the result log.
    const QWidget* toolbar = main.findChild<QWidget*>(QStringLiteral("Panel1"));
    EXPECT_EQ(toolbar->palette().color(QPalette::Window), QColor(166, 202, 240));
    const QRect panel = toolbar->geometry();
    const QRect pages = main.PageControl1()->geometry();
    const QRect log = main.mmResult()->geometry();
    EXPECT_EQ(panel, QRect(0, 0, 569, 76));
    EXPECT_EQ(pages.top(), panel.bottom() + 1 + 2);
    EXPECT_EQ(log.top(), pages.bottom() + 1 + 2);
    EXPECT_EQ(log.height(), 110);
}

// Buttons of windows that are not built yet are disabled.
TEST(Startup, ToolbarButtons)
{
    TMain_Form main;
    struct Case {
        const char* name;
        const char* caption;
        QRect geometry; // rows of 22-pixel buttons, 24 pixels apart
        bool enabled;
    };
    const Case cases[] = {
        {"Exit", "E&xit", {4, 2, 49, 22}, true},
        {"Port", "Port", {53, 2, 49, 22}, true},
        {"btnConnect", "Connect", {102, 2, 56, 22}, true},
        {"btnDisconnect", "Disconnect", {158, 2, 68, 22}, false},
        {"Clock", "Clock", {226, 2, 57, 22}, true},
        {"btnAlarm", "Alarm", {283, 2, 65, 22}, true},
        {"Setting", "Setting", {348, 2, 73, 22}, true},
        {"Alarm_History", "Alarm History", {4, 26, 102, 22}, true},
        {"Initial", "History Clear", {106, 26, 103, 22}, true},
        {"IP_Setting", "IP-Setting", {209, 26, 81, 22}, true},
        {"SpeedButton5", "AD SET", {290, 26, 73, 22}, true},
        {"Expand_Battery", "Initial Charge", {4, 50, 112, 22}, true},
        {"SpeedButton3", "Battery Discharge", {116, 50, 131, 22}, true},
        {"btnTrend", "Trend", {247, 50, 57, 22}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto* button = main.findChild<QAbstractButton*>(QString::fromLatin1(c.name));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QString::fromLatin1(c.caption));
        EXPECT_EQ(button->geometry(), c.geometry);
        EXPECT_EQ(button->isEnabled(), c.enabled);
        EXPECT_FALSE(button->icon().pixmap(16, 16, QIcon::Normal).toImage()
                     == button->icon().pixmap(16, 16, QIcon::Disabled).toImage());
    }
    EXPECT_EQ(main.findChild<QAbstractButton*>("Exit")->toolTip(), QStringLiteral("Program Exit(Alt+X)"));
    for (const char* lamp : {"pnl_TX", "pnl_RX"}) {
        auto* panel = main.findChild<QLabel*>(QString::fromLatin1(lamp));
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->size(), QSize(57, 41));
        EXPECT_TRUE(panel->font().bold());
    }
}

TEST(Startup, ExitClosesTheWindow)
{
    TMain_Form main;
    main.show();
    main.findChild<QAbstractButton*>("Exit")->click();
    EXPECT_FALSE(main.isVisible());
}

TEST(Startup, ClosingTheMainWindowEndsTheProgramWhileTheAlertIsShown)
{
    const ConsoleWindows windows = StartConsole();
    TMain_Form& main = *windows.mainForm;
    main.Timer1().start();
    main.frmShow().ShowAlert("Battery Test", "due", RgbRed);
    QTimer::singleShot(50, &main, [&] { main.close(); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(3000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(main.frmShow().isVisible());
    EXPECT_FALSE(main.Timer1().isActive());
}

TEST(ResultLine, DateFollowsTheTextDirectlyThenOneBlankAndTheTimeWithoutZone)
{
    const QString text = QStringLiteral("Setting Fail! <<---");
    const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7));
    const std::pair<const char*, const char*> cases[] = {
        {"C", "4 Mar 2026 05:06:07"},
        {"de_DE", "04.03.26 05:06:07"},
        {"en_US", "3/4/26 5:06:07 AM"},
        {"ko_KR", "26. 3. 4. \uC624\uC804 5\uC2DC 6\uBD84 7\uCD08"},
    };
    for (const auto& [name, stamp] : cases)
        EXPECT_EQ(ResultLine(text, when, QLocale(QString::fromLatin1(name))).toStdString(), (text + QString::fromUtf8(stamp)).toStdString()) << name;
    // The console writes in the system locale.
    EXPECT_EQ(ResultLine(text, when), ResultLine(text, when, QLocale::system()));
}

TEST(Startup, APrivateRuntimeFolderOnlyWhereNoneIsSet)
{
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    QString path;
    {
        const auto folder = PrivateRuntimeFolder();
        ASSERT_NE(folder, nullptr);
        path = folder->path();
        EXPECT_EQ(qgetenv("XDG_RUNTIME_DIR"), QFile::encodeName(path));
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
            | QFile::WriteOther | QFile::ExeOther;
        EXPECT_EQ(QFileInfo(path).permissions() & others, QFile::Permissions());
        EXPECT_EQ(PrivateRuntimeFolder(), nullptr); // set now: left as it is
        EXPECT_EQ(qgetenv("XDG_RUNTIME_DIR"), QFile::encodeName(path));
    }
    EXPECT_FALSE(QFileInfo::exists(path));
    if (saved.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", saved);
}
