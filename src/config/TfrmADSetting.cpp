#include "config/TfrmADSetting.h"

#include "config/MeasurePayload.h"
#include "protocol/Scheduler.h"
#include "ui/Colours.h"
#include "ui/Panels.h"
#include "ui/SettingRow.h"
#include "ui/StandardError.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace zelt {

TfrmADSetting* frmADSetting = nullptr;

namespace {

struct MeasureRow {
    const char* edit;
    const char* mask;  // every digit required; the point is a literal
    const char* shown; // at opening
    const char* unit;
    const char* apply;
};

const MeasureRow Rows[] = {
    {"MskDC_LV", "99.99;_", "00.00", "V", "cbDCV_SET_EN"},
    {"mskDCA", "999.9;_", "000.0", "A", "cbDCA_SET_EN"},
    {"mskBAP", "999.9;_", "000.0", "A", "cbBTP_SET_EN"},
    {"mskBAN", "999.9;_", "000.0", "A", "cbBTN_SET_EN"},
    {"mskCELL1", "99.99;_", "27.00", "V", "cbCell1_Set_En"},
    {"mskCELL2", "99.99;_", "27.00", "V", "cbCell2_Set_En"},
};

// The edit's value: its digits without the point, an empty position shown as "_".
std::string DigitsOf(const QLineEdit& edit)
{
    return edit.displayText().remove(QLatin1Char('.')).toLatin1().toStdString();
}

} // namespace

TfrmADSetting::TfrmADSetting(RequestScheduler& scheduler, QWidget* parent) : QDialog(parent), scheduler_(scheduler)
{
    frmADSetting = this;
    setObjectName(QStringLiteral("frmADSetting"));
    setWindowTitle(QStringLiteral("Measure Value Setting"));
    SetBackgroundColour(*this, MoneyGreen);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(this);
    auto* grid = new QGridLayout(group);
    for (std::size_t i = 0; i < edits_.size(); ++i) {
        const MeasureRow& r = Rows[i];
        auto* edit = new QLineEdit(group);
        edit->setObjectName(QString::fromLatin1(r.edit));
        edit->setInputMask(QString::fromLatin1(r.mask));
        edit->setText(QString::fromLatin1(r.shown));
        edit->installEventFilter(this);
        edits_[i] = edit;
        applyBoxes_[i] = AddSettingRow(*grid, static_cast<int>(i), QString::fromLatin1(MeasureRowCaptions[i]), edit,
                                       QString::fromLatin1(r.unit), {}, r.apply)
                             .apply;
    }
    layout->addWidget(group);

    auto* set = new QPushButton(QStringLiteral("Setting"), this);
    set->setObjectName(QStringLiteral("btnSet"));
    set->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("BitBtnCancel"));
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(set);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(set, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnSetClick(); }); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmADSetting::~TfrmADSetting()
{
    if (frmADSetting == this)
        frmADSetting = nullptr;
}

MeasureValues TfrmADSetting::ReadValues() const
{
    MeasureValues v;
    for (std::size_t i = 0; i < edits_.size(); ++i) {
        v.digits[i] = DigitsOf(*edits_[i]);
        v.apply[i] = applyBoxes_[i]->isChecked();
    }
    return v;
}

// The scheduler is held quiet first; a value that fails leaves it quiet
// until the dialog closes.
void TfrmADSetting::btnSetClick()
{
    scheduler_.SendPermit = 0;
    scheduler_.RequestKind = KindQuiet;
    scheduler_.PostCommand(KindMeasure, MeasurePayload(ReadValues()));
    SetApplyBoxes(applyBoxes_, false);
}

void TfrmADSetting::done(int result)
{
    scheduler_.ReleaseIfQuiet();
    QDialog::done(result);
}

// Leaving a changed edit with an empty digit position is not allowed: a
// beep, the message, and the focus back in the edit. Escape in a changed edit
// restores the value it had before the operator changed it; the focus coming
// back after the message must not take the incomplete text for that value.
bool TfrmADSetting::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn) {
        if (!edit->isModified())
            edit->setProperty("enteredText", edit->text());
    } else if (event->type() == QEvent::FocusOut && edit->isModified()) {
        if (complaining_) // the message box takes the focus: one complaint at a time
            return QDialog::eventFilter(watched, event);
        if (edit->hasAcceptableInput()) {
            edit->setModified(false); // the change is kept: the value to restore from now on
            return QDialog::eventFilter(watched, event);
        }
        const QScopedValueRollback once(complaining_, true);
        QApplication::beep();
        edit->setFocus();
        ShowStandardError(QStringLiteral("Invalid input value.  Use escape key to abandon changes"));
        return true;
    } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
               edit->isModified()) {
        edit->setText(edit->property("enteredText").toString());
        edit->setModified(false);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zelt
