#include "status/StatusSnapshot.h"
#include "trend/DischargeReport.h"
#include "trend/RecorderSettings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

using namespace zelt;

namespace {

// Runs the test's body in the time zone given as a POSIX TZ text.
class ZoneScope {
public:
    explicit ZoneScope(const char* zone) : old_(qgetenv("TZ")), had_(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ZoneScope()
    {
        if (had_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray old_;
    bool had_;
};

constexpr const char* Berlin = "CET-1CEST,M3.5.0,M10.5.0/3";

std::int64_t Utc(int month, int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute), Qt::UTC).toMSecsSinceEpoch();
}

// The worked example: 160 Ah over 5 hours at 20 degrees C, one sample every
// 5 seconds, the bus falling from 52 V to 42 V; two strings of the first type.
FoundDischarge WorkedExample(std::vector<TrendSample>* samples)
{
    constexpr int Steps = 5 * 3600 / 5;
    for (int i = 0; i <= Steps; ++i) {
        TrendSample s;
        s.TimeMs = Utc(6, 1, 8) + std::int64_t{i} * 5000;
        s.BattCurrent = -32;
        s.DcVolt = 52 - 10.0 * i / Steps;
        s.BlockVolt = {13, 12.5, 13, 13};
        s.Batt1Temp = 20;
        s.Batt1TempValid = true;
        s.ManualTest = true;
        samples->push_back(s);
    }
    const DischargeSpan span{0, samples->size() - 1, false, DischargeKind::Test};
    return {DischargeKind::Test, MeasureDischarge(*samples, span, {43, 2, true}), false};
}

TEST(DischargeReport, CsvFieldsQuotedOnlyWhenNeeded)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},           {"52.3", "52.3"},         {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"two\nlines", "\"two\nlines\""}, {"cr\r", "\"cr\r\""},
    };
    for (const auto& [text, field] : cases)
        EXPECT_EQ(CsvField(QString::fromLatin1(text)).toStdString(), field) << text;
}

TEST(DischargeReport, LocalTimeCarriesItsOffset)
{
    const std::tuple<const char*, std::int64_t, const char*> cases[] = {
        {Berlin, Utc(6, 1, 8), "2026-06-01T10:00:00+02:00"},
        {Berlin, Utc(1, 15, 8), "2026-01-15T09:00:00+01:00"},
        {"EST5EDT,M3.2.0,M11.1.0", Utc(1, 15, 8), "2026-01-15T03:00:00-05:00"},
        {"IST-5:30", Utc(6, 1, 8), "2026-06-01T13:30:00+05:30"},
        {"UTC0", Utc(6, 1, 8), "2026-06-01T08:00:00+00:00"},
    };
    for (const auto& [zone, ms, text] : cases) {
        const ZoneScope scope(zone);
        EXPECT_EQ(IsoLocalTime(ms).toStdString(), text) << zone;
    }
}

TEST(DischargeReport, FileNameOfThePlantAndTheLocalStart)
{
    const ZoneScope scope(Berlin);
    const std::pair<const char*, const char*> cases[] = {
        {"COM1/0011223344AA", "discharge-COM1_0011223344AA-20260601-1000"},
        {"tcp://h:1/x y", "discharge-tcp___h_1_x_y-20260601-1000"},
        {"../a\\b.c-d_e", "discharge-.._a_b.c-d_e-20260601-1000"},
    };
    for (const auto& [plant, name] : cases)
        EXPECT_EQ(ReportBaseName(plant, Utc(6, 1, 8)).toStdString(), name) << plant;
}

TEST(DischargeReport, SamplesAndSummaryRows)
{
    const ZoneScope scope(Berlin);
    std::vector<TrendSample> samples;
    FoundDischarge worked = WorkedExample(&samples);
    samples.resize(1);
    samples[0].Batt1TempValid = false;
    samples[0].ControllerDate = "20260601";
    samples[0].ControllerTime = "095959";
    EXPECT_EQ(SamplesCsv(samples).toStdString(),
              "Time,DC V,Load A,Battery A,Batt 1 \u00b0C,Rack \u00b0C,Block 1 V,Block 2 V,Block 3 V,Block 4 V,Test,AC fail,"
              "Controller date,Controller time\r\n"
              "2026-06-01T10:00:00+02:00,52.0,0,-32,,0.0,13.0,12.5,13.0,13.0,1,0,20260601,095959\r\n");

    FoundDischarge partial = worked;
    partial.Kind = DischargeKind::AcFailure;
    partial.Figures.Complete = false;
    partial.Figures.C25.reset();
    partial.Figures.PercentOfRated.reset();
    partial.Figures.Verdict.reset();
    partial.Figures.TempAbsent = true;
    partial.Figures.Gaps = {{0, 6000, false, true}, {10000, 9000, true, true}};
    EXPECT_EQ(SummaryTexts(worked).join(QLatin1Char('|')).toStdString(),
              "test|2026-06-01T10:00:00+02:00|5:00:00|160.0|complete|164.9|95.9|good|52.0|42.0|12.5|Block 2|20.0|0|");
    EXPECT_EQ(SummaryTexts(partial).mid(12).join(QLatin1Char('|')).toStdString(), "no sensor|2 (15 s)|");
    EXPECT_EQ(SummaryTexts(partial)[4].toStdString(), "partial");
    partial.Ongoing = true;
    EXPECT_EQ(SummaryTexts(partial)[4].toStdString(), "ongoing");
    EXPECT_EQ(SummaryTexts(partial)[0].toStdString(), "AC failure");
}

// The report of a complete, an interrupted and a withheld test, read back
// from the PDF: every field with its figure or why it is missing, the chart,
// the lines to sign, on one page; the summary CSV holds the same fields.
TEST(DischargeReport, ReportHoldsEveryFieldOnOnePage)
{
    const ZoneScope scope(Berlin);
    QTemporaryDir dir;
    const std::tuple<const char*, std::int64_t, double, std::vector<const char*>> cases[] = {
        {"complete", 0, 20, {"Rate C/5.0", "Mean current A 32.0", "\u03bb 0.006", "Correction factor 1.031", "C25 Ah 164.9",
                             "% of rated 95.9", "Verdict good", "Mean temp \u00b0C 20.0 measured", "Gaps none", "State complete",
                             "Block end V 1: 13.0 V, 2: 12.5 V, 3: 13.0 V, 4: 13.0 V", "Lowest block 12.5 V, block 2"}},
        {"interrupted", 90000, 20, {"Gaps 1, 90 s in all, not bridged", "State interrupted", "C25 Ah \u2013", "Verdict \u2013",
                                    "No verdict because interrupted: the current changed across a gap", "Correction factor not applied"}},
        {"withheld", 0, 5, {"No verdict because temperature 5.0 \u00b0C outside 10\u201340 \u00b0C", "Mean temp \u00b0C 5.0 measured",
                            "% of rated \u2013", "State complete"}}};
    for (const auto& [name, gapMs, temp, wanted] : cases) {
        std::vector<TrendSample> samples;
        WorkedExample(&samples);
        for (TrendSample& s : samples)
            std::tie(s.Port, s.Batt1Temp) = std::pair("COM3", temp);
        DischargeSpan span{0, samples.size() - 1, false, DischargeKind::Test, {{Utc(6, 1, 9), gapMs, false, false}}, gapMs > 0};
        span.Gaps.resize(gapMs > 0 ? 1 : 0);
        const FoundDischarge found{DischargeKind::Test, MeasureDischarge(samples, span, {43, 2, true}), false};
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"),
                   SavePdfReport(dir.filePath(QLatin1String(name)), QStringLiteral("Hilltop"), "0050C2A1B2C3", found, samples), QStringLiteral("-")});
        ASSERT_TRUE(text.waitForFinished(30000)) << "pdftotext (poppler-utils) did not run";
        const QString page = QString::fromUtf8(text.readAllStandardOutput());
        EXPECT_EQ(page.count(QLatin1Char('\f')), 1) << name << ": not one page";
        std::vector<const char*> expected = wanted;
        expected.insert(expected.end(), {"Discharge report", "Site Hilltop", "Plant MAC 0050C2A1B2C3", "Port COM3", "Battery type M12V90FT",
                                         "Strings 2", "Rated Ah 172", "Start 2026-06-01T10:00:00+02:00", "End 2026-06-01T15:00:00+02:00",
                                         "Duration 5:00:00", "Start V 52.0", "End V 42.0", "End voltage used 43.0 V", "Ah 160.0",
                                         "Console version", "Tested by", "Signature", "Date", "DC bus V", "Block 4 V", "Battery A", "Batt 1 \u00b0C"});
        for (const char* field : expected)
            EXPECT_TRUE(page.simplified().contains(QString::fromUtf8(field))) << name << ": " << field << " in " << page.toStdString();
        const QByteArray csv = SummaryCsv(ReportFields(QStringLiteral("Hilltop"), "0050C2A1B2C3", found, samples));
        EXPECT_TRUE(csv.startsWith("Site,Plant MAC,Port,Kind,Battery type,Strings,Rated Ah,Start,End,") && csv.count("\r\n") == 2
                    && csv.contains("\r\nHilltop,0050C2A1B2C3,COM3,test,M12V90FT,2,172,")) << csv.toStdString();
    }
}

TEST(DischargeReport, CsvFilesWrittenBothOrNeither)
{
    const ZoneScope scope(Berlin);
    QTemporaryDir dir;
    std::vector<TrendSample> samples;
    const FoundDischarge worked = WorkedExample(&samples);
    const QString base = dir.filePath(QStringLiteral("discharge-COM1-20260601-1000"));
    EXPECT_EQ(SaveCsvReport(dir.path(), QStringLiteral("Hilltop"), "COM1", worked, samples), QStringList({base + ".csv", base + "-summary.csv"}));
    EXPECT_EQ(QFile(base + ".csv").size(), SamplesCsv(samples).size());

    QDir(dir.path()).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(base + "-summary.csv")); // a folder where the summary should go
    EXPECT_THROW(SaveCsvReport(dir.path(), QStringLiteral("Hilltop"), "COM1", worked, samples), std::runtime_error);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST(DischargeReport, EndVoltageSettingOverridesTheAbortVoltage)
{
    StatusSnapshot snapshot;
    snapshot.DischargeAbortVolt = 435;
    snapshot.ExtBattStrings = 2;
    snapshot.BattTypeIndex = 1;
    RecorderSettings settings;
    for (const auto& [setting, endVolt] : {std::pair(0.0, 43.5), std::pair(46.0, 46.0)}) {
        settings.EndVolt = setting;
        const CapacityBasis basis = CapacityBasisFor(settings, snapshot);
        EXPECT_EQ(basis.EndVolt, endVolt);
        EXPECT_EQ(basis.Strings, 2);
        EXPECT_FALSE(basis.FirstType);
    }
}

} // namespace
