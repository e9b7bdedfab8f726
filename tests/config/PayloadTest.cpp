// Every payload the settings dialogs compose, one table each, driven through
// the dialogs' widgets: each apply box and each flag on its own, the payload
// in full. The controller reported values other than the dialog's (its
// "Default"), so a row shows which field the box applies: unticked rows carry
// the reported values.

#include "DialogFixture.h"
#include "config/AlarmSettingsPayload.h"
#include "config/TForm1.h"
#include "config/TfrmADSetting.h"
#include "config/TfrmAlarm.h"
#include "config/TfrmSetting.h"

#include <QLineEdit>

#include <vector>

namespace zelt::test {
namespace {

struct PayloadCase {
    const char* what;
    std::vector<std::string> actions; // see Act
    const char* payload;
};

std::string Name(const ::testing::TestParamInfo<PayloadCase>& info)
{
    return info.param.what;
}

class PayloadTable : public DialogTest, public ::testing::WithParamInterface<PayloadCase> {
protected:
    void Run(QDialog& dialog, const char* button = "btnSetting")
    {
        for (const std::string& action : GetParam().actions)
            Act(dialog, action);
        Click(dialog, button);
        EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
        // Each dialog writes one of the two payload texts; the other stays empty.
        EXPECT_EQ(scheduler.SettingPayload + scheduler.ControlPayload, GetParam().payload);
    }
};

// 'O': reported float 53.5 V, limit 12 A, boost mode, boost entry 20 %, LVD
// 43.0 V after 7 s, AC-fail mode off, discharge 30 min at 47.0 / 45.0 V.
using SystemPayload = PayloadTable;

TEST_P(SystemPayload, OneBoxAtATime)
{
    RRecord r;
    r.chargeMode = "2";
    r.lvdDelay = "07";
    r.acFailMode = "0";
    R(r);
    TfrmSetting dialog(scheduler, Snap());
    Click(dialog, "BitBtn3");
    Run(dialog);
}

const PayloadCase SystemCases[] = {
    {"none", {}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "450" "00000"},
    {"cbFL", {"cbFL"}, "540" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "450" "10000"},
    {"cbEQ", {"cbEQ"}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "450" "20000"},
    {"cbCH_Limit", {"cbCH_Limit"}, "535" "565" "032" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "450" "40000"},
    {"cbCH_LimitOff", {"rgCH_Limit=0", "cbCH_Limit"}, "535" "565" "000" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "450" "40000"},
    {"cbCH_Mode", {"cbCH_Mode"}, "535" "565" "012" "0" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "450" "80000"},
    {"cbBoost_En", {"cbBoost_En"}, "535" "565" "012" "1" "0" "1" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "450" "02000"},
    {"cbEQ_A", {"cbEQ_A"}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "450" "04000"},
    {"cbEQ_End_A", {"cbEQ_End_A"}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "450" "08000"},
    {"cbEQ_Day", {"cbEQ_Day"}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "450" "00200"},
    {"cbAF", {"cbAF"}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "1" "000" "030" "470" "450" "00400"},
    {"cbEQT", {"cbEQT"}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "450" "00800"},
    {"cbLVD", {"cbLVD"}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "420" "007" "000" "000" "0" "000" "030" "470" "450" "00010"},
    {"cbLVD_T", {"cbLVD_T"}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "005" "000" "000" "0" "000" "030" "470" "450" "00020"},
    {"cbAFD_V", {"cbAFD_V"}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "450" "00040"},
    {"cbAFD_T", {"cbAFD_T"}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "450" "00080"},
    {"cbDCHT", {"cbDCHT"}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "060" "470" "450" "00001"},
    {"cbDCHARM", {"cbDCHARM"}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "440" "450" "00002"},
    {"cbDCHABT", {"cbDCHABT"}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "440" "00004"},
    {"cbTemp", {"cbTemp"}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "450" "00000"},
    {"cbDCH", {"cbDCH"}, "535" "565" "012" "1" "0" "2" "000" "000" "000" "000" "430" "007" "000" "000" "0" "000" "030" "470" "450" "00000"},
};
INSTANTIATE_TEST_SUITE_P(Config, SystemPayload, ::testing::ValuesIn(SystemCases), Name);

// 'N': reported thresholds 57.0, 47.0, 46.0 V and a shut-down level of 58.0 V
// that lies outside its list; battery 1 at 40 C and code 25, battery 2 at
// 45 C and code 20. "Default" puts every radio group on "OFF" or "OUT".
using AlarmPayload = PayloadTable;

TEST_P(AlarmPayload, OneBoxOrGroupAtATime)
{
    RRecord r;
    r.batt1High = "40";
    R(r);
    TfrmAlarm dialog(scheduler, Snap());
    Click(dialog, "BitBtn3");
    Run(dialog);
}

const PayloadCase AlarmCases[] = {
    {"none", {}, "570" "470" "460" "580" "040" "025" "0" "0" "0" "0" "0" "045" "020"},
    {"cbDCOV", {"cbDCOV"}, "580" "470" "460" "580" "040" "025" "1" "0" "0" "0" "0" "045" "020"},
    {"cbDCLV", {"cbDCLV"}, "570" "480" "460" "580" "040" "025" "2" "0" "0" "0" "0" "045" "020"},
    {"cbBAT_LV", {"cbBAT_LV"}, "570" "470" "440" "580" "040" "025" "4" "0" "0" "0" "0" "045" "020"},
    {"cbDCOV_SD", {"cbDCOV_SD"}, "570" "470" "460" "600" "040" "025" "8" "0" "0" "0" "0" "045" "020"},
    {"cbBHT", {"cbBHT"}, "570" "470" "460" "580" "050" "025" "0" "0" "0" "0" "1" "045" "020"},
    {"cbBLT", {"cbBLT"}, "570" "470" "460" "580" "040" "000" "0" "0" "0" "0" "2" "045" "020"},
    {"cbBHT2", {"cbBHT2"}, "570" "470" "460" "580" "040" "025" "0" "0" "0" "0" "4" "050" "020"},
    {"cbBLT2", {"cbBLT2"}, "570" "470" "460" "580" "040" "025" "0" "0" "0" "0" "8" "045" "000"},
    {"rgBR1", {"rgBR1=0"}, "570" "470" "460" "580" "040" "025" "0" "1" "0" "0" "0" "045" "020"},
    {"rgBF1", {"rgBF1=0"}, "570" "470" "460" "580" "040" "025" "0" "2" "0" "0" "0" "045" "020"},
    {"rgBR2", {"rgBR2=0"}, "570" "470" "460" "580" "040" "025" "0" "4" "0" "0" "0" "045" "020"},
    {"rgBF2", {"rgBF2=0"}, "570" "470" "460" "580" "040" "025" "0" "8" "0" "0" "0" "045" "020"},
    {"rgBPB", {"rgBPB=0"}, "570" "470" "460" "580" "040" "025" "0" "0" "1" "0" "0" "045" "020"},
    {"rgAC1", {"rgAC1=0"}, "570" "470" "460" "580" "040" "025" "0" "0" "4" "0" "0" "045" "020"},
    {"rgAC2", {"rgAC2=0"}, "570" "470" "460" "580" "040" "025" "0" "0" "8" "0" "0" "045" "020"},
    {"rgRM1", {"rgAC1=0", "rgRM1=0"}, "570" "470" "460" "580" "040" "025" "0" "0" "4" "1" "0" "045" "020"},
    {"rgRM2", {"rgAC1=0", "rgRM2=0"}, "570" "470" "460" "580" "040" "025" "0" "0" "4" "2" "0" "045" "020"},
    {"rgRM3", {"rgAC2=0", "rgRM3=0"}, "570" "470" "460" "580" "040" "025" "0" "0" "8" "4" "0" "045" "020"},
    {"rgRM4", {"rgAC2=0", "rgRM4=0"}, "570" "470" "460" "580" "040" "025" "0" "0" "8" "8" "0" "045" "020"},
    // The shelf rule: modules behind an AC input that goes out go out too and cannot be switched back in.
    {"rgRM1BehindAC1Out", {"rgAC1=0", "rgRM1=0", "rgAC1=1"}, "570" "470" "460" "580" "040" "025" "0" "0" "0" "0" "0" "045" "020"},
    {"rgRM4BehindAC2Out", {"rgAC2=0", "rgAC2=1", "rgRM4=0"}, "570" "470" "460" "580" "040" "025" "0" "0" "0" "0" "0" "045" "020"},
    {"rgRM2BackIn", {"rgAC1=0", "rgAC1=1", "rgAC1=0", "rgRM2=0"}, "570" "470" "460" "580" "040" "025" "0" "0" "4" "2" "0" "045" "020"},
};
INSTANTIATE_TEST_SUITE_P(Config, AlarmPayload, ::testing::ValuesIn(AlarmCases), Name);

// 'J': the controller reported other addresses, switches and communities
// than the factory settings that "Default" writes into the dialog.
using NetworkPayload = PayloadTable;

TEST_P(NetworkPayload, OneBoxAtATime)
{
    RRecord r;
    r.ip = "C0A80132";
    r.gateway = "C0A801FE";
    r.mask = "FFFF0000";
    r.server1On = "0";
    r.server2On = "1";
    r.managerOn = {"0", "1", "0", "1"};
    r.readCommunity = "pub";
    r.writeCommunity = "priv";
    R(r);
    TForm1 dialog(scheduler, monitor.Area());
    Click(dialog, "BitBtn3");
    Run(dialog);
}

const PayloadCase NetworkCases[] = {
    {"none", {}, "0011223344AA" "C0A80132" "C0A801FE" "FFFF0000" "0A000001" "0" "0A000002" "1" "0A00000A" "0" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "000000" "3" "4" "pub" "priv"},
    {"cbMAC", {"cbMAC"}, "020000006380" "C0A80132" "C0A801FE" "FFFF0000" "0A000001" "0" "0A000002" "1" "0A00000A" "0" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "100000" "3" "4" "pub" "priv"},
    {"cbIP", {"cbIP"}, "0011223344AA" "C0A80164" "C0A801FE" "FFFF0000" "0A000001" "0" "0A000002" "1" "0A00000A" "0" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "200000" "3" "4" "pub" "priv"},
    {"cbGW", {"cbGW"}, "0011223344AA" "C0A80132" "C0A80101" "FFFF0000" "0A000001" "0" "0A000002" "1" "0A00000A" "0" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "400000" "3" "4" "pub" "priv"},
    {"cbSM", {"cbSM"}, "0011223344AA" "C0A80132" "C0A801FE" "FFFFFF00" "0A000001" "0" "0A000002" "1" "0A00000A" "0" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "800000" "3" "4" "pub" "priv"},
    {"cbTCPIP1", {"cbTCPIP1"}, "0011223344AA" "C0A80132" "C0A801FE" "FFFF0000" "C0A80165" "0" "0A000002" "1" "0A00000A" "0" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "010000" "3" "4" "pub" "priv"},
    {"cbTCPIP1En", {"cbTCPIP1En"}, "0011223344AA" "C0A80132" "C0A801FE" "FFFF0000" "0A000001" "1" "0A000002" "1" "0A00000A" "0" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "020000" "3" "4" "pub" "priv"},
    {"cbTCPIP2", {"cbTCPIP2"}, "0011223344AA" "C0A80132" "C0A801FE" "FFFF0000" "0A000001" "0" "C0A80166" "1" "0A00000A" "0" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "040000" "3" "4" "pub" "priv"},
    {"cbTCPIP2En", {"cbTCPIP2En"}, "0011223344AA" "C0A80132" "C0A801FE" "FFFF0000" "0A000001" "0" "0A000002" "0" "0A00000A" "0" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "080000" "3" "4" "pub" "priv"},
    {"cbSNMP1", {"cbSNMP1"}, "0011223344AA" "C0A80132" "C0A801FE" "FFFF0000" "0A000001" "0" "0A000002" "1" "C0A80167" "0" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "001000" "3" "4" "pub" "priv"},
    {"cbSNMP1En", {"cbSNMP1En"}, "0011223344AA" "C0A80132" "C0A801FE" "FFFF0000" "0A000001" "0" "0A000002" "1" "0A00000A" "1" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "002000" "3" "4" "pub" "priv"},
    {"cbSNMP2", {"cbSNMP2"}, "0011223344AA" "C0A80132" "C0A801FE" "FFFF0000" "0A000001" "0" "0A000002" "1" "0A00000A" "0" "0" "C0A80168" "1" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "008000" "3" "4" "pub" "priv"},
    {"cbSNMP2En", {"cbSNMP2En"}, "0011223344AA" "C0A80132" "C0A801FE" "FFFF0000" "0A000001" "0" "0A000002" "1" "0A00000A" "0" "0" "0A00000B" "0" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "000100" "3" "4" "pub" "priv"},
    {"cbSNMP3", {"cbSNMP3"}, "0011223344AA" "C0A80132" "C0A801FE" "FFFF0000" "0A000001" "0" "0A000002" "1" "0A00000A" "0" "0" "0A00000B" "1" "0" "C0A80169" "0" "0" "0A00000D" "1" "0" "000400" "3" "4" "pub" "priv"},
    {"cbSNMP3En", {"cbSNMP3En"}, "0011223344AA" "C0A80132" "C0A801FE" "FFFF0000" "0A000001" "0" "0A000002" "1" "0A00000A" "0" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "000800" "3" "4" "pub" "priv"},
    {"cbSNMP4", {"cbSNMP4"}, "0011223344AA" "C0A80132" "C0A801FE" "FFFF0000" "0A000001" "0" "0A000002" "1" "0A00000A" "0" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "C0A8016A" "1" "0" "000020" "3" "4" "pub" "priv"},
    {"cbSNMP4En", {"cbSNMP4En"}, "0011223344AA" "C0A80132" "C0A801FE" "FFFF0000" "0A000001" "0" "0A000002" "1" "0A00000A" "0" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "0A00000D" "0" "0" "000040" "3" "4" "pub" "priv"},
    {"cbReadComu", {"cbReadComu"}, "0011223344AA" "C0A80132" "C0A801FE" "FFFF0000" "0A000001" "0" "0A000002" "1" "0A00000A" "0" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "000004" "6" "4" "vantor" "priv"},
    {"cbWriteComu", {"cbWriteComu"}, "0011223344AA" "C0A80132" "C0A801FE" "FFFF0000" "0A000001" "0" "0A000002" "1" "0A00000A" "0" "0" "0A00000B" "1" "0" "0A00000C" "0" "0" "0A00000D" "1" "0" "000008" "3" "7" "pub" "quillet"},
};
INSTANTIATE_TEST_SUITE_P(Config, NetworkPayload, ::testing::ValuesIn(NetworkCases), Name);

// 'M': nothing is reported for these rows; six different values, each sent
// one above what was typed.
class MeasurePayload : public PayloadTable {
protected:
    void SetUp() override
    {
        PayloadTable::SetUp();
        scheduler.Pause(); // as the toolbar does before it opens the dialog
    }
};

TEST_P(MeasurePayload, OneBoxAtATime)
{
    TfrmADSetting dialog(scheduler);
    const std::pair<const char*, const char*> typed[] = {{"MskDC_LV", "12.34"}, {"mskDCA", "045.6"},
                                                         {"mskBAP", "078.9"},   {"mskBAN", "100.2"},
                                                         {"mskCELL1", "26.50"}, {"mskCELL2", "27.25"}};
    for (const auto& [edit, text] : typed)
        Find<QLineEdit>(dialog, edit).setText(QString::fromLatin1(text));
    Run(dialog, "btnSet");
}

const PayloadCase MeasureCases[] = {
    {"none", {}, "1235" "0457" "0790" "1003" "2651" "2726" "0" "0"},
    {"cbDCV_SET_EN", {"cbDCV_SET_EN"}, "1235" "0457" "0790" "1003" "2651" "2726" "1" "0"},
    {"cbDCA_SET_EN", {"cbDCA_SET_EN"}, "1235" "0457" "0790" "1003" "2651" "2726" "2" "0"},
    {"cbBTP_SET_EN", {"cbBTP_SET_EN"}, "1235" "0457" "0790" "1003" "2651" "2726" "4" "0"},
    {"cbBTN_SET_EN", {"cbBTN_SET_EN"}, "1235" "0457" "0790" "1003" "2651" "2726" "8" "0"},
    {"cbCell1_Set_En", {"cbCell1_Set_En"}, "1235" "0457" "0790" "1003" "2651" "2726" "0" "1"},
    {"cbCell2_Set_En", {"cbCell2_Set_En"}, "1235" "0457" "0790" "1003" "2651" "2726" "0" "2"},
};
INSTANTIATE_TEST_SUITE_P(Config, MeasurePayload, ::testing::ValuesIn(MeasureCases), Name);

TEST(AlarmSettingsPayload, LowTemperatureCodes)
{
    const std::pair<int, int> cases[] = {{-5, 25}, {-40, 60}, {-10, 30}, {0, 0}, {20, 20}};
    for (const auto& [celsius, code] : cases)
        EXPECT_EQ(LowTempCode(celsius), code) << celsius;
}

} // namespace
} // namespace zelt::test
