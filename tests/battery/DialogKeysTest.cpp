// Enter and Escape in every battery dialog, typed into the box the operator
// works in. Enter presses no button: what was typed stays, nothing is sent
// and no dialog opens. Escape closes the dialog as its title bar does.

#include "BattFixture.h"
#include "battery/DatePicker.h"
#include "battery/SpinEdit.h"
#include "battery/TfrmDataSetCheck.h"
#include "battery/TfrmSetDate.h"
#include "battery/TfrmSetDisch.h"
#include "battery/TfrmSetTime.h"

#include <QApplication>
#include <QCheckBox>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace zelt;
using namespace zelt::test;

namespace {

class DialogKeys : public BattFixture {};

TEST_F(DialogKeys, EnterKeepsWhatWasTypedAndEscapeCloses)
{
    Apply("2014123111100085" "11");
    scheduler.Release();
    TfrmSetDisch charge(scheduler, monitor.Snapshot());
    TfrmSetTime clock(scheduler);
    TfrmSetDate date(window, window.frmDataSetCheck(), scheduler, testAlertShown);
    TfrmDataSetCheck& check = window.frmDataSetCheck();
    window.TestDates = {"", "2015-12-30", "2016-12-30", ""};
    auto kind = [this] { return " kind " + std::to_string(scheduler.RequestKind); };
    const TfrmSetDate* firstDateDialog = window.frmSetDate();

    struct Case {
        const char* what;
        QDialog* dialog;
        QWidget* box;
        std::function<void()> type;
        std::function<std::string()> state;
        std::string afterEscape;
    };
    const Case cases[] = {
        {"battery window", &window, window.edtDTCapa, [&] { window.edtDTCapa->setText(QStringLiteral("80")); },
         [&] {
             return Text(window.edtDTCapa) + " " + Text(window.pnlRateCapa)
                  + (window.frmSetDate() == firstDateDialog ? "" : " date dialog") + kind();
         },
         "80 98 kind 0"},
        {"initial charge", &charge, charge.cb24h, [&] { charge.cb24h->click(); },
         [&] { return std::to_string(charge.cb24h->isChecked()) + kind(); }, "1 kind 0"},
        {"clock", &clock, clock.date->spinedtYear, [&] { clock.date->spinedtYear->setValue(2019); },
         [&] { return clock.date->spinedtYear->text().toStdString() + kind(); }, "2019 kind 0"},
        {"test date", &date, date.date->spinedtYear, [&] { date.date->spinedtYear->setValue(2019); },
         [&] { return date.date->spinedtYear->text().toStdString() + " " + Text(window.pnlLastDate) + kind(); },
         "2019 2014/12/31 kind 0"},
        {"confirmation", &check, check.lbMessage, [] {},
         [&] { return Text(window.pnlLastDate) + " " + Text(window.pnlNextDate) + kind(); },
         "2014/12/31 2015-12-31 kind 0"},
    };
    for (const Case& c : cases) {
        if (c.dialog == &clock)
            scheduler.Pause();
        c.dialog->show();
        c.type();
        const std::string typed = c.state();
        // A dialog that Enter might open is closed at once.
        QTimer::singleShot(0, c.dialog, [] {
            if (QWidget* opened = QApplication::activeModalWidget())
                opened->close();
        });
        QTest::keyClick(c.box, Qt::Key_Return);
        EXPECT_TRUE(c.dialog->isVisible()) << c.what;
        EXPECT_EQ(c.state(), typed) << c.what;

        QTest::keyClick(c.box, Qt::Key_Escape);
        EXPECT_FALSE(c.dialog->isVisible()) << c.what;
        EXPECT_EQ(c.state(), c.afterEscape) << c.what;
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
}

} // namespace
