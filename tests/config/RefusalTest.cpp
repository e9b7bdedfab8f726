// Values the controller could not read at their fixed widths are refused:
// one message naming the row, nothing queued, every control left as it was.

#include "DialogFixture.h"
#include "config/TForm1.h"
#include "config/TfrmADSetting.h"
#include "config/TfrmAlarm.h"
#include "config/TfrmSetting.h"

#include <QLineEdit>

#include <memory>

namespace zelt::test {
namespace {

enum class Opened { SystemNoStatus, SystemDefaults, AlarmOnARecord, NetworkDefaults, Measure };

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

class Refusal : public DialogTest, public ::testing::WithParamInterface<RefusalCase> {
protected:
    std::unique_ptr<QDialog> Open(Opened opened)
    {
        switch (opened) {
        case Opened::SystemNoStatus:
            return std::make_unique<TfrmSetting>(scheduler, Snap());
        case Opened::SystemDefaults:
            return WithDefaults(std::make_unique<TfrmSetting>(scheduler, Snap()));
        case Opened::AlarmOnARecord:
            R(RRecord{}); // its shut-down level 58.0 V lies outside the list (59.0 to 60.0)
            return std::make_unique<TfrmAlarm>(scheduler, Snap());
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
};

TEST_P(Refusal, NothingQueuedAndEveryControlAsItWas)
{
    const RefusalCase& c = GetParam();
    std::unique_ptr<QDialog> dialog = Open(c.opened);
    if (c.control != nullptr) {
        const QString text = QString::fromLatin1(c.text);
        if (auto* list = dialog->findChild<QComboBox*>(QString::fromLatin1(c.control)))
            list->setEditText(text);
        else
            Find<QLineEdit>(*dialog, c.control).setText(text);
    }
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
    {"MeasureValueOfTenThousand", Opened::Measure, "MskDC_LV", "99.99", "btnSet", "DC Volt"},
};

INSTANTIATE_TEST_SUITE_P(Config, Refusal, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.what); });

} // namespace
} // namespace zelt::test
