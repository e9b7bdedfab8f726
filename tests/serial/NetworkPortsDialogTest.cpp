#include "serial/NetworkPortsDialog.h"

#include "protocol/Scheduler.h"
#include "serial/ComPort.h"
#include "serial/PortDialog.h"
#include "serial/PortNames.h"

#include <QApplication>
#include <QHBoxLayout>
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

QSettings Settings()
{
    return {QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zelt6380"), QStringLiteral("zelt6380")};
}

class NetworkPortsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
        Settings().setValue(QStringLiteral("ports/COM2"), QStringLiteral("tcp://10.0.0.9:4002"));
    }
    QTemporaryDir config;
};

// The port dialog's own buttons come first; "Network…" opens the window
// over it, and what it saves shows in the port dialog at once.
TEST_F(NetworkPortsDialogTest, OpensFromThePortDialogAfterItsOwnButtons)
{
    TComPort port;
    RequestScheduler scheduler;
    TfrmComPort portDialog(port, scheduler, [](const QString&) {});
    auto* network = portDialog.findChild<QPushButton*>(QStringLiteral("btnNetwork"));
    ASSERT_NE(network, nullptr);
    EXPECT_EQ(network->text(), QStringLiteral("Network\u2026"));
    auto* ok = portDialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"));
    auto* row = qobject_cast<QHBoxLayout*>(ok->parentWidget()->layout()->itemAt(2)->layout());
    ASSERT_NE(row, nullptr);
    EXPECT_LT(row->indexOf(ok), row->indexOf(portDialog.findChild<QPushButton*>(QStringLiteral("BitBtn2"))));
    EXPECT_LT(row->indexOf(portDialog.findChild<QPushButton*>(QStringLiteral("BitBtn2"))), row->indexOf(network));

    QString seen;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<NetworkPortsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = dialog->findChild<QLabel*>(QStringLiteral("lblTargetCOM2"))->text();
        dialog->findChild<QLineEdit*>(QStringLiteral("edtUrlCOM1"))->setText(QStringLiteral("rfc2217://[fd00::5]:4001"));
        dialog->findChild<QPushButton*>(QStringLiteral("btnSave"))->click();
    });
    network->click();
    EXPECT_EQ(seen, QStringLiteral("tcp://10.0.0.9:4002"));
    EXPECT_EQ(portDialog.findChildren<QRadioButton*>()[0]->toolTip(), QStringLiteral("rfc2217://[fd00::5]:4001"));
    EXPECT_EQ(portDialog.findChild<QLabel*>(QStringLiteral("lblDevice"))->text(),
              QStringLiteral("COM1 opens rfc2217://[fd00::5]:4001"));
}

// Each address is checked before anything is written; an empty one clears
// the name's mapping.
TEST_F(NetworkPortsDialogTest, SavesOnlySoundAddresses)
{
    const struct {
        const char* name;
        const char* com3;
        bool saved;
        const char* error;
    } cases[] = {
        {"port 0", "tcp://host:0", false, "COM3: not tcp://HOST:PORT or rfc2217://HOST:PORT with a port from 1 to 65535"},
        {"port 65536", "rfc2217://host:65536", false,
         "COM3: not tcp://HOST:PORT or rfc2217://HOST:PORT with a port from 1 to 65535"},
        {"no host", "tcp://:4001", false, "COM3: not tcp://HOST:PORT or rfc2217://HOST:PORT with a port from 1 to 65535"},
        {"port 65535", " rfc2217://plant-7:65535 ", true, ""},
        {"port 1", "tcp://plant-7:1", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NetworkPortsDialog dialog;
        auto* com2 = dialog.findChild<QLineEdit*>(QStringLiteral("edtUrlCOM2"));
        EXPECT_EQ(com2->text(), QStringLiteral("tcp://10.0.0.9:4002"));
        EXPECT_EQ(com2->accessibleName(), QStringLiteral("COM2"));
        com2->clear();
        dialog.findChild<QLineEdit*>(QStringLiteral("edtUrlCOM3"))->setText(QString::fromLatin1(c.com3));
        dialog.SaveClick();
        EXPECT_EQ(dialog.result(), c.saved ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lblError"))->text(), QString::fromLatin1(c.error));
        EXPECT_EQ(MappedPortUrl(QStringLiteral("COM3")), c.saved ? QString::fromLatin1(c.com3).trimmed() : QString());
        EXPECT_EQ(MappedPortUrl(QStringLiteral("COM2")).isEmpty(), c.saved);
        Settings().setValue(QStringLiteral("ports/COM2"), QStringLiteral("tcp://10.0.0.9:4002"));
    }
}

} // namespace
} // namespace zelt
