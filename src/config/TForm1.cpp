#include "config/TForm1.h"

#include "config/NetworkSettingsPayload.h"
#include "config/RadioGroup.h"
#include "protocol/Scheduler.h"
#include "status/StatusArea.h"
#include "ui/Colours.h"
#include "ui/Panels.h"
#include "ui/SettingButtons.h"
#include "ui/SettingRow.h"
#include "ui/StandardError.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelt {

TForm1* Form1 = nullptr;

namespace {

QString Name(const char* prefix, int index)
{
    return QString::fromLatin1(prefix) + QString::number(index);
}

// The four octet edits of an address, named prefix1 .. prefix4.
std::vector<QString> Octets(const char* prefix)
{
    return {Name(prefix, 1), Name(prefix, 2), Name(prefix, 3), Name(prefix, 4)};
}

// SNMP manager m's edits: byte b is edtSVIP4<b><m>.
std::vector<QString> ManagerOctets(int m)
{
    std::vector<QString> names;
    for (int b = 1; b <= 4; ++b)
        names.push_back(QStringLiteral("edtSVIP4%1%2").arg(b).arg(m));
    return names;
}

// The panel of the main window that shows an edit's value: "edt" becomes "pnl".
std::string PanelOf(const QString& edit)
{
    return "pnl" + edit.mid(3).toStdString();
}

// The switches and the main window's tick boxes they follow: TCP/IP 1 and 2,
// then SNMP managers 1 to 4.
const std::pair<const char*, const char*> Switches[] = {
    {"rgTCPIP1", "cbTcpip_En1"}, {"rgTCPIP2", "cbTcpip_En2"}, {"rgSNMP1", "cbSNMP_En1"},
    {"rgSNMP2", "cbSNMP_En2"},   {"rgSNMP3", "cbSNMP_En3"},   {"rgSNMP4", "cbSNMP_En4"},
};

// Factory settings of "Default".
struct FactoryAddress {
    const char* edits;
    int octets[4];
};

} // namespace

TForm1::TForm1(RequestScheduler& scheduler, const StatusArea& area, QWidget* parent)
    : QDialog(parent), scheduler_(scheduler), area_(area)
{
    Form1 = this;
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("IP-Setting"));
    SetBackgroundColour(*this, MoneyGreen);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(this);
    auto* grid = new QGridLayout(group);
    layout->addWidget(group);

    const QStringList switchItems{QStringLiteral("Disable"), QStringLiteral("Enable")};
    const auto newSwitch = [&](const char* name) { return new TRadioGroup(name, {}, switchItems, 2, group); };

    int row = 0;
    AddEditRow(*grid, row++, QStringLiteral("IP Address"), Octets("edtIP"), "cbIP", nullptr, nullptr);
    AddEditRow(*grid, row++, QStringLiteral("Gateway"), Octets("edtGW"), "cbGW", nullptr, nullptr);
    AddEditRow(*grid, row++, QStringLiteral("Subnet Mask"), Octets("edtSM"), "cbSM", nullptr, nullptr);
    std::vector<QString> mac;
    for (int i = 1; i <= 6; ++i)
        mac.push_back(Name("edtMAC", i));
    AddEditRow(*grid, row++, QStringLiteral("Mac Address"), mac, "cbMAC", nullptr, nullptr);
    const char* snmpApply[][2] = {{"cbSNMP1", "cbSNMP1En"}, {"cbSNMP2", "cbSNMP2En"}, {"cbSNMP3", "cbSNMP3En"},
                                  {"cbSNMP4", "cbSNMP4En"}};
    const char* snmpSwitch[] = {"rgSNMP1", "rgSNMP2", "rgSNMP3", "rgSNMP4"};
    for (int m = 1; m <= 4; ++m) {
        AddEditRow(*grid, row, QStringLiteral("SNMP IP%1").arg(m), ManagerOctets(m), snmpApply[m - 1][0],
                   snmpApply[m - 1][1], newSwitch(snmpSwitch[m - 1]));
        row += 2;
    }
    AddEditRow(*grid, row++, QStringLiteral("Read Community"), {QStringLiteral("edtReadComuni")}, "cbReadComu",
               nullptr, nullptr);
    AddEditRow(*grid, row++, QStringLiteral("Write Community"), {QStringLiteral("edtWriteComuni")}, "cbWriteComu",
               nullptr, nullptr);
    for (const char* community : {"edtReadComuni", "edtWriteComuni"})
        Edit(QString::fromLatin1(community))->setMaxLength(9);
    AddEditRow(*grid, row, QStringLiteral("TCP/IP 1"), Octets("edtSVIP1"), "cbTCPIP1", "cbTCPIP1En",
               newSwitch("rgTCPIP1"));
    row += 2;
    AddEditRow(*grid, row, QStringLiteral("TCP/IP 2"), Octets("edtSVIP2"), "cbTCPIP2", "cbTCPIP2En",
               newSwitch("rgTCPIP2"));

    auto* buttonRow = new QHBoxLayout;
    const SettingButtons buttons =
        AddSettingButtons(*buttonRow, {"btnSetting", "btnSeletAll", "BitBtn3", "btnExit"});
    layout->addLayout(buttonRow);
    connect(buttons.setting, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnSettingClick(); }); });
    connect(buttons.selectAll, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnSeletAllClick(); }); });
    connect(buttons.defaults, &QPushButton::clicked, this, [this] { RunGuarded([this] { BitBtn3Click(); }); });
    connect(buttons.exit, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnExitClick(); }); });

    FormCreate(area);
}

TForm1::~TForm1()
{
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::AddEditRow(QGridLayout& grid, int row, const QString& caption, const std::vector<QString>& edits,
                        const char* apply, const char* applyOn, TRadioGroup* onOff)
{
    grid.addWidget(NewPlainLabel(caption), row, 0);
    auto* line = new QHBoxLayout;
    for (const QString& name : edits) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setAccessibleName(caption);
        // Octets and MAC groups are narrow; a community gets a whole row.
        if (edits.size() > 1)
            edit->setFixedWidth(40);
        line->addWidget(edit);
    }
    line->addStretch();
    grid.addLayout(line, row, 1);
    applyBoxes_.push_back(NewApplyBox(apply, caption, this));
    grid.addWidget(applyBoxes_.back(), row, 2);
    if (applyOn != nullptr) {
        applyBoxes_.push_back(NewApplyBox(applyOn, caption + QStringLiteral(" Enable"), this));
        grid.addWidget(applyBoxes_.back(), row + 1, 2);
        grid.addWidget(onOff, row + 1, 1);
    }
}

QLineEdit* TForm1::Edit(const QString& name) const
{
    return findChild<QLineEdit*>(name);
}

std::string TForm1::EditText(const QString& name) const
{
    return Edit(name)->text().toLatin1().toStdString();
}

TRadioGroup* TForm1::Group(const char* name) const
{
    return findChild<TRadioGroup*>(QString::fromLatin1(name));
}

// Each edit takes its panel's text unless that is empty; each switch follows
// its tick box on the main window.
void TForm1::FormCreate(const StatusArea& area)
{
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        if (!edit->objectName().startsWith(QLatin1String("edt")))
            continue;
        const std::string shown = area.Text(PanelOf(edit->objectName()));
        if (!shown.empty())
            edit->setText(QString::fromLatin1(shown));
    }
    for (const auto& [group, box] : Switches)
        Group(group)->SetItemIndex(area.IsChecked(box) ? 1 : 0);
}

NetworkSettingsValues TForm1::ReadValues() const
{
    const auto text = [this](const QString& edit) { return EditText(edit); };
    const auto on = [this](const char* group, const char*) { return Group(group)->ItemIndex() != 0; };
    NetworkSettingsValues v = ReadShown(text, on);
    const auto ticked = [this](const char* name) {
        return findChild<QCheckBox*>(QString::fromLatin1(name))->isChecked();
    };
    v.cbMAC = ticked("cbMAC");
    v.cbIP = ticked("cbIP");
    v.cbGW = ticked("cbGW");
    v.cbSM = ticked("cbSM");
    v.cbTCPIP1 = ticked("cbTCPIP1");
    v.cbTCPIP1En = ticked("cbTCPIP1En");
    v.cbTCPIP2 = ticked("cbTCPIP2");
    v.cbTCPIP2En = ticked("cbTCPIP2En");
    v.cbSNMP1 = ticked("cbSNMP1");
    v.cbSNMP1En = ticked("cbSNMP1En");
    v.cbSNMP2 = ticked("cbSNMP2");
    v.cbSNMP2En = ticked("cbSNMP2En");
    v.cbSNMP3 = ticked("cbSNMP3");
    v.cbSNMP3En = ticked("cbSNMP3En");
    v.cbSNMP4 = ticked("cbSNMP4");
    v.cbSNMP4En = ticked("cbSNMP4En");
    v.cbReadComu = ticked("cbReadComu");
    v.cbWriteComu = ticked("cbWriteComu");
    return v;
}

// The main window shows the network section of the last status record;
// its panels are empty before the first.
std::optional<NetworkSettingsValues> TForm1::Reported() const
{
    if (area_.Text("pnlIP1").empty())
        return std::nullopt;
    return ReadShown([this](const QString& edit) { return area_.Text(PanelOf(edit)); },
                     [this](const char*, const char* box) { return area_.IsChecked(box); });
}

NetworkSettingsValues TForm1::ReadShown(const std::function<std::string(const QString& edit)>& text,
                                        const std::function<bool(const char* group, const char* box)>& on) const
{
    NetworkSettingsValues v;
    for (int i = 0; i < 6; ++i)
        v.mac[static_cast<std::size_t>(i)] = text(Name("edtMAC", i + 1));
    const auto octets = [&](const std::vector<QString>& names) {
        OctetTexts texts;
        for (std::size_t i = 0; i < texts.size(); ++i)
            texts[i] = text(names[i]);
        return texts;
    };
    v.ip = octets(Octets("edtIP"));
    v.gateway = octets(Octets("edtGW"));
    v.subnetMask = octets(Octets("edtSM"));
    v.tcpip1 = octets(Octets("edtSVIP1"));
    v.tcpip2 = octets(Octets("edtSVIP2"));
    for (int m = 1; m <= 4; ++m)
        v.snmp[static_cast<std::size_t>(m - 1)] = octets(ManagerOctets(m));
    bool* const switchesOn[] = {&v.tcpip1On, &v.tcpip2On, &v.snmpOn[0], &v.snmpOn[1], &v.snmpOn[2], &v.snmpOn[3]};
    for (std::size_t i = 0; i < std::size(Switches); ++i)
        *switchesOn[i] = on(Switches[i].first, Switches[i].second);
    v.readCommunity = text(QStringLiteral("edtReadComuni"));
    v.writeCommunity = text(QStringLiteral("edtWriteComuni"));
    return v;
}

void TForm1::btnSettingClick()
{
    scheduler_.PostCommand(KindNetwork, NetworkSettingsPayload(ReadValues(), Reported()));
    SetApplyBoxes(applyBoxes_, false);
}

// The MAC address is applied only when its box is ticked by hand.
void TForm1::btnSeletAllClick()
{
    for (QCheckBox* box : applyBoxes_)
        if (box->objectName() != QLatin1String("cbMAC"))
            box->setChecked(true);
}

void TForm1::BitBtn3Click()
{
    const FactoryAddress addresses[] = {
        {"edtIP", {192, 168, 1, 100}},    {"edtGW", {192, 168, 1, 1}},      {"edtSM", {255, 255, 255, 0}},
        {"edtSVIP1", {192, 168, 1, 101}}, {"edtSVIP2", {192, 168, 1, 102}},
    };
    for (const FactoryAddress& a : addresses) {
        const std::vector<QString> names = Octets(a.edits);
        for (int i = 0; i < 4; ++i)
            Edit(names[static_cast<std::size_t>(i)])->setText(QString::number(a.octets[i]));
    }
    for (int m = 1; m <= 4; ++m) {
        const std::vector<QString> names = ManagerOctets(m);
        const int octets[] = {192, 168, 1, 102 + m};
        for (int i = 0; i < 4; ++i)
            Edit(names[static_cast<std::size_t>(i)])->setText(QString::number(octets[i]));
    }
    const char* mac[] = {"02", "00", "00", "00", "63", "80"};
    for (int i = 0; i < 6; ++i)
        Edit(Name("edtMAC", i + 1))->setText(QString::fromLatin1(mac[i]));
    Group("rgTCPIP1")->SetItemIndex(1);
    Group("rgTCPIP2")->SetItemIndex(0);
    Group("rgSNMP1")->SetItemIndex(1);
    for (const char* name : {"rgSNMP2", "rgSNMP3", "rgSNMP4"})
        Group(name)->SetItemIndex(0);
    Edit(QStringLiteral("edtReadComuni"))->setText(QStringLiteral("vantor"));
    Edit(QStringLiteral("edtWriteComuni"))->setText(QStringLiteral("quillet"));
}

void TForm1::btnExitClick()
{
    scheduler_.Release();
    reject();
}

} // namespace zelt
