#include "history/TfrmHistList.h"

#include <QPlainTextEdit>
#include <QStringList>
#include <QVBoxLayout>

namespace zelt {

namespace {

const QColor ToolTipYellow(255, 255, 225);

const char* const ListLines[] = {
    "        ( Measurement List )",
    "",
    " DC(V) : DC Output Voltage",
    " LC(A)  : DC Load Current",
    " BC(A)  : Battery Current",
    " BT(C)  : Battery Temperature",
    " BL1(V) : Battery Left1 Voltage",
    " BR1(V) : Battery Right1 Voltage",
    " BL2(V) : Battery Left2 Voltage",
    " BR2(V) : Battery Right2 Voltage",
    "------------------------------------------",
    "           ( Alarm List )",
    "",
    " AF : AC Input Fail",
    " OV : DC High Voltage",
    " UV : DC Low Voltage",
    " BE :  Battery Low Voltage",
    " BR1 : Battry1 Breaker Open",
    " BF1 : LVD1 Open",
    " BR2 : Battry2 Breaker Open",
    " BF2 : LVD2 Open",
    " U1~4 : Unit1~4 Fail",
    " DN : DC Breaker Open ",
    " BP :  Battery Temp. Sensor Fail",
    " RP :  Rack Temp. Sensor Fail",
    " R1 : Battery Right1 Fail ",
    " L1 : Battery Left1 Fail ",
    " R2 : Battery Right2 Fail ",
    " L2 : Battery Left2 Fail ",
    " CMU : Alarm B'd Communication Fail",
    " DCH : Battery Discharge Fail",
    " cfg : Shelf Configuration Fail",
    " AFU : AC#1 (Upper) Voltage Fail",
    " AFL : AC#2 (Lower) Voltage Fail",
    " B1HT : Battery1 High Temp.",
    " B1LT : Battery1 Low Temp.",
    " B2HT : Battery2 High Temp.",
    " B2LT : Battery2 Low Temp.",
    "",
    "------------------------------------------",
    "       ",
};

} // namespace

TfrmHistList::TfrmHistList(QWidget* parent) : QWidget(parent, Qt::Window), memo1_(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("frmHistList"));
    setWindowTitle(QStringLiteral("LIST"));
    resize(300, 640);
    QStringList lines;
    for (const char* line : ListLines)
        lines.append(QString::fromLatin1(line));
    memo1_->setObjectName(QStringLiteral("Memo1"));
    memo1_->setPlainText(lines.join(QLatin1Char('\n')));
    memo1_->setReadOnly(true);
    QPalette palette = memo1_->palette();
    palette.setColor(QPalette::Base, ToolTipYellow);
    memo1_->setPalette(palette);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(memo1_);
}

} // namespace zelt
