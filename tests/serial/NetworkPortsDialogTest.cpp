#include "serial/NetworkPortsDialog.h"

#include "protocol/Scheduler.h"
#include "serial/ComPort.h"
#include "serial/PortDialog.h"
#include "serial/PortNames.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace zelt {
namespace {

// "Network…" comes after the port dialog's own buttons and opens the window
// over it; each address is checked before anything is written, an empty one
// clears its name, and the port dialog shows what was saved at once.
TEST(NetworkPortsDialogTest, SavesOnlySoundAddressesFromThePortDialog)
{
    QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    QSettings(QSettings::IniFormat, QSettings::UserScope, "zelt6380", "zelt6380").setValue("ports/COM2", "tcp://h:4002");
    TComPort port;
    RequestScheduler scheduler;
    TfrmComPort portDialog(port, scheduler, [](const QString&) {});
    const auto buttons = portDialog.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 3);
    EXPECT_EQ(buttons[2]->text(), QStringLiteral("Network\u2026"));
    QStringList errors;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<NetworkPortsDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog && dialog->findChild<QLabel*>("lblTargetCOM2")->text() == "tcp://h:4002");
        const auto edit = [&](const char* name) { return dialog->findChild<QLineEdit*>(QString("edtUrl") + name); };
        EXPECT_EQ(edit("COM2")->accessibleName(), "COM2");
        edit("COM2")->clear();
        for (const char* url : {"tcp://host:0", "rfc2217://host:65536", "tcp://:4001", " rfc2217://p:65535 "}) {
            edit("COM1")->setText(url);
            dialog->findChild<QPushButton*>("btnSave")->click();
            errors.append(dialog->findChild<QLabel*>("lblError")->text());
        }
    });
    buttons[2]->click();
    EXPECT_EQ(errors.mid(0, 3), QStringList(3, "COM1: not tcp://HOST:PORT or rfc2217://HOST:PORT with a port from 1 to 65535"));
    EXPECT_EQ(MappedPortUrl("COM1"), "rfc2217://p:65535");
    EXPECT_EQ(MappedPortUrl("COM2"), "");
    EXPECT_EQ(portDialog.findChildren<QRadioButton*>()[0]->toolTip(), "rfc2217://p:65535");
}

} // namespace
} // namespace zelt
