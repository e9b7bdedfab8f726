// The console against the simulated controller over a pseudo-terminal: the
// records it pushes reach the status tabs of a connected main window.

#include "app/MainForm.h"
#include "common/EventLoop.h"
#include "common/Pty.h"
#include "protocol/FieldText.h"
#include "sim/FakeController.h"
#include "sim/Records.h"
#include "ui/Colours.h"
#include "ui/StandardError.h"

#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QStringList>

#include <gtest/gtest.h>

using namespace zelt;

TEST(LiveStatus, PushedRecordsReachTheStatusTabs)
{
    QStringList errors;
    SetStandardErrorSink([&](const QString& message) { errors.append(message); });
    test::PtyPair pty;
    sim::Scenario scenario;
    sim::FakeController controller(pty.Master(), scenario);
    {
        TMain_Form window;
        window.ComPort11().SetDeviceName(QString::fromStdString(pty.SlavePath()));
        window.findChild<QAbstractButton*>(QStringLiteral("btnConnect"))->click();
        ASSERT_TRUE(window.ComPort11().Active());
        StatusArea& area = window.Status().Area();

        controller.startPushing();
        // Two record sets: the first 'K' decides presence, the 'U' after it paints the unit lamps.
        ASSERT_TRUE(test::WaitUntil([&] { return controller.sentBodies().size() >= 6 && controller.outputIdle(); }, 5000));
        test::Pump(100);
        controller.stopPushing();

        const sim::PlantState& plant = controller.plant();
        EXPECT_EQ(area.Text("pnlReadComuni"), plant.network.readCommunity);
        EXPECT_EQ(area.Text("pnlWriteComuni"), plant.network.writeCommunity);
        EXPECT_EQ(area.Text("pnlIP1"), std::to_string(plant.network.ip.octets[0]));
        EXPECT_EQ(area.Text("pnlSM4"), std::to_string(plant.network.subnetMask.octets[3]));
        EXPECT_EQ(area.Text("pnlDC_V"), FormatTenths(plant.readings.dcVolt, 'V') + " ");
        EXPECT_EQ(area.Text("pnlLC_A"), ZeroFill(plant.readings.loadCurrent, 3) + " A ");
        EXPECT_EQ(area.Text("pnlRM1"), "IN ");
        EXPECT_EQ(area.Text("pnlAC2"), "IN ");
        EXPECT_EQ(area.Text("pnlACVolt1"), std::to_string(plant.readings.units[0].acVolt) + "V ");
        EXPECT_EQ(area.LampColour("UF1"), RgbLime);
        EXPECT_EQ(area.LampColour("AF4"), RgbLime);
        EXPECT_EQ(area.LampColour("OV"), RgbLime);
        EXPECT_EQ(window.Status().Snapshot().FloatVolt, plant.settings.floatVolt);
        EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
    }
    SetStandardErrorSink({});
}

// A controller delivers an acknowledgement and a whole record set in one
// read: every frame of it acts.
TEST(LiveStatus, EveryFrameOfOneReadActs)
{
    QStringList errors;
    SetStandardErrorSink([&](const QString& message) { errors.append(message); });
    test::PtyPair pty;
    const QDateTime now = QDateTime::currentDateTime();
    sim::PlantState plant = sim::MakePlant(sim::Scenario(), now);
    plant.network.readCommunity = "onlyread";
    plant.readings.units[0].acVolt = 231;
    {
        TMain_Form window;
        window.ComPort11().SetDeviceName(QString::fromStdString(pty.SlavePath()));
        window.findChild<QAbstractButton*>(QStringLiteral("btnConnect"))->click();
        ASSERT_TRUE(window.ComPort11().Active());
        StatusArea& area = window.Status().Area();

        pty.Send(EncodeFrame("O1") + EncodeFrame("R" + sim::EncodeRectifierStatus(plant, now))
                 + EncodeFrame("K" + sim::EncodeAlarmStatus(plant)) + EncodeFrame("U" + sim::EncodeUnitStatus(plant)));
        ASSERT_TRUE(test::WaitUntil([&] { return area.Text("pnlACVolt1") == "231V "; }));
        EXPECT_TRUE(window.mmResult()->toPlainText().startsWith(QStringLiteral("Setting Sucess! <<---")));
        EXPECT_EQ(area.Text("pnlReadComuni"), "onlyread");
        EXPECT_EQ(area.Text("pnlRM1"), "IN ");
        EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
    }
    SetStandardErrorSink({});
}
