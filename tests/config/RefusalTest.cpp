// Values the controller could not read at their fixed widths are refused when
// their row is ticked: one message naming the row, nothing queued, every
// control left as it was. An unticked row never blocks: it carries what the
// controller reported, or the dialog's value, or zeros.

#include "DialogFixture.h"
#include "config/TForm1.h"
#include "config/TfrmADSetting.h"
#include "config/TfrmAlarm.h"
#include "config/TfrmSetting.h"

#include <QLineEdit>

#include <memory>

namespace zelt::test {
namespace {

enum class Opened { SystemNoStatus, SystemDefaults, SystemOddReport, AlarmOnARecord, AlarmDefaults, NetworkNoStatus,
                    NetworkOnARecord, NetworkDefaults, Measure };

struct RefusalCase {
    const char* what;
    Opened opened;
    const char* control; // a list or edit whose text is replaced, or nullptr
    const char* text;
    const char* button;
    const char* caption;
};

// Every list and edit text of the dialog.
QStringList Texts(const QDialog& dialog)
{
    QStringList texts;
    for (const QComboBox* list : dialog.findChildren<QComboBox*>())
        texts << list->currentText();
    for (const QLineEdit* edit : dialog.findChildren<QLineEdit*>())
        texts << edit->displayText();
    return texts;
}

class Opening : public DialogTest {
protected:
    std::unique_ptr<QDialog> Open(Opened opened)
    {
        switch (opened) {
        case Opened::SystemNoStatus:
            return std::make_unique<TfrmSetting>(scheduler, Snap());
        case Opened::SystemDefaults:
            return WithDefaults(std::make_unique<TfrmSetting>(scheduler, Snap()));
        case Opened::SystemOddReport: {
            RRecord r; // values the hidden lists do not hold
            r.acFailMode = "7";
            r.dischargeAlarm = "395";
            r.dischargeAbort = "505";
            R(r);
            return std::make_unique<TfrmSetting>(scheduler, Snap());
        }
        case Opened::AlarmOnARecord:
            R(RRecord{}); // its shut-down level 58.0 V lies outside the list (59.0 to 60.0)
            return std::make_unique<TfrmAlarm>(scheduler, Snap());
        case Opened::AlarmDefaults:
            return WithDefaults(std::make_unique<TfrmAlarm>(scheduler, Snap()));
        case Opened::NetworkNoStatus:
            return std::make_unique<TForm1>(scheduler, monitor.Area());
        case Opened::NetworkOnARecord:
            R(RRecord{});
            return std::make_unique<TForm1>(scheduler, monitor.Area());
        case Opened::NetworkDefaults:
            return WithDefaults(std::make_unique<TForm1>(scheduler, monitor.Area()));
        case Opened::Measure:
            scheduler.Pause();
            return std::make_unique<TfrmADSetting>(scheduler);
        }
        return nullptr;
    }
    static std::unique_ptr<QDialog> WithDefaults(std::unique_ptr<QDialog> dialog)
    {
        Click(*dialog, "BitBtn3");
        return dialog;
    }

    // Puts text into the named list's edit or line edit, as typed.
    static void Type(QDialog& dialog, const char* control, const char* text)
    {
        const QString typed = QString::fromLatin1(text);
        if (auto* list = dialog.findChild<QComboBox*>(QString::fromLatin1(control)))
            list->setEditText(typed);
        else
            Find<QLineEdit>(dialog, control).setText(typed);
    }
};

class Refusal : public Opening, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusal, NothingQueuedAndEveryControlAsItWas)
{
    const RefusalCase& c = GetParam();
    std::unique_ptr<QDialog> dialog = Open(c.opened);
    if (c.control != nullptr)
        Type(*dialog, c.control, c.text);
    for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
        box->setChecked(true);
    const RequestScheduler before = scheduler;
    const QStringList texts = Texts(*dialog);

    Click(*dialog, c.button);

    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QString::fromLatin1(c.caption) + QLatin1Char(':'))) << errors[0].toStdString();
    EXPECT_EQ(scheduler.RequestKind, before.RequestKind);
    EXPECT_TRUE(scheduler.SettingPayload.empty());
    EXPECT_TRUE(scheduler.ControlPayload.empty());
    for (const QCheckBox* box : dialog->findChildren<QCheckBox*>())
        EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_EQ(Texts(*dialog), texts);
}

const RefusalCase Cases[] = {
    {"NoStatusYet", Opened::SystemNoStatus, nullptr, nullptr, "btnSetting", "FL Volt"},
    {"ValueOutsideTheList", Opened::AlarmOnARecord, nullptr, nullptr, "btnSetting", "DC OV ShutDown"},
    {"TextTypedIntoAPositionList", Opened::SystemDefaults, "cbLVD_V", "41.3", "btnSetting", "Open Volt"},
    {"NumberWiderThanItsField", Opened::SystemDefaults, "cbLVD_Time", "1000", "btnSetting", "Delay Time"},
    {"NegativeNumber", Opened::SystemDefaults, "cbCHLimit", "-4", "btnSetting", "Charge Limit"},
    {"OctetAbove255", Opened::NetworkDefaults, "edtGW3", "256", "btnSetting", "Gateway"},
    {"MacNotTwoHexDigits", Opened::NetworkDefaults, "edtMAC2", "G0", "btnSetting", "Mac Address"},
    {"LowTempTypedText", Opened::AlarmDefaults, "cbbBLT2", "-7", "btnSetting", "Batt.2 Low Temp"},
    {"MeasureValueOfTenThousand", Opened::Measure, "MskDC_LV", "99.99", "btnSet", "DC Volt"},
};

INSTANTIATE_TEST_SUITE_P(Config, Refusal, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.what); });

struct UntickedCase {
    const char* what;
    Opened opened;
    const char* control; // a list or edit whose text is replaced, or nullptr
    const char* text;
    const char* applied; // the one box ticked
    const char* button;
    const char* payload;
};

class Unticked : public Opening, public ::testing::WithParamInterface<UntickedCase> {};

TEST_P(Unticked, RowsNotAppliedNeverBlock)
{
    const UntickedCase& c = GetParam();
    std::unique_ptr<QDialog> dialog = Open(c.opened);
    if (c.control != nullptr)
        Type(*dialog, c.control, c.text);
    Find<QCheckBox>(*dialog, c.applied).setChecked(true);
    Click(*dialog, c.button);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
    EXPECT_EQ(scheduler.SettingPayload + scheduler.ControlPayload, c.payload);
}

const UntickedCase UntickedCases[] = {
    // Reported AC-fail flag 7, discharge alarm 39.5 V and abort 50.5 V are carried as reported.
    {"OddReportedValues", Opened::SystemOddReport, nullptr, nullptr, "cbLVD_T", "btnSetting",
     "535" "565" "012" "0" "0" "2" "000" "000" "000" "000" "430" "005" "000" "000" "7" "000" "030" "395" "505" "00020"},
    // Before any status the dialog's values go, zeros where it has none to send.
    {"NoStatusYet", Opened::SystemNoStatus, "cbFLV", "54.0", "cbFL", "btnSetting",
     "540" "565" "000" "1" "0" "1" "000" "000" "000" "000" "000" "000" "000" "000" "0" "000" "000" "000" "000" "10000"},
    {"ReportedValueOutsideTheList", Opened::AlarmOnARecord, nullptr, nullptr, "cbBLT", "btnSetting",
     "570" "470" "460" "580" "050" "025" "0" "0" "0" "0" "2" "045" "020"},
    {"MalformedMacNotApplied", Opened::NetworkOnARecord, "edtMAC2", "G0", "cbIP", "btnSetting",
     "0011223344AA" "C0A80164" "C0A80101" "FFFFFF00" "0A000001" "1" "0A000002" "0" "0A00000A" "1" "0" "0A00000B" "0"
     "0" "0A00000C" "1" "0" "0A00000D" "0" "0" "200000" "6" "7" "public" "private"},
    {"EmptyEditsNotApplied", Opened::NetworkNoStatus, nullptr, nullptr, "cbTCPIP1En", "btnSetting",
     "000000000000" "00000000" "00000000" "00000000" "00000000" "0" "00000000" "0" "00000000" "0" "0" "00000000" "0"
     "0" "00000000" "0" "0" "00000000" "0" "0" "020000" "0" "0"},
    {"IncompleteMeasureValue", Opened::Measure, "mskCELL1", "2", "cbDCV_SET_EN", "btnSet",
     "0001" "0001" "0001" "0001" "0000" "2701" "1" "0"},
};

INSTANTIATE_TEST_SUITE_P(Config, Unticked, ::testing::ValuesIn(UntickedCases),
                         [](const auto& info) { return std::string(info.param.what); });

} // namespace
} // namespace zelt::test
