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

TEST_F(ClockDialog, OkSendsTheFourteenDigitsOnce)
{
    dialog.FillFrom(QDateTime(QDate(2024, 7, 5), QTime(8, 9, 3)));
    dialog.bbtOK->click();
    EXPECT_EQ(scheduler.RequestKind, KindClock);
    EXPECT_EQ(scheduler.ClockPayload, "20240705080903");
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

TEST_F(TestDateDialog, EarlyDateChangesTheWindowOnlyOnYes)
{
    window.BattVerdict = 3;
    PickAndConfirm(QDate(2015, 12, 30), window.frmDataSetCheck().No);
    EXPECT_TRUE(asked);
    EXPECT_EQ(window.frmDataSetCheck().lbMessage->text(),
              QStringLiteral("\" Discharge Test Less than 12 month -- Are you sure ? \""));
    EXPECT_EQ(Text(window.pnlLastDate), "2014/12/31");
    EXPECT_EQ(Text(window.pnlNextDate), "2015-12-31");

    PickAndConfirm(QDate(2015, 12, 30), window.frmDataSetCheck().btnSet);
    EXPECT_TRUE(asked);
    EXPECT_EQ(Text(window.pnlLastDate), "2015-12-30");
    EXPECT_EQ(Text(window.pnlNextDate), "2016-12-30");
    EXPECT_EQ(Text(window.pnlNextTestDate), "2016-12-30");
}

TEST_F(TestDateDialog, LeapDayWithTwoYearsAndTheReplacementDate)
{
    Pick(window.IntervalBox, 1);
    window.pnlNextDate->clear(); // never early
    window.pnlNextTestDate->setText(QStringLiteral("kept"));
    PickAndConfirm(QDate(2016, 2, 29));
    EXPECT_EQ(Text(window.pnlNextDate), "2018-02-28");
    EXPECT_EQ(Text(window.pnlNextTestDate), "kept");

    window.BattVerdict = 3;
    window.pnlNextDate->clear();
    PickAndConfirm(QDate(2016, 2, 29));
    EXPECT_EQ(Text(window.pnlNextTestDate), "2017-02-28");
    EXPECT_EQ(window.frmDataSetCheck().lbMessage->text(), QString());
}

TEST_F(TestDateDialog, EndDateSetOpensAFreshDialogOverTheWindow)
{
    QTimer::singleShot(0, &window, [this] {
        TfrmSetDate* dialog = window.frmSetDate();
        ASSERT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->date->cbMonth->isEditable());
        EXPECT_EQ(dialog->date->spinedtYear->value(), QDate::currentDate().year());
        dialog->close();
    });
    window.btnTestDateSet->click();
    EXPECT_FALSE(window.frmSetDate()->isVisible());
}

} // namespace
