// A simulated discharge test through the decoders, the recorder and its
// database into the analysis, on an injected clock: one record set a second.

#include "battery/TBattDisch.h"
#include "battery/TfrmShow.h"
#include "protocol/FrameCodec.h"
#include "protocol/Scheduler.h"
#include "sim/DischargeModel.h"
#include "sim/PlantModel.h"
#include "sim/Records.h"
#include "status/StatusMonitor.h"
#include "trend/DischargeList.h"
#include "trend/DischargeReport.h"
#include "trend/PlantId.h"
#include "trend/SessionRecorder.h"
#include "ui/MessageBox.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>

using namespace zelt;

namespace {

std::string Received(char letter, const std::string& payload)
{
    return EncodeFrame(std::string(1, letter) + payload).substr(2);
}

TEST(DischargeEndToEnd, SimulatedTestIsListedAndFillsTheBatteryWindow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.sqlite"));
    const QDateTime t0(QDate(2026, 6, 1), QTime(8, 0), Qt::UTC);
    sim::PlantState plant = sim::MakePlant(sim::Scenario{}, t0);
    sim::StartDischarge(plant, t0.addSecs(60), 20, false);

    QTabWidget pages;
    std::uint8_t alertShown = 0;
    TfrmShow frmShow{alertShown};
    StatusMonitor monitor{pages, alertShown, frmShow};
    std::atomic<std::int64_t> now = t0.toMSecsSinceEpoch();
    double ampSecondsSent = 0;
    {
        SessionRecorder recorder(path, RecorderSettings{},
                                 {[] { return QStringLiteral("COM1"); }, [](const QString&) {}, [&now] { return now.load(); },
                                  [&now] { return now.load(); }});
        monitor.SetListener(&recorder);
        for (int s = 0; s < 60 + 20 * 60 + 120; ++s) {
            const QDateTime t = t0.addSecs(s);
            now = t.toMSecsSinceEpoch();
            sim::AdvancePlant(plant, t);
            monitor.DecodeAlarmStatus(Received('K', sim::EncodeAlarmStatus(plant)));
            monitor.DecodeRectifierStatus(Received('R', sim::EncodeRectifierStatus(plant, t)));
            ampSecondsSent -= std::min(plant.readings.battCurrent, 0);
        }
        monitor.SetListener(nullptr);
    }

    SessionStore store(path, QStringLiteral("end-to-end"));
    store.Open();
    const std::vector<TrendSample> samples = store.Samples(PlantKey("COM1", plant.network.mac), 0, now + 1);
    ASSERT_EQ(samples.size(), 60u + 20 * 60 + 120);
    const std::vector<DischargeSpan> found = DetectDischarges(samples, DetectionSettings{});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Kind, DischargeKind::Test);
    EXPECT_FALSE(found[0].Interrupted);
    const StatusSnapshot& s = monitor.Snapshot();
    const DischargeFigures f =
        MeasureDischarge(samples, found[0], {});
    EXPECT_EQ(f.StartMs, t0.addSecs(60).toMSecsSinceEpoch());
    EXPECT_TRUE(f.Complete);
    EXPECT_TRUE(f.Gaps.empty());
    EXPECT_NEAR(f.AmpHours, ampSecondsSent / 3600, ampSecondsSent / 3600 * 0.005);
    ASSERT_TRUE(f.Verdict.has_value());
    EXPECT_NEAR(*f.PercentOfRated, 95, 1);
    EXPECT_EQ(*f.Verdict, 1);

    // Pruned but for the discharge, the store still lists it as measured.
    store.Prune(now + 1, DetectionSettings{});
    std::optional<int> handedOver;
    const auto key = [&plant] { return PlantKey("COM1", plant.network.mac); };
    DischargeList list({path, key, [&now] { return now.load(); }, [&s] { return CapacityBasisFor(RecorderSettings{}, s); },
                        DetectionSettings{}, [&handedOver](int ampHours) { handedOver = ampHours; }},
                       key);
    list.Refresh();
    list.Refresh(); // what has ended is not found again
    ASSERT_EQ(list.Table()->rowCount(), 1) << list.StatusText().toStdString();
    const QStringList expected = SummaryTexts({DischargeKind::Test, f, false});
    const std::pair<int, const char*> columns[] = {{0, "test"}, {3, nullptr}, {4, "complete"}, {5, nullptr},
                                                   {6, nullptr}, {7, "good"}, {14, ""}};
    for (const auto& [column, text] : columns) {
        EXPECT_EQ(list.Table()->item(0, column)->text(), expected[column]) << column;
        if (text != nullptr)
            EXPECT_EQ(expected[column].toStdString(), text);
    }
    list.Table()->selectRow(0);
    QStringList messages;
    SetMessageSink([&messages](MessageKind, const QString& text, const QString&) { messages.append(text); });
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QFileInfo(path).absolutePath());
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zelt6380"), QStringLiteral("zelt6380"))
        .setValue(QStringLiteral("report/siteName"), QStringLiteral("Hilltop"));
    list.ExportPdf(path + QStringLiteral("/folder")); // under a file: no folder can be made there
    SetMessageSink({});
    EXPECT_EQ(messages, QStringList{QStringLiteral("The PDF file could not be saved.")});
    list.UseButton()->click();
    ASSERT_EQ(handedOver, std::lround(*f.C25));

    // What the main window does with it: the battery window opens and shows
    // the capacity once the controller's bookkeeping is in.
    RequestScheduler scheduler;
    TBattDisch battery{BattDischLinks{scheduler, s, monitor.Area(), frmShow, alertShown, [](const QString&) {},
                                      [] { return true; }}};
    battery.FillDtCapacityAfterReply(*handedOver);
    battery.Opening();
    battery.ApplyBattTestBody();
    battery.HandleBattTestReply(Received('L', "2014123121100085" "21"));
    battery.ApplyBattTestBody();
    EXPECT_EQ(battery.edtDTCapa->text(), QString::number(*handedOver));
}

} // namespace

namespace {

// A simulated 20-minute test whose records stop for a while after ten
// minutes, through the recorder and the list: a short break at steady
// current is bridged and the verdict given; a long one leaves no verdict and
// nothing to use. Then a battery temperature typed into its row.
TEST(DischargeEndToEnd, BreakInsideATest)
{
    for (const int pause : {20, 90}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.sqlite"));
        const QDateTime t0(QDate(2026, 6, 1), QTime(8, 0), Qt::UTC);
        sim::PlantState plant = sim::MakePlant(sim::Scenario{}, t0);
        sim::StartDischarge(plant, t0.addSecs(60), 20, false);
        QTabWidget pages;
        std::uint8_t alertShown = 0;
        TfrmShow frmShow{alertShown};
        StatusMonitor monitor{pages, alertShown, frmShow};
        std::int64_t now = 0;
        const auto clock = [&now] { return now; };
        {
            SessionRecorder recorder(path, RecorderSettings{}, {[] { return QStringLiteral("COM1"); }, {}, clock, clock});
            monitor.SetListener(&recorder);
            for (int s = 0; s < 60 + 20 * 60 + 120; ++s) {
                now = t0.addSecs(s).toMSecsSinceEpoch();
                sim::AdvancePlant(plant, t0.addSecs(s));
                if (s <= 660 || s > 660 + pause) {
                    monitor.DecodeAlarmStatus(Received('K', sim::EncodeAlarmStatus(plant)));
                    monitor.DecodeRectifierStatus(Received('R', sim::EncodeRectifierStatus(plant, t0.addSecs(s))));
                }
            }
            monitor.SetListener(nullptr);
        }
        const auto key = [&plant] { return PlantKey("COM1", plant.network.mac); };
        DischargeList list({path, key, clock, {}, {}, [](int) {}}, key);
        list.Refresh();
        ASSERT_EQ(list.Table()->rowCount(), 1) << list.StatusText().toStdString();
        const auto row = [&list] {
            QString texts = list.Table()->item(0, 0)->text();
            for (int column : {12, 13, 4, 5, 6, 7, 14})
                texts += QLatin1Char('|') + list.Table()->item(0, column)->text();
            return texts;
        };
        const QString withheld = pause == 20 ? QString() : QStringLiteral("interrupted: 91 s in gaps");
        EXPECT_EQ(row(), pause == 20 ? QStringLiteral("test|25.1|1 (21 s)|complete|163.1|94.8|good|")
                                     : QStringLiteral("test|25.1|1 (91 s)|interrupted||||") + withheld);
        list.Table()->selectRow(0);
        EXPECT_EQ(list.UseButton()->isEnabled(), pause == 20);
        EXPECT_EQ(list.UseButton()->toolTip(), withheld.isEmpty() ? withheld : QStringLiteral("No verdict: ") + withheld);
        EXPECT_FALSE(list.EnterTemp(0, QStringLiteral("warm")));
        EXPECT_TRUE(list.StatusText().startsWith(QStringLiteral("The battery temperature must be")));
        EXPECT_TRUE(list.EnterTemp(0, QStringLiteral(" 24.5")));
        list.Refresh();
        EXPECT_TRUE(row().startsWith(QStringLiteral("test|24.5 entered|"))) << row().toStdString();
    }
}

} // namespace
