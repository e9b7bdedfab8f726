#include "battery/TfrmSetDisch.h"
#include "protocol/Scheduler.h"
#include "status/StatusSnapshot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <vector>

using namespace zelt;

namespace {

class SetDisch : public ::testing::Test {
protected:
    std::string Checked()
    {
        std::string s;
        for (QCheckBox* box : {dialog.cbFloat, dialog.cb12h, dialog.cb24h, dialog.cb72h, dialog.cbComp})
            s += box->isChecked() ? '1' : '0';
        return s;
    }

    RequestScheduler scheduler;
    StatusSnapshot snapshot;
    TfrmSetDisch dialog{scheduler, snapshot};
};

TEST_F(SetDisch, RowsActAsRadioButtonsThatMayAllBeOff)
{
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Initial Charge"));
    EXPECT_EQ(Checked(), "00000");
    EXPECT_TRUE(dialog.cbComp->isHidden());
    EXPECT_TRUE(dialog.cbTemp_Comp->isHidden());

    // Each step: the box clicked, then rows 1 to 4 and cbComp.
    const std::pair<QCheckBox*, const char*> steps[] = {
        {dialog.cbFloat, "10001"}, {dialog.cb24h, "00100"}, {dialog.cbComp, "10001"},
        {dialog.cb72h, "00010"},   {dialog.cb72h, "00000"}, {dialog.cb12h, "01000"},
        {dialog.cbFloat, "10001"}, {dialog.cbFloat, "00001"},
    };
    for (const auto& [box, state] : steps) {
        box->click();
        EXPECT_EQ(Checked(), state) << box->objectName().toStdString();
    }
}

// Each row and option on its own, in a fresh dialog for the controller's
// compensation mode; the payload in full.
TEST_F(SetDisch, PayloadRowByRow)
{
    struct Case {
        std::vector<const char*> clicked;
        int tempCompOn;
        const char* payload;
    };
    const Case cases[] = {
        {{}, 0, "02"},
        {{}, 1, "04"},
        {{}, 7, "00"},
        {{"cbFloat"}, 0, "13"},
        {{"cbFloat", "cbComp"}, 0, "12"},
        {{"cb12h"}, 0, "22"},
        {{"cb24h"}, 0, "42"},
        {{"cb72h"}, 0, "82"},
        {{"cb12h"}, 7, "20"},
    };
    for (const Case& c : cases) {
        snapshot.TempCompOn = c.tempCompOn;
        TfrmSetDisch fresh(scheduler, snapshot);
        for (const char* box : c.clicked)
            fresh.findChild<QCheckBox*>(QString::fromLatin1(box))->click();
        fresh.btnSetting->click();
        EXPECT_EQ(scheduler.ControlPayload, c.payload);
        EXPECT_EQ(scheduler.RequestKind, KindCharge);
    }
}

TEST_F(SetDisch, DefaultChecksFloatAndSettingClearsTheRows)
{
    snapshot.TempCompOn = 1;
    TfrmSetDisch fresh(scheduler, snapshot);
    fresh.cb72h->click(); // clears compensation
    fresh.BitBtn3->click();
    for (QCheckBox* box : {fresh.cbFloat, fresh.cb12h, fresh.cb24h, fresh.cb72h, fresh.cbComp})
        EXPECT_EQ(box->isChecked(), box == fresh.cbFloat || box == fresh.cbComp) << box->objectName().toStdString();
    fresh.btnSetting->click();
    EXPECT_EQ(scheduler.ControlPayload, "15");
    for (QCheckBox* box : {fresh.cbFloat, fresh.cb12h, fresh.cb24h, fresh.cb72h, fresh.cbComp})
        EXPECT_FALSE(box->isChecked());
}

TEST_F(SetDisch, ExitBeforeTheTickDropsTheCommand)
{
    dialog.show();
    // Setting, Default and Exit side by side under the rows.
    EXPECT_EQ(dialog.btnExit->y(), dialog.btnSetting->y());
    EXPECT_GT(dialog.btnExit->x(), dialog.BitBtn3->geometry().right());
    EXPECT_GT(dialog.btnExit->y(), dialog.cb72h->mapTo(&dialog, QPoint()).y());
    dialog.cbFloat->click();
    dialog.btnSetting->click();
    dialog.btnExit->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(scheduler.RequestKind, KindIdle);
    EXPECT_EQ(scheduler.SendPermit, 1);
}

} // namespace
