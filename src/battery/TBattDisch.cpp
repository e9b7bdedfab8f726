#include "battery/TBattDisch.h"

#include "battery/DialogButton.h"
#include "status/BattCapacity.h"
#include "battery/BattDates.h"
#include "ui/MessageBox.h"
#include "battery/BattPayloads.h"
#include "battery/ChoiceList.h"
#include "battery/TfrmDataSetCheck.h"
#include "battery/TfrmSetDate.h"
#include "battery/TfrmShow.h"
#include "protocol/FieldText.h"
#include "protocol/FrameCodec.h"
#include "protocol/Scheduler.h"
#include "status/StatusArea.h"
#include "status/StatusSnapshot.h"
#include "ui/Colours.h"
#include "ui/Panels.h"
#include "ui/SettingRow.h"
#include "ui/StandardError.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace zelt {

namespace {

constexpr std::size_t BodyLength = 18;
const char* const LoadLine = "BattTest Test Load Sucess! <<---";
const QColor TextGrey(128, 128, 128);
// What the initial charge end time shows instead of a date once a charge ended.
const char* const ChargeStatusPhrases[] = {"Initial Charge Completed ", "Initial Charge Interrupted ",
                                           "Initial Charge Failed "};

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string TextOf(const QLabel* label)
{
    return label->text().toStdString();
}

std::string TextOf(const QLineEdit* edit)
{
    return edit->text().toStdString();
}

// Up to n characters from position at; fewer, or none, past the end.
std::string Copy(const std::string& text, std::size_t at, std::size_t n)
{
    return at < text.size() ? text.substr(at, n) : std::string();
}

std::string Cut(std::string& rest, std::size_t n)
{
    std::string head;
    SplitHead(rest, n, head);
    return head;
}

QLabel* Panel(const char* name, QWidget* parent, int width = 90)
{
    return NewValuePanel(QString::fromLatin1(name), width, 21, parent);
}

QLabel* RecommendationLine(const char* name, const char* text, QWidget* parent)
{
    QLabel* line = NewPlainLabel(QString::fromLatin1(text), parent);
    line->setObjectName(QString::fromLatin1(name));
    SetBackgroundColour(*line, MoneyGreen);
    return line;
}

QLineEdit* CapacityEdit(const char* name, const char* caption, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(QString::fromLatin1(caption));
    edit->setFixedWidth(90);
    return edit;
}

QRadioButton* Radio(const char* name, const char* caption, QWidget* parent)
{
    auto* radio = new QRadioButton(QString::fromLatin1(caption), parent);
    radio->setObjectName(QString::fromLatin1(name));
    return radio;
}

// Connects a list's change handler to the operator's own choices only:
// picking an item or typing. Selections made by the window do not run it.
template <typename Handler>
void OnOperatorChange(QComboBox* list, QObject* context, Handler handler)
{
    QObject::connect(list, &QComboBox::activated, context, [handler] { RunGuarded(handler); });
    QObject::connect(list->lineEdit(), &QLineEdit::textEdited, context, [handler] { RunGuarded(handler); });
}

} // namespace

TBattDisch::TBattDisch(BattDischLinks links, QWidget* parent)
    : QDialog(parent),
      pnlLastDate(Panel("pnlLastDate", this)),
      IntervalBox(NewValueList("IntervalBox", {QStringLiteral("12"), QStringLiteral("24")}, this)),
      pnlNextDate(Panel("pnlNextDate", this)),
      btnTestDateSet(NewDialogButton("btnTestDateSet", "End date Set", this)),
      cbBoxBattType(NewValueList("cbBoxBattType", {QStringLiteral("M12V90FT"), QStringLiteral("M12V155FT")}, this)),
      cbbBankQty(NewValueList("cbbBankQty", {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}, this)),
      rgMDchOn(Radio("rgMDchON", "ON", this)),
      rgMDchOff(Radio("rgMDchOFF", "OFF", this)),
      pnlRate(Panel("pnlRate", this)),
      edtDT(CapacityEdit("edtDT", "DT Capacity", this)),
      edtDTCapa(CapacityEdit("edtDTCapa", "This DT Capacity", this)),
      btnDTset(NewDialogButton("btnDTset", "Set", this)),
      pnlRateCapa(Panel("pnlRateCapa", this)),
      pnlCapaPrev(Panel("pnlCapaPrev", this)),
      LabGood(RecommendationLine("LabGood", "- Good battery capacity-no action is required", this)),
      Lab12Month(RecommendationLine("Lab12Month", "- Degraded battery capacity-test interval is now 12 months", this)),
      LabCapaLow(RecommendationLine("LabCapaLow", "- Capacity is low-replace battery string by", this)),
      pnlNextTestDate(Panel("pnlNextTestDate", this)),
      btnSetting(NewDialogButton("btnSetting", "Save", this)),
      btnExit(NewDialogButton("btnExit", "Exit", this)),
      links_(std::move(links))
{
    setObjectName(QStringLiteral("BattDisch"));
    setWindowTitle(QStringLiteral("Battery Discharge Set"));
    SetBackgroundColour(*this, MoneyGreen);
    IntervalBox->setAccessibleName(QStringLiteral("Interval"));
    cbBoxBattType->setAccessibleName(QStringLiteral("Type"));
    cbbBankQty->setAccessibleName(QStringLiteral("Bank Qty"));
    IntervalBox->setCurrentIndex(1);
    cbBoxBattType->setCurrentIndex(0);
    cbbBankQty->setCurrentIndex(1);
    pnlRate->setText(QStringLiteral("86"));
    BuildLayout();

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, [this] { RunGuarded([this] { ApplyBattTestBody(); }); });
    connect(btnDTset, &QPushButton::clicked, this, [this] { RunGuarded([this] { EvaluateCapacity(); }); });
    connect(btnSetting, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnSettingClick(); }); });
    connect(btnExit, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnExitClick(); }); });
    connect(btnTestDateSet, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnTestDateSetClick(); }); });
    connect(edtDTCapa, &QLineEdit::textChanged, this, [this] { RunGuarded([this] { edtDTCapaChange(); }); });
    OnOperatorChange(IntervalBox, this, [this] { IntervalBoxChange(); });
    OnOperatorChange(cbBoxBattType, this, [this] { cbBoxBattTypeChange(); });
    OnOperatorChange(cbbBankQty, this, [this] { cbbBankQtyChange(); });

    // The start-up instances of the two dialogs, hidden; "End date Set"
    // replaces the date dialog by a new one each time.
    frmDataSetCheck_ = std::make_unique<TfrmDataSetCheck>(*this);
    frmSetDate_ = std::make_unique<TfrmSetDate>(*this, *frmDataSetCheck_, links_.scheduler, links_.testAlertShown, this);
    FormCreate();
}

TBattDisch::~TBattDisch() = default;

void TBattDisch::BuildLayout()
{
    auto* group = new QGroupBox(QStringLiteral("Battery Discharge Set"), this);
    auto* grid = new QGridLayout(group);
    auto caption = [](const char* text) { return NewPlainLabel(QString::fromLatin1(text)); };

    grid->addWidget(caption("Last Completed Test"), 0, 0);
    grid->addWidget(pnlLastDate, 0, 1);
    grid->addWidget(caption("Next Scheduled Test"), 0, 3);
    grid->addWidget(pnlNextDate, 0, 4);
    grid->addWidget(caption("Interval"), 1, 0);
    grid->addWidget(IntervalBox, 1, 1);
    grid->addWidget(caption("Months"), 1, 2);
    grid->addWidget(btnTestDateSet, 1, 4);
    grid->addWidget(caption("Type"), 2, 0);
    grid->addWidget(cbBoxBattType, 2, 1);
    grid->addWidget(caption("Bank Qty"), 2, 3);
    grid->addWidget(cbbBankQty, 2, 4);

    auto* manual = new QGroupBox(QStringLiteral("Manual Test Message"), group);
    manual->setObjectName(QStringLiteral("rgMDch"));
    auto* manualRow = new QHBoxLayout(manual);
    manualRow->addWidget(rgMDchOn);
    manualRow->addWidget(rgMDchOff);
    auto* buttons = new QButtonGroup(manual);
    buttons->addButton(rgMDchOn);
    buttons->addButton(rgMDchOff);
    grid->addWidget(manual, 3, 0, 1, 5);

    grid->addWidget(caption("Rated AH @25C"), 4, 0);
    grid->addWidget(pnlRate, 4, 1);
    grid->addWidget(caption("AH"), 4, 2);
    grid->addWidget(caption("DT Capacity"), 5, 0);
    grid->addWidget(edtDT, 5, 1);
    grid->addWidget(caption("AH"), 5, 2);
    grid->addWidget(caption("This DT Capacity"), 6, 0);
    grid->addWidget(edtDTCapa, 6, 1);
    grid->addWidget(caption("AH"), 6, 2);
    grid->addWidget(btnDTset, 6, 4);

    auto* health = new QGroupBox(QStringLiteral("Battery Health"), this);
    auto* healthGrid = new QGridLayout(health);
    healthGrid->addWidget(caption("% Rated Capacity"), 0, 0);
    healthGrid->addWidget(pnlRateCapa, 0, 1);
    healthGrid->addWidget(caption("% Capacity to Previous"), 1, 0);
    healthGrid->addWidget(pnlCapaPrev, 1, 1);

    auto* advice = new QGroupBox(QStringLiteral("Post-Test Recommendation"), this);
    auto* adviceGrid = new QGridLayout(advice);
    adviceGrid->addWidget(LabGood, 0, 0, 1, 2);
    adviceGrid->addWidget(Lab12Month, 1, 0, 1, 2);
    adviceGrid->addWidget(LabCapaLow, 2, 0);
    adviceGrid->addWidget(pnlNextTestDate, 2, 1);

    QLabel* warning = caption("Ensure BATT1 and BATT2 breakers are off before performing test");
    QPalette palette = warning->palette();
    palette.setColor(QPalette::WindowText, LampRed);
    warning->setPalette(palette);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(btnSetting);
    buttonRow->addWidget(btnExit);

    auto* column = new QVBoxLayout(this);
    column->addWidget(group);
    column->addWidget(health);
    column->addWidget(advice);
    column->addWidget(warning);
    column->addLayout(buttonRow);
}

void TBattDisch::FormCreate()
{
    (links_.snapshot.ManualTestActive != 0 ? rgMDchOn : rgMDchOff)->setChecked(true);
}

void TBattDisch::Open()
{
    Opening();
    exec();
}

void TBattDisch::Opening()
{
    links_.scheduler.PostCommand(KindBattLoad);
    Timer1.start();
    BattTestApplied.clear();
    BattTestPending = 1;
}

void TBattDisch::HandleBattTestReply(const std::string& rxBody)
{
    // RxBody carries the frame's ETX and checksum behind the payload: a reply
    // shorter than the bookkeeping is no bookkeeping, and the request goes on.
    const std::string payload = rxBody.substr(0, rxBody.find(ETX));
    if (payload.size() < BodyLength)
        return;
    BattTestBody = payload.substr(0, BodyLength);
    links_.addResultLine(QString::fromLatin1(LoadLine));
    Timer1.start();
    BattTestPending = 0;
}

void TBattDisch::ApplyBattTestBody()
{
    // A Save's 'G' waiting for its tick is not replaced by the next 'L'.
    if (BattTestPending == 1 && !SaveQueued())
        links_.scheduler.PostCommand(KindBattLoad);
    if (BattTestBody != BattTestApplied) {
        BattTestApplied = BattTestBody;
        ApplyBody(BattTestBody);
    }
    if (dtCapacityAfterReply_ && BattTestPending == 0) {
        edtDTCapa->setText(QString::number(*dtCapacityAfterReply_));
        dtCapacityAfterReply_.reset();
    }
}

void TBattDisch::FillDtCapacityAfterReply(int ampHours)
{
    dtCapacityAfterReply_ = ampHours;
}

void TBattDisch::ApplyBody(std::string rest)
{
    const std::string strings = rest.substr(17, 1);
    if (strings == "0") {
        cbbBankQty->setCurrentIndex(0);
        ClearTestDisplay();
        btnTestDateSet->setEnabled(false);
        return;
    }
    btnTestDateSet->setEnabled(true);
    SelectOrShow(*cbbBankQty, strings == "1" || strings == "2" ? strings[0] - '0' : -1, Latin1(strings));

    const std::string date = Cut(rest, 8);
    ShowLastTestDate(date);

    const std::string interval = Cut(rest, 1);
    SelectOrShow(*IntervalBox, interval == "0" ? 1 : interval == "1" || interval == "2" ? interval[0] - '1' : -1,
                 Latin1(interval));
    const int intervalIndex = SelectedIndex(*IntervalBox);

    const std::string type = Cut(rest, 1);
    SelectOrShow(*cbBoxBattType, type == "0" ? 0 : type == "1" || type == "2" ? type[0] - '1' : -1, Latin1(type));
    ShowRatedCapacity();

    const std::string previous = Cut(rest, 3);
    if (previous != "000") {
        try {
            const std::int32_t value = StrToInt(previous);
            SetBackgroundColour(*pnlRateCapa, PanelWindowColour());
            edtDT->setText(QString::number(value));
        } catch (const EConvertError&) {
        }
    }
    const std::string latest = Cut(rest, 3);
    if (latest != "000") {
        try {
            const std::int32_t value = StrToInt(latest);
            edtDTCapa->setText(QString::number(value));
            try {
                pnlCapaPrev->setText(QString::number(CapacityPercent(value, StrToInt(TextOf(edtDT)))));
            } catch (const EConvertError&) {
            }
            if (!edtDTCapa->text().isEmpty())
                pnlRateCapa->setText(QString::number(CapacityPercent(value, StrToInt(TextOf(pnlRate)))));
        } catch (const EConvertError&) {
        }
    }

    ShowVerdict(Cut(rest, 1), intervalIndex, Latin1(interval));

    if (TextOf(pnlLastDate) == "None")
        return;
    const CalendarDate last = ReadPanelDate(TextOf(pnlLastDate));
    pnlNextDate->setText(Latin1(DashedText(AddTestYears(last, SelectedIndex(*IntervalBox) == 0 ? 1 : 2))));
    if (BattVerdict == 3)
        pnlNextTestDate->setText(Latin1(DashedText(AddTestYears(last, 1))));
}

void TBattDisch::ShowLastTestDate(const std::string& date)
{
    if (date != "00000000") {
        pnlLastDate->setText(Latin1(date.substr(0, 4) + "/" + date.substr(4, 2) + "/" + date.substr(6, 2)));
        return;
    }
    // No test recorded: the initial charge end time gives the month and the
    // day (characters 1-2 and 4-5 of its text). Its status phrases carry no
    // date; like "None" and an empty display they leave the test at "None".
    const std::string charge = links_.statusArea.Text("pnlInitial_Time");
    const bool statusPhrase = std::find(std::begin(ChargeStatusPhrases), std::end(ChargeStatusPhrases), charge)
                           != std::end(ChargeStatusPhrases);
    if (charge.empty() || statusPhrase || charge.find("None") != std::string::npos) {
        pnlLastDate->setText(QStringLiteral("None"));
        return;
    }
    pnlLastDate->setText(QString::number(QDate::currentDate().year()) + QLatin1Char('/') + Latin1(Copy(charge, 0, 2))
                         + QLatin1Char('/') + Latin1(Copy(charge, 3, 2)));
}

// The tick's verdict: only backgrounds change; an unknown code changes nothing.
void TBattDisch::ShowVerdict(const std::string& code, int intervalIndex, const QString& intervalShown)
{
    if (code.size() != 1 || code[0] < '0' || code[0] > '3')
        return;
    BattVerdict = code[0] - '0';
    QLabel* const lines[] = {nullptr, LabGood, Lab12Month, LabCapaLow};
    Highlight(lines[BattVerdict], false);
    if (BattVerdict != 3)
        pnlNextTestDate->clear();
    RenameItem(*IntervalBox, 1, BattVerdict >= 2 ? QStringLiteral("--") : QStringLiteral("24"));
    SelectOrShow(*IntervalBox, intervalIndex, intervalShown);
}

// Yellow behind line, money green behind the others; with text colours also
// black text on line and grey on the others. A null line highlights none.
void TBattDisch::Highlight(QLabel* line, bool withTextColours)
{
    for (QLabel* each : {LabGood, Lab12Month, LabCapaLow}) {
        QPalette palette = each->palette();
        palette.setColor(QPalette::Window, each == line ? AlertYellow : MoneyGreen);
        if (withTextColours)
            palette.setColor(QPalette::WindowText, each == line ? QColor(Qt::black) : TextGrey);
        each->setPalette(palette);
    }
}

void TBattDisch::ShowRatedCapacity()
{
    const int strings = SelectedIndex(*cbbBankQty);
    pnlRate->setText(strings > 0 ? QString::number(RatedCapacity(strings, SelectedIndex(*cbBoxBattType) == 0))
                                 : QString());
}

void TBattDisch::SetPercentPanel(QLabel* panel, const std::string& text, bool hasValue)
{
    panel->setText(Latin1(text));
    SetBackgroundColour(*panel, hasValue ? PanelWindowColour() : LampGrey);
}

bool TBattDisch::HasLastDate() const
{
    const QString date = pnlLastDate->text();
    return !date.isEmpty() && date != QStringLiteral("None");
}

void TBattDisch::ClearTestDisplay()
{
    for (QLabel* panel : {pnlLastDate, pnlNextDate, pnlNextTestDate})
        panel->clear();
    edtDT->clear();
    edtDTCapa->clear();
    Highlight(nullptr, true);
}

void TBattDisch::EvaluateCapacity()
{
    try {
        EvaluateCapacitySteps();
    } catch (const EConvertError&) {
        // The evaluation ends silently at a number or date that does not convert.
    }
}

void TBattDisch::EvaluateCapacitySteps()
{
    const std::string previous = TextOf(edtDT);
    const std::string latest = TextOf(edtDTCapa);
    std::int64_t n = 100;
    if (SelectedIndex(*cbbBankQty) == 0 || (previous.empty() && latest.empty())) {
        SetPercentPanel(pnlRateCapa, "", false);
        SetPercentPanel(pnlCapaPrev, "", false);
    } else if (!latest.empty()) {
        const std::int32_t latestValue = StrToInt(latest);
        if (!previous.empty()) {
            const std::int64_t toPrevious = CapacityPercent(latestValue, StrToInt(previous));
            SetPercentPanel(pnlCapaPrev, std::to_string(toPrevious), true);
            SetBackgroundColour(*pnlRateCapa, PanelWindowColour());
        }
        const std::int64_t rated = CapacityPercent(latestValue, StrToInt(TextOf(pnlRate)));
        SetPercentPanel(pnlRateCapa, std::to_string(rated), true);
        n = std::min<std::int64_t>(rated, StrToInt(TextOf(pnlCapaPrev)));
    } else {
        const std::int64_t rated = CapacityPercent(StrToInt(previous), StrToInt(TextOf(pnlRate)));
        SetPercentPanel(pnlRateCapa, std::to_string(rated), true);
        SetPercentPanel(pnlCapaPrev, "", false);
        n = rated;
    }

    BattVerdict = CapacityVerdict(n);
    Highlight(BattVerdict == 1 ? LabGood : BattVerdict == 2 ? Lab12Month : LabCapaLow, true);
    RenameItem(*IntervalBox, 1, BattVerdict == 1 ? QStringLiteral("24") : QStringLiteral("--"));
    IntervalBox->setCurrentIndex(0);

    if (!HasLastDate())
        return;
    if (BattVerdict != 3)
        pnlNextTestDate->clear();
    if (BattVerdict == 1)
        return;
    const QString nextYear = Latin1(DashedText(AddTestYears(ReadPanelDate(TextOf(pnlLastDate)), 1)));
    pnlNextDate->setText(nextYear);
    if (BattVerdict == 3)
        pnlNextTestDate->setText(nextYear);
}

bool TBattDisch::SaveQueued() const
{
    return links_.scheduler.RequestKind == KindBattSet && links_.scheduler.SendPermit == 1;
}

void TBattDisch::btnSettingClick()
{
    // Nothing would send the bookkeeping: refuse, and keep the alert as it is.
    if (!links_.lineConnected()) {
        ShowMessage(MessageKind::Information, QStringLiteral("Save Error!! Not connected"));
        return;
    }
    RequestScheduler& scheduler = links_.scheduler;
    scheduler.SettingPayload.clear();
    BattSetValues values;
    values.lastDate = TextOf(pnlLastDate);
    values.intervalIndex = SelectedIndex(*IntervalBox);
    values.typeIndex = SelectedIndex(*cbBoxBattType);
    values.strings = SelectedIndex(*cbbBankQty);
    values.previous = TextOf(edtDT);
    values.latest = TextOf(edtDTCapa);
    values.percentRated = TextOf(pnlRateCapa);
    values.verdict = BattVerdict;
    values.manualMessage = rgMDchOn->isChecked();
    const std::optional<std::string> payload = BattSetPayload(values);
    if (!payload) {
        ShowMessage(MessageKind::Information, QStringLiteral("Save Error!! Please check Set data"));
        return;
    }
    scheduler.PostCommand(KindBattSet, *payload);
}

// The alert is closed and its flag cleared only once the bookkeeping is out.
void TBattDisch::BattSetSent()
{
    links_.frmShow.close();
    links_.testAlertShown = 0;
}

void TBattDisch::IntervalBoxChange()
{
    if (!HasLastDate())
        return;
    int years = 0;
    switch (SelectedIndex(*IntervalBox)) {
    case 0:
        years = 1;
        break;
    case 1:
        if (IntervalBox->itemText(1) == QStringLiteral("--")) {
            IntervalBox->setCurrentIndex(0);
            years = 1;
        } else {
            years = 2;
        }
        break;
    default:
        return; // a typed text that is no interval
    }
    const CalendarDate last = ReadPanelDate(TextOf(pnlLastDate));
    pnlNextDate->setText(Latin1(DashedText(AddTestYears(last, years))));
    if (BattVerdict == 3)
        pnlNextTestDate->setText(Latin1(DashedText(AddTestYears(last, 1))));
}

void TBattDisch::cbBoxBattTypeChange()
{
    ShowRatedCapacity();
    edtDTCapaChange();
}

void TBattDisch::cbbBankQtyChange()
{
    const bool noStrings = SelectedIndex(*cbbBankQty) == 0;
    ShowRatedCapacity();
    for (QWidget* control : std::initializer_list<QWidget*>{edtDT, edtDTCapa, btnTestDateSet})
        control->setEnabled(!noStrings);
    if (noStrings)
        ClearTestDisplay();
    else
        edtDTCapaChange();
}

void TBattDisch::edtDTCapaChange()
{
    if (edtDTCapa->text().isEmpty())
        return;
    try {
        pnlCapaPrev->setText(QString::number(CapacityPercent(StrToInt(TextOf(edtDTCapa)), StrToInt(TextOf(edtDT)))));
    } catch (const EConvertError&) {
        // The panel keeps what it showed.
    }
}

void TBattDisch::btnTestDateSetClick()
{
    frmSetDate_ = std::make_unique<TfrmSetDate>(*this, *frmDataSetCheck_, links_.scheduler, links_.testAlertShown, this);
    frmSetDate_->MakeMonthEditable();
    frmSetDate_->exec();
}

void TBattDisch::btnExitClick()
{
    close();
}

void TBattDisch::done(int result)
{
    RunGuarded([this] { FormClose(); });
    QDialog::done(result);
}

void TBattDisch::FormClose()
{
    Timer1.stop();
}

} // namespace zelt
