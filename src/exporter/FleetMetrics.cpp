#include "exporter/FleetMetrics.h"

#include <QString>

#include <array>
#include <functional>
#include <utility>

namespace zelt {

namespace {

using prometheus::ClientMetric;
using prometheus::MetricFamily;
using prometheus::MetricType;

double Tenths(std::int32_t value)
{
    return value / 10.0;
}

// One family: its series are added plant by plant.
class Family {
public:
    Family(const char* name, const char* help, MetricType type = MetricType::Gauge)
    {
        family_.name = name;
        family_.help = help;
        family_.type = type;
    }

    void Add(const PlantLabels& plant, double value, std::initializer_list<ClientMetric::Label> own = {})
    {
        ClientMetric metric;
        metric.label = plant;
        metric.label.insert(metric.label.end(), own);
        if (family_.type == MetricType::Counter)
            metric.counter.value = value;
        else
            metric.gauge.value = value;
        family_.metric.push_back(std::move(metric));
    }

    MetricFamily& Get() { return family_; }

private:
    MetricFamily family_;
};

// A unit lamp: one of the eight prefixes of a unit's own lamps, or UF (the
// controller's fail lamp of the unit), and the unit number 1 to 4.
bool SplitUnitLamp(const std::string& lamp, std::string& prefix, std::string& unit)
{
    static const std::array<const char*, 9> prefixes{"UV", "FF", "OT", "OV", "OC", "AF", "SD", "DR", "UF"};
    if (lamp.size() != 3 || lamp[2] < '1' || lamp[2] > '4')
        return false;
    for (const char* p : prefixes) {
        if (lamp.compare(0, 2, p) == 0) {
            prefix = p;
            unit = lamp.substr(2);
            return true;
        }
    }
    return false;
}

std::optional<double> UnitTemperature(const std::string& text)
{
    bool ok = false;
    const double degrees = QString::fromStdString(text).trimmed().toDouble(&ok);
    return ok ? std::optional<double>(degrees) : std::nullopt;
}

// While the records of a kind keep coming.
bool Fresh(const std::optional<PlantSample::TimePoint>& at, PlantSample::TimePoint now)
{
    return at && now - *at <= PlantUpWindow;
}

} // namespace

std::vector<MetricFamily> FleetFamilies(const std::vector<PlantLabels>& plants, const std::vector<PlantSample>& samples,
                                        std::chrono::steady_clock::time_point now)
{
    Family dcVolts("zelt_dc_output_volts", "DC output voltage of the plant.");
    Family loadCurrent("zelt_load_current_amperes", "Load current.");
    Family battCurrent("zelt_battery_current_amperes", "Battery current, negative while the battery discharges.");
    Family battTemp("zelt_battery_temperature_celsius", "Battery 1 temperature, while its sensor is fitted.");
    Family rackTemp("zelt_rack_temperature_celsius", "Rack (battery 2) temperature.");
    Family blockVolts("zelt_battery_block_volts", "Battery block voltage: 1 and 2 battery 1 left and right, 3 and 4 battery 2.");
    Family unitVolts("zelt_rectifier_output_volts", "Rectifier output voltage.");
    Family unitCurrent("zelt_rectifier_output_current_amperes", "Rectifier output current.");
    Family unitTemp("zelt_rectifier_temperature_celsius", "Rectifier temperature.");
    Family unitAc("zelt_rectifier_ac_input_volts", "Rectifier AC input voltage.");
    Family unitPresent("zelt_rectifier_present", "1 while the rectifier is present and its AC group is in.");
    Family alarm("zelt_alarm", "1 while the plant's alarm lamp is red, 0 while green; no series while it does not apply.");
    Family unitAlarm("zelt_rectifier_alarm",
                     "1 while the rectifier's alarm lamp is red, 0 while green; no series while it does not apply.");
    Family settingVolts("zelt_setting_volts", "Voltage setting held by the controller.");
    Family settingAmps("zelt_setting_amperes", "Current setting held by the controller.");
    Family chargeMode("zelt_charge_mode", "Charge mode code as the controller sends it.");
    Family testActive("zelt_discharge_test_active", "1 while the battery discharge test or the manual test is on.");
    Family verdict("zelt_battery_verdict", "Battery verdict: 1 good, 2 degraded, 3 low, 0 none.");
    Family nextTest("zelt_battery_next_test_timestamp_seconds", "Next battery test date, Unix time.");
    Family up("zelt_plant_up",
              "1 while a status record arrived within the last 10 seconds; the plant's readings are served only then.");
    Family lastRecord("zelt_last_record_timestamp_seconds", "Time of the last status record, Unix time.");
    Family frames("zelt_frames_received_total", "Frames received with a good checksum.", MetricType::Counter);
    Family badFrames("zelt_frames_bad_checksum_total", "Frames dropped for a bad checksum.", MetricType::Counter);
    Family reopens("zelt_line_reopens_total", "Attempts to open the line again after it dropped or failed.",
                   MetricType::Counter);
    Family buildInfo("zelt_exporter_build_info", "Always 1; the exporter's version in its label.");
    buildInfo.Add({}, 1, {{"version", ZELT_VERSION}});

    for (std::size_t i = 0; i < plants.size() && i < samples.size(); ++i) {
        const PlantLabels& p = plants[i];
        const PlantSample& sample = samples[i];
        const StatusSnapshot& s = sample.snapshot;

        const bool plantUp = Fresh(sample.lastRecord, now);
        up.Add(p, plantUp ? 1 : 0);
        if (sample.lastRecord)
            lastRecord.Add(p, sample.lastRecordSeconds);
        frames.Add(p, static_cast<double>(sample.framesReceived));
        badFrames.Add(p, static_cast<double>(sample.badChecksums));
        reopens.Add(p, static_cast<double>(sample.reopens));
        // A plant that has gone silent serves no readings: its last ones
        // would pass for current.
        if (!plantUp)
            continue;

        const bool rectifierFresh = Fresh(sample.rectifierAt, now);
        const bool alarmsFresh = Fresh(sample.alarmsAt, now);
        if (rectifierFresh) {
            dcVolts.Add(p, Tenths(s.DcVolt));
            loadCurrent.Add(p, s.LoadCurrent);
            battCurrent.Add(p, SignedBattCurrent(s));
            rackTemp.Add(p, Tenths(s.RackTemp));
            for (std::size_t b = 0; b < s.BlockVolt.size(); ++b)
                blockVolts.Add(p, Tenths(s.BlockVolt[b]), {{"block", std::to_string(b + 1)}});
            const std::pair<const char*, std::int32_t> volts[] = {
                {"float", s.FloatVolt},
                {"equalize", s.EqualizeVolt},
                {"dc_high_alarm", s.DcHighAlarmVolt},
                {"dc_low_alarm", s.DcLowAlarmVolt},
                {"battery_low_alarm", s.BattLowAlarmVolt},
                {"overvoltage_shutdown", s.OvShutdownVolt},
                {"lvd_open", s.LvdOpenVolt},
                {"ac_fail_drop", s.AcFailDropVolt},
                {"discharge_alarm", s.DischargeAlarmVolt},
                {"discharge_abort", s.DischargeAbortVolt},
            };
            for (const auto& [name, value] : volts)
                settingVolts.Add(p, Tenths(value), {{"setting", name}});
            const std::pair<const char*, std::int32_t> amps[] = {
                {"charge_limit", s.ChargeLimit},
                {"equalize_charge", s.EqChargeCurrent},
                {"equalize_end", s.EqEndCurrent},
            };
            for (const auto& [name, value] : amps)
                settingAmps.Add(p, value, {{"setting", name}});
            chargeMode.Add(p, s.ChargeMode);
            testActive.Add(p, s.DischargeTestOn != 0 || s.ManualTestActive != 0 ? 1 : 0);
            verdict.Add(p, sample.verdict);
            if (sample.nextTestSeconds)
                nextTest.Add(p, static_cast<double>(*sample.nextTestSeconds));
        }
        if (rectifierFresh && alarmsFresh && s.Batt1SensorFitted == 1)
            battTemp.Add(p, Tenths(s.Batt1Temp));
        if (Fresh(sample.unitsAt, now)) {
            for (int n = 1; n <= 4; ++n) {
                const ClientMetric::Label unit{"unit", std::to_string(n)};
                unitVolts.Add(p, Tenths(s.UnitDcVolt[n]), {unit});
                unitCurrent.Add(p, Tenths(s.UnitCurrent[n]), {unit});
                if (const std::optional<double> degrees = UnitTemperature(s.UnitTemp[n]))
                    unitTemp.Add(p, *degrees, {unit});
                unitAc.Add(p, s.UnitAcVolt[n], {unit});
            }
        }
        if (alarmsFresh) {
            for (int n = 1; n <= 4; ++n) {
                const std::uint8_t groupIn = n <= 2 ? s.AcUpperIn : s.AcLowerIn;
                unitPresent.Add(p, s.UnitPresent[n] == 1 && groupIn == 1 ? 1 : 0, {{"unit", std::to_string(n)}});
            }
        }
        for (const auto& [lamp, red] : sample.lamps) {
            std::string prefix;
            std::string unit;
            if (SplitUnitLamp(lamp, prefix, unit)) {
                if (Fresh(prefix == "UF" ? sample.alarmsAt : sample.unitsAt, now))
                    unitAlarm.Add(p, red ? 1 : 0, {{"unit", unit}, {"alarm", prefix}});
            } else if (alarmsFresh) {
                alarm.Add(p, red ? 1 : 0, {{"alarm", lamp}});
            }
        }
    }

    std::vector<MetricFamily> families;
    for (Family* f : {&dcVolts, &loadCurrent, &battCurrent, &battTemp, &rackTemp, &blockVolts, &unitVolts,
                      &unitCurrent, &unitTemp, &unitAc, &unitPresent, &alarm, &unitAlarm, &settingVolts,
                      &settingAmps, &chargeMode, &testActive, &verdict, &nextTest, &up, &lastRecord, &frames,
                      &badFrames, &reopens, &buildInfo}) {
        if (!f->Get().metric.empty())
            families.push_back(std::move(f->Get()));
    }
    return families;
}

} // namespace zelt
