#include "BattFixture.h"

#include "battery/DatePicker.h"
#include "battery/SpinEdit.h"
#include "battery/TfrmDataSetCheck.h"
#include "battery/TfrmSetDate.h"
#include "battery/TfrmSetTime.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateTime>
#include <QPushButton>
#include <QTimer>

#include <functional>

using namespace zelt;
using namespace zelt::test;

namespace {

class ClockDialog : public BattFixture {
protected:
    ClockDialog()
    {
        scheduler.Pause();
        dialog.MakeMonthEditable();
        dialog.FillFrom(QDateTime(QDate(2024, 1, 31), QTime(8, 9, 3)));
    }
    void TypeMonth(const char* text) { dialog.date->cbMonth->setEditText(QString::fromLatin1(text)); }
    QDate Calendar() const { return dialog.date->EngCalendar1->selectedDate(); }

    TfrmSetTime dialog{scheduler};
};

TEST_F(ClockDialog, FilledFromTheClockWithAPlainMonth)
{
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("SET DATE/TIME"));
    EXPECT_EQ(dialog.date->spinedtYear->value(), 2024);
    EXPECT_EQ(Text(dialog.date->cbMonth), "1");
    EXPECT_EQ(Items(dialog.date->cbMonth), (std::vector<std::string>{"01", "02", "03", "04", "05", "06", "07", "08",
                                                                      "09", "10", "11", "12"}));
    EXPECT_EQ(Calendar(), QDate(2024, 1, 31));
    EXPECT_EQ(dialog.date->EngCalendar1->firstDayOfWeek(), Qt::Sunday);
    EXPECT_EQ(scheduler.ClockPayload, "");
}

TEST_F(ClockDialog, DayKeptValidAsMonthAndYearChange)
{
    const std::tuple<int, const char*, QDate> cases[] = {
        {2023, "02", QDate(2023, 2, 28)}, {2024, "02", QDate(2024, 2, 29)}, {2100, "02", QDate(2100, 2, 28)},
        {2024, "4", QDate(2024, 4, 30)}};
    for (const auto& [year, month, expected] : cases) {
        dialog.FillFrom(QDateTime(QDate(2024, 1, 31), QTime(0, 0)));
        dialog.date->spinedtYear->setValue(year);
        TypeMonth(month);
        EXPECT_EQ(Calendar(), expected) << year << " " << month;
    }
    dialog.date->spinedtYear->setValue(2023); // the year moves the calendar too
    EXPECT_EQ(Calendar(), QDate(2023, 4, 30));
}

TEST_F(ClockDialog, TypedMonthOutsideTheYearLeavesTheCalendarAndOkRefuses)
{
    TypeMonth("13");
    EXPECT_EQ(Calendar(), QDate(2024, 1, 31));
    EXPECT_TRUE(errors.isEmpty());
    dialog.bbtOK->click();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Month must be 01 to 12")});
    EXPECT_EQ(scheduler.RequestKind, KindQuiet);

    TypeMonth("x");
    EXPECT_EQ(errors, QStringList{QStringLiteral("'x' is not a valid integer value")});
    dialog.bbtOK->click();
    EXPECT_EQ(errors.size(), 2);
    EXPECT_EQ(scheduler.RequestKind, KindQuiet);
}

TEST_F(ClockDialog, EmptyBoxesGetTheirMinimum)
{
    dialog.date->spinedtYear->clear();
    EXPECT_EQ(dialog.date->spinedtYear->text(), QStringLiteral("2001"));
    for (TSpinEdit* box : {dialog.spinedtHour, dialog.spinedtMIn, dialog.spinedtSec}) {
        box->clear();
        box->OnExit();
        EXPECT_EQ(box->text(), QStringLiteral("0")) << box->objectName().toStdString();
    }
}

TEST_F(ClockDialog, CurrentSetTakesThePcClock)
{
    const QDateTime before = QDateTime::currentDateTime();
    dialog.Button1->click();
    EXPECT_EQ(Calendar(), before.date());
    EXPECT_EQ(Text(dialog.date->cbMonth), std::to_string(before.date().month()));
    EXPECT_EQ(dialog.spinedtHour->value(), QDateTime::currentDateTime().time().hour());
}

// Each part changed on its own from 2024-07-05 08:09:03, in the dialog's
// boxes; OK's payload in full.
TEST_F(ClockDialog, OkPayloadPartByPart)
{
    const std::pair<const char*, std::function<void(TfrmSetTime&)>> changes[] = {
        {"20240705080903", [](TfrmSetTime&) {}},
        {"20310705080903", [](TfrmSetTime& d) { d.date->spinedtYear->setValue(2031); }},
        {"20241105080903", [](TfrmSetTime& d) { d.date->cbMonth->setEditText(QStringLiteral("11")); }},
        {"20240728080903", [](TfrmSetTime& d) { d.date->EngCalendar1->setSelectedDate(QDate(2024, 7, 28)); }},
        {"20240705170903", [](TfrmSetTime& d) { d.spinedtHour->setValue(17); }},
        {"20240705084203", [](TfrmSetTime& d) { d.spinedtMIn->setValue(42); }},
        {"20240705080956", [](TfrmSetTime& d) { d.spinedtSec->setValue(56); }},
        {"", [](TfrmSetTime& d) { d.spinedtHour->clear(); }},
    };
    for (const auto& [payload, change] : changes) {
        scheduler.Pause();
        TfrmSetTime fresh(scheduler);
        fresh.MakeMonthEditable();
        fresh.FillFrom(QDateTime(QDate(2024, 7, 5), QTime(8, 9, 3)));
        change(fresh);
        fresh.bbtOK->click();
        EXPECT_EQ(scheduler.ClockPayload, payload);
        EXPECT_EQ(scheduler.RequestKind, KindClock) << payload;
    }
}

TEST_F(ClockDialog, CancelAndTitleBarCloseReleaseTheScheduler)
{
    dialog.show();
    dialog.bbtCancel->click();
    EXPECT_EQ(scheduler.RequestKind, KindIdle);
    EXPECT_EQ(scheduler.SendPermit, 1);

    scheduler.Pause();
    scheduler.SendPermit = 0;
    TfrmSetTime other(scheduler);
    other.show();
    other.close();
    EXPECT_EQ(scheduler.RequestKind, KindIdle);
    EXPECT_EQ(scheduler.SendPermit, 1);
}

class TestDateDialog : public BattFixture {
protected:
    TestDateDialog() { Apply("2014123111100085" "11"); } // next scheduled test 2015-12-31

    // Picks the day in a fresh test date dialog and presses OK; answer clicks
    // "Yes" or "no" in a confirmation, if one comes.
    void PickAndConfirm(const QDate& day, QPushButton* answer = nullptr)
    {
        TfrmSetDate dialog(window, window.frmDataSetCheck(), scheduler, testAlertShown);
        dialog.MakeMonthEditable();
        dialog.FillFrom(day);
        asked = false;
        if (answer != nullptr)
            QTimer::singleShot(0, answer, [this, answer] {
                asked = window.frmDataSetCheck().isVisible();
                answer->click();
            });
        dialog.bbtOK->click();
        QApplication::processEvents();
    }

    bool asked = false;
};

TEST_F(TestDateDialog, OnTheScheduledDateTheWindowChangesAtOnce)
{
    testAlertShown = 1;
    PickAndConfirm(QDate(2015, 12, 31));
    EXPECT_EQ(Text(window.pnlLastDate), "2015-12-31");
    EXPECT_EQ(Text(window.pnlNextDate), "2016-12-31");
    EXPECT_EQ(window.TestDates.ChosenEndDate, "2015-12-31");
    EXPECT_EQ(testAlertShown, 0);
}

// A test date one day before the scheduled test asks first; the question
// names the interval picked in the window, and only "Yes" writes the dates.
TEST_F(TestDateDialog, EarlyDateAsksAndChangesTheWindowOnlyOnYes)
{
    struct Case {
        int interval;
        bool yes;
        const char* months;
        const char* last;
        const char* next;
    };
    const Case cases[] = {
        {0, false, "12", "2014/12/31", "2015-12-31"},
        {0, true, "12", "2015-12-30", "2016-12-30"},
        {1, false, "24", "2014/12/31", "2015-12-31"},
        {1, true, "24", "2015-12-30", "2017-12-30"},
    };
    for (const Case& c : cases) {
        Apply("2014123111100085" "11");
        Pick(window.IntervalBox, c.interval);
        window.BattVerdict = 3;
        window.pnlNextDate->setText(QStringLiteral("2015-12-31"));
        window.pnlNextTestDate->clear();
        TfrmDataSetCheck& check = window.frmDataSetCheck();
        PickAndConfirm(QDate(2015, 12, 30), c.yes ? check.btnSet : check.No);
        EXPECT_TRUE(asked) << c.months;
        const auto* message = check.findChild<QLabel*>(QStringLiteral("lbMessage"));
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->text().toStdString(),
                  std::string("\" Discharge Test Less than ") + c.months + " month -- Are you sure ? \"");
        EXPECT_EQ(Text(window.pnlLastDate), c.last) << c.months << c.yes;
        EXPECT_EQ(Text(window.pnlNextDate), c.next) << c.months << c.yes;
        EXPECT_EQ(Text(window.pnlNextTestDate), c.yes ? "2016-12-30" : "") << c.months << c.yes;
    }
}

// The replacement date moves with the test date for a low verdict only.
TEST_F(TestDateDialog, ReplacementDateOnEachVerdict)
{
    for (int verdict = 0; verdict <= 3; ++verdict) {
        window.BattVerdict = verdict;
        window.pnlNextDate->clear(); // never early
        window.pnlNextTestDate->setText(QStringLiteral("kept"));
        PickAndConfirm(QDate(2016, 2, 29));
        EXPECT_EQ(Text(window.pnlNextTestDate), verdict == 3 ? "2017-02-28" : "kept") << verdict;
        EXPECT_EQ(Text(window.pnlNextDate), "2017-02-28") << verdict;
    }
    Pick(window.IntervalBox, 1);
    window.pnlNextDate->clear();
    PickAndConfirm(QDate(2016, 2, 29));
    EXPECT_EQ(Text(window.pnlNextDate), "2018-02-28");
    EXPECT_EQ(window.frmDataSetCheck().lbMessage->text(), QString()) << "asked without a scheduled test";
}

// A month box emptied after an earlier pick is no date: OK refuses rather
// than apply the earlier one again.
TEST_F(TestDateDialog, EmptiedMonthIsNoDateEvenAfterAnEarlierPick)
{
    window.pnlNextDate->clear();
    PickAndConfirm(QDate(2016, 2, 29));
    window.pnlLastDate->setText(QStringLiteral("kept"));
    TfrmSetDate dialog(window, window.frmDataSetCheck(), scheduler, testAlertShown);
    dialog.MakeMonthEditable();
    dialog.FillFrom(QDate(2016, 3, 1));
    dialog.date->cbMonth->setEditText(QString());
    dialog.bbtOK->click();
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(Text(window.pnlLastDate), "kept");
}

TEST_F(TestDateDialog, QuestionIsTitledAndItsAnswersCentred)
{
    TfrmDataSetCheck& check = window.frmDataSetCheck();
    check.lbMessage->setText(QStringLiteral("\" Discharge Test Less than 12 month -- Are you sure ? \""));
    check.show();
    EXPECT_EQ(check.windowTitle(), QStringLiteral("frmDataSetCheck"));
    const int left = check.btnSet->geometry().left();
    const int right = check.width() - 1 - check.No->geometry().right();
    EXPECT_GT(left, 40);
    EXPECT_NEAR(left, right, 2);
    check.hide();
}

TEST_F(TestDateDialog, EndDateSetOpensAFreshDialogOverTheWindowAndClosingItResumesPolling)
{
    scheduler.Pause();
    scheduler.SendPermit = 0;
    QTimer::singleShot(0, &window, [this] {
        TfrmSetDate* dialog = window.frmSetDate();
        ASSERT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->date->cbMonth->isEditable());
        EXPECT_EQ(dialog->findChild<QSpinBox*>(QStringLiteral("spinedtYear")), dialog->date->spinedtYear);
        EXPECT_EQ(dialog->date->spinedtYear->value(), QDate::currentDate().year());
        dialog->close();
    });
    window.btnTestDateSet->click();
    EXPECT_FALSE(window.frmSetDate()->isVisible());
    EXPECT_EQ(scheduler.RequestKind, KindIdle);
    EXPECT_EQ(scheduler.SendPermit, 1);
}

} // namespace
