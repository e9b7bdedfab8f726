// Values the controller could not read at their fixed widths are refused:
// one message naming the row, nothing queued, every control left as it was.

#include "DialogFixture.h"
#include "config/TForm1.h"
#include "config/TfrmADSetting.h"
#include "config/TfrmAlarm.h"
#include "config/TfrmSetting.h"

#include <QLineEdit>

#include <functional>
#include <memory>

namespace zelt::test {
namespace {

struct RefusalCase {
    const char* what;
    std::function<std::unique_ptr<QDialog>(DialogTest&)> open;
    std::function<void(QDialog&)> spoil;
    const char* button;
    const char* caption;
};

void SetListText(QDialog& dialog, const char* list, const char* text)
{
    Find<QComboBox>(dialog, list).setEditText(QString::fromLatin1(text));
}

void SetEditText(QDialog& dialog, const char* edit, const char* text)
{
    Find<QLineEdit>(dialog, edit).setText(QString::fromLatin1(text));
}

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
public:
    std::unique_ptr<QDialog> System(bool defaults)
    {
        auto dialog = std::make_unique<TfrmSetting>(scheduler, Snap());
        if (defaults)
            Click(*dialog, "BitBtn3");
        return dialog;
    }
    std::unique_ptr<QDialog> Alarm()
    {
        R(RRecord{}); // its shut-down level 58.0 V lies outside the list (59.0 to 60.0)
        return std::make_unique<TfrmAlarm>(scheduler, Snap());
    }
    std::unique_ptr<QDialog> Network()
    {
        auto dialog = std::make_unique<TForm1>(scheduler, monitor.Area());
        Click(*dialog, "BitBtn3");
        return dialog;
    }
    std::unique_ptr<QDialog> Measure()
    {
        scheduler.Pause();
        return std::make_unique<TfrmADSetting>(scheduler);
    }
};

TEST_P(Refusal, NothingQueuedAndEveryControlAsItWas)
{
    const RefusalCase& c = GetParam();
    std::unique_ptr<QDialog> dialog = c.open(*this);
    c.spoil(*dialog);
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
    {"NoStatusYet", [](DialogTest& t) { return static_cast<Refusal&>(t).System(false); }, [](QDialog&) {},
     "btnSetting", "FL Volt"},
    {"ValueOutsideTheList", [](DialogTest& t) { return static_cast<Refusal&>(t).Alarm(); }, [](QDialog&) {},
     "btnSetting", "DC OV ShutDown"},
    {"TextTypedIntoAPositionList", [](DialogTest& t) { return static_cast<Refusal&>(t).System(true); },
     [](QDialog& d) { SetListText(d, "cbLVD_V", "41.3"); }, "btnSetting", "Open Volt"},
    {"NumberWiderThanItsField", [](DialogTest& t) { return static_cast<Refusal&>(t).System(true); },
     [](QDialog& d) { SetListText(d, "cbLVD_Time", "1000"); }, "btnSetting", "Delay Time"},
    {"NegativeNumber", [](DialogTest& t) { return static_cast<Refusal&>(t).System(true); },
     [](QDialog& d) { SetListText(d, "cbCHLimit", "-4"); }, "btnSetting", "Charge Limit"},
    {"OctetAbove255", [](DialogTest& t) { return static_cast<Refusal&>(t).Network(); },
     [](QDialog& d) { SetEditText(d, "edtGW3", "256"); }, "btnSetting", "Gateway"},
    {"MacNotTwoHexDigits", [](DialogTest& t) { return static_cast<Refusal&>(t).Network(); },
     [](QDialog& d) { SetEditText(d, "edtMAC2", "G0"); }, "btnSetting", "Mac Address"},
    {"MeasureValueOfTenThousand", [](DialogTest& t) { return static_cast<Refusal&>(t).Measure(); },
     [](QDialog& d) { SetEditText(d, "MskDC_LV", "99.99"); }, "btnSet", "DC Volt"},
};

INSTANTIATE_TEST_SUITE_P(Config, Refusal, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.what); });

} // namespace
} // namespace zelt::test
