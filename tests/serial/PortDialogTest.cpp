#include "serial/PortDialog.h"

#include "common/Loopback.h"
#include "common/Pty.h"
#include "protocol/Scheduler.h"
#include "serial/ComPort.h"
#include "serial/PortNames.h"
#include "ui/StandardError.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

using namespace zelt;

namespace {

// A pseudo-terminal standing in for a device, reachable as a port alias in
// a temporary HOME.
class PortDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        oldHome_ = qgetenv("HOME");
        qputenv("HOME", home_.path().toLocal8Bit());
        SetStandardErrorSink([this](const QString& message) { errors.append(message); });
        scheduler.Pause();
    }
    void TearDown() override
    {
        port.SetActive(false);
        SetStandardErrorSink({});
        qputenv("HOME", oldHome_);
    }

    void AliasPort(const char* name, const QString& device) const
    {
        const std::filesystem::path ports = home_.path().toStdString() + "/.local/share/zelt6380/ports";
        std::filesystem::create_directories(ports);
        std::filesystem::create_symlink(device.toStdString(), ports / name);
    }

    std::unique_ptr<TfrmComPort> Open()
    {
        return std::make_unique<TfrmComPort>(port, scheduler, [this](const QString& name) { shownName = name; });
    }

    TComPort port;
    RequestScheduler scheduler;
    std::optional<QString> shownName;
    QStringList errors;
    test::PtyPair pty;
    const QString slavePath_ = QString::fromStdString(pty.SlavePath());

private:
    QTemporaryDir home_;
    QByteArray oldHome_;
};

} // namespace

TEST_F(PortDialogTest, PreselectsOnlyTheFirstFourPorts)
{
    const std::pair<const char*, int> cases[] = {
        {"COM1", 0}, {"COM2", 1}, {"COM3", 2}, {"COM4", 3}, {"COM5", 0},
        {"COM6", 0}, {"COM8", 0}, {"/dev/null", 0}, {"com3", 0},
    };
    for (const auto& [name, index] : cases) {
        SCOPED_TRACE(name);
        port.SetDeviceName(QString::fromLatin1(name));
        EXPECT_EQ(Open()->ItemIndex(), index);
    }
}

TEST_F(PortDialogTest, ShowsTheDeviceEachEntryOpens)
{
    AliasPort("COM2", slavePath_);
    const auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("COMM PORT"));
    const auto entries = dialog->findChildren<QRadioButton*>();
    ASSERT_EQ(entries.size(), 8);
    for (int i = 0; i < 8; ++i) {
        const QString name = QStringLiteral("COM%1").arg(i + 1);
        EXPECT_EQ(entries[i]->text(), name);
        EXPECT_EQ(entries[i]->toolTip().toStdString(), ResolvePortDevice(name.toStdString()));
    }
    auto* line = dialog->findChild<QLabel*>(QStringLiteral("lblDevice"));
    ASSERT_NE(line, nullptr);
    dialog->SetItemIndex(1);
    EXPECT_TRUE(line->text().endsWith(slavePath_)) << line->text().toStdString();
}

// A network line mapped in the settings file wins over a link of the same name.
TEST_F(PortDialogTest, MappedNetworkLineWinsOverALinkAndIsShownAsTheDevice)
{
    QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    test::Listener server;
    const QString url = QString::fromStdString("tcp://" + server.Address());
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zelt6380"), QStringLiteral("zelt6380"))
        .setValue(QStringLiteral("ports/COM2"), url);
    AliasPort("COM2", slavePath_);
    const auto dialog = Open();
    EXPECT_EQ(dialog->findChildren<QRadioButton*>()[1]->toolTip(), url);
    dialog->SetItemIndex(1);
    EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("lblDevice"))->text(), QStringLiteral("COM2 opens ") + url);
    dialog->Btn_OK();
    EXPECT_TRUE(port.Active()) << errors.join(QLatin1Char('|')).toStdString();
    const int peer = server.Accept(0);
    EXPECT_GE(peer, 0);
    close(peer);
}

TEST_F(PortDialogTest, OkOpensTheChosenDeviceAndResumesTheScheduler)
{
    AliasPort("COM6", slavePath_);
    port.SetDeviceName(QStringLiteral("COM6"));
    const auto dialog = Open();
    EXPECT_EQ(dialog->ItemIndex(), 0); // COM6 is not preselected
    dialog->SetItemIndex(5);
    dialog->findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(port.Active());
    EXPECT_EQ(shownName, QStringLiteral("COM6"));
    EXPECT_EQ(scheduler.RequestKind, KindIdle);
    EXPECT_EQ(scheduler.SendPermit, 1);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(PortDialogTest, DeviceThatCannotBeOpenedShowsTheErrorAndStillCloses)
{
    AliasPort("COM3", QStringLiteral("/nonexistent/tty-zelt"));
    const auto dialog = Open();
    dialog->SetItemIndex(2);
    dialog->Btn_OK();
    EXPECT_EQ(errors.size(), 1);
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(port.DeviceName(), QStringLiteral("COM3"));
    EXPECT_FALSE(shownName.has_value()); // the status bar keeps the old name
    EXPECT_EQ(scheduler.RequestKind, KindIdle);
    EXPECT_EQ(scheduler.SendPermit, 1);
}

TEST_F(PortDialogTest, CancelReopensTheUnchangedDevice)
{
    AliasPort("COM2", slavePath_);
    port.SetDeviceName(QStringLiteral("COM2"));
    const auto dialog = Open();
    dialog->SetItemIndex(3);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog.get(), &escape);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(port.Active());
    EXPECT_EQ(port.DeviceName(), QStringLiteral("COM2"));
    EXPECT_FALSE(shownName.has_value());
    EXPECT_EQ(scheduler.RequestKind, KindIdle);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(PortDialogTest, TitleBarCloseLeavesThePortClosedAndResumes)
{
    const auto dialog = Open();
    dialog->show();
    dialog->close();
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(scheduler.RequestKind, KindIdle);
    EXPECT_EQ(scheduler.SendPermit, 1);

    // A command posted from a window meanwhile is not overwritten.
    const auto second = Open();
    second->show();
    scheduler.PostCommand(KindSystem, "x");
    scheduler.SendPermit = 0;
    second->close();
    EXPECT_EQ(scheduler.RequestKind, KindSystem);
    EXPECT_EQ(scheduler.SendPermit, 0);
}
