#include "trend/DischargeList.h"

#include "trend/DischargeChart.h"
#include "trend/DischargeReport.h"
#include "ui/MessageBox.h"
#include "ui/StandardError.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QGraphicsLayout>
#include <QValueAxis>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>
#include <exception>

namespace zelt {

namespace {

constexpr int StartColumn = 1;
constexpr int TempColumn = 12;
constexpr double LowestEnteredTemp = -10;
constexpr double HighestEnteredTemp = 60;

bool SameBasis(const CapacityBasis& a, const CapacityBasis& b)
{
    return a.EndVolt == b.EndVolt && a.Strings == b.Strings && a.FirstType == b.FirstType && a.RatedAh == b.RatedAh;
}

QString DocumentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

// Where the site name is kept: the console's settings file.
const QString SiteKey = QStringLiteral("report/siteName");

} // namespace

DischargeList::DischargeList(const TrendWindow::Links& links, std::function<std::string()> shown, QWidget* parent)
    : QWidget(parent)
    , links_(links)
    , shownPlant_(std::move(shown))
{
    setObjectName(QStringLiteral("DischargeList"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("Discharges"), this));
    csv_ = new QPushButton(QStringLiteral("Export CSV"), this);
    pdf_ = new QPushButton(QStringLiteral("Export PDF"), this);
    use_ = new QPushButton(QStringLiteral("Use as This DT Capacity"), this);
    for (QPushButton* button : {csv_, pdf_, use_}) {
        button->setEnabled(false);
        bar->addWidget(button);
    }
    saved_ = new QLabel(this);
    saved_->setObjectName(QStringLiteral("lblSaved"));
    // A long path is elided: the window never grows for it.
    saved_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(saved_, 1);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblDischargeStatus"));
    bar->addWidget(status_, 1);
    layout->addLayout(bar);

    auto* split = new QSplitter(Qt::Horizontal, this);
    table_ = new QTableWidget(0, static_cast<int>(SummaryTitles().size()), split);
    table_->setObjectName(QStringLiteral("tblDischarges"));
    table_->setHorizontalHeaderLabels(SummaryTitles());
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    table_->verticalHeader()->hide();
    chart_ = new QChartView(NewDischargeChart({}), split);
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumSize(360, 170);
    split->addWidget(table_);
    split->addWidget(chart_);
    // The table takes the room its verdict columns need.
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split);

    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { RunGuarded([this] { ShowSelected(); }); });
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        RunGuarded([this, item] {
            if (item->column() == TempColumn)
                EnterTemp(item->row(), item->text());
        });
    });
    connect(csv_, &QPushButton::clicked, this, [this] { RunGuarded([this] { ExportCsv(DocumentsFolder()); }); });
    connect(pdf_, &QPushButton::clicked, this, [this] { RunGuarded([this] { ExportPdf(DocumentsFolder()); }); });
    connect(use_, &QPushButton::clicked, this, [this] { RunGuarded([this] { UseSelected(); }); });
    refresh_.setInterval(5000);
    connect(&refresh_, &QTimer::timeout, this, [this] { RunGuarded([this] { Refresh(); }); });
}

DischargeList::~DischargeList() = default;

QString DischargeList::StatusText() const
{
    return status_->text();
}

void DischargeList::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    RunGuarded([this] { Refresh(); });
    refresh_.start();
}

void DischargeList::hideEvent(QHideEvent* event)
{
    refresh_.stop();
    QWidget::hideEvent(event);
}

void DischargeList::Refresh()
{
    // Rows rebuilt now would end the operator's edit: its editor lives on the viewport.
    if (const QWidget* focus = QApplication::focusWidget(); focus != nullptr && table_->viewport()->isAncestorOf(focus))
        return;
    try {
        if (!store_) {
            auto store = std::make_unique<SessionStore>(
                links_.DatabasePath, QStringLiteral("discharges-%1").arg(reinterpret_cast<quintptr>(this)));
            store->Open();
            store_ = std::move(store);
        }
        const std::string plant = shownPlant_();
        // Samples recorded without their basis are measured against the
        // attached plant's, never another's.
        const CapacityBasis basis = links_.Basis && plant == links_.Plant() ? links_.Basis() : CapacityBasis{};
        if (plant != plant_ || !SameBasis(basis, basis_)) {
            plant_ = plant;
            basis_ = basis;
            found_.clear();
        }
        // What has ended stays as measured; the search goes on behind it.
        while (!found_.empty() && found_.back().Ongoing)
            found_.pop_back();
        const std::int64_t from = found_.empty() ? 0 : found_.back().Figures.EndMs + 1;
        for (FoundDischarge& d : ScanDischarges(*store_, plant_, from, links_.Clock(), links_.Detection, basis_, links_.Correction))
            found_.push_back(std::move(d));
        status_->clear();
    } catch (const std::exception& e) {
        status_->setText(QString::fromStdString(e.what()));
    }
    ShowRows();
}

void DischargeList::ShowRows()
{
    const std::int64_t selectedStart = Selected() ? Selected()->Figures.StartMs : -1;
    {
        const QSignalBlocker quiet(table_);
        table_->clearSelection();
        table_->setRowCount(static_cast<int>(found_.size()));
        for (std::size_t row = 0; row < found_.size(); ++row) {
            QStringList texts = SummaryTexts(found_[row]);
            texts[StartColumn] =
                QDateTime::fromMSecsSinceEpoch(found_[row].Figures.StartMs).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
            for (qsizetype column = 0; column < texts.size(); ++column) {
                auto* item = new QTableWidgetItem(texts[column]);
                if (column != TempColumn)
                    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
                table_->setItem(static_cast<int>(row), static_cast<int>(column), item);
            }
            if (found_[row].Figures.StartMs == selectedStart)
                table_->selectRow(static_cast<int>(row));
        }
        table_->resizeColumnsToContents();
    }
    ShowSelected();
}

const FoundDischarge* DischargeList::Selected() const
{
    const QList<QTableWidgetSelectionRange> ranges = table_->selectedRanges();
    if (ranges.isEmpty())
        return nullptr;
    const auto row = static_cast<std::size_t>(ranges.front().topRow());
    return row < found_.size() ? &found_[row] : nullptr;
}

void DischargeList::ShowSelected()
{
    const FoundDischarge* d = Selected();
    const std::pair<std::int64_t, std::int64_t> span =
        d != nullptr ? std::pair(d->Figures.StartMs, d->Figures.EndMs) : std::pair<std::int64_t, std::int64_t>(-1, -1);
    if (span != shown_) {
        shown_ = span;
        samples_.clear();
        try {
            if (d != nullptr && store_)
                samples_ = store_->Samples(plant_, span.first, span.second + 1);
        } catch (const std::exception& e) {
            status_->setText(QString::fromStdString(e.what()));
        }
        QChart* old = chart_->chart();
        QChart* chart = NewDischargeChart(samples_);
        // Small beside the list: no legend, and only the DC bus and current
        // scales (the report prints them all), in small print with fewer ticks.
        chart->legend()->hide();
        chart->layout()->setContentsMargins(0, 0, 0, 0);
        for (QAbstractAxis* axis : chart->axes()) {
            QFont small = axis->labelsFont();
            small.setPointSize(7);
            axis->setLabelsFont(small);
            axis->setTitleFont(small);
            auto* values = qobject_cast<QValueAxis*>(axis);
            if (axis->orientation() == Qt::Vertical && values != nullptr)
                SetRoundTicks(values, values->min(), values->max(), 3);
            if (axis->titleText() == QLatin1String("Block V") || axis->titleText() == QStringLiteral("\u00b0C"))
                axis->hide();
        }
        chart_->setChart(chart);
        delete old;
    }
    csv_->setEnabled(d != nullptr);
    pdf_->setEnabled(d != nullptr);
    QString refusal;
    if (d != nullptr && plant_ != links_.Plant())
        refusal = QStringLiteral("This test is of another plant than the one attached");
    else if (d != nullptr && d->Kind != DischargeKind::Test)
        refusal = QStringLiteral("Only a complete test can be used; this is labelled \"%1\"").arg(KindText(d->Kind));
    else if (d != nullptr && !d->Figures.Withheld.empty())
        refusal = QStringLiteral("No verdict: ") + QString::fromStdString(d->Figures.Withheld);
    else if (d != nullptr && !d->Figures.C25)
        refusal = QStringLiteral("The end voltage was not reached");
    use_->setEnabled(d != nullptr && refusal.isEmpty() && links_.UseAsDtCapacity);
    use_->setToolTip(refusal);
}

void DischargeList::ExportCsv(const QString& folder)
{
    const FoundDischarge* d = Selected();
    if (d == nullptr)
        return;
    const std::optional<QString> site = Site();
    if (!site)
        return;
    try {
        ShowSaved(SaveCsvReport(folder, *site, plant_, *d, samples_).join(QStringLiteral(", ")));
    } catch (const std::exception& e) {
        ShowMessage(MessageKind::Error, QStringLiteral("The CSV files could not be saved."), QString::fromStdString(e.what()),
                    this);
    }
}

void DischargeList::ExportPdf(const QString& folder)
{
    const FoundDischarge* d = Selected();
    if (d == nullptr)
        return;
    const std::optional<QString> site = Site();
    if (!site)
        return;
    try {
        ShowSaved(SavePdfReport(folder, *site, plant_, *d, samples_));
    } catch (const std::exception& e) {
        ShowMessage(MessageKind::Error, QStringLiteral("The PDF file could not be saved."), QString::fromStdString(e.what()),
                    this);
    }
}

std::optional<QString> DischargeList::Site()
{
    QSettings file(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zelt6380"), QStringLiteral("zelt6380"));
    const QString site = file.value(SiteKey).toString().trimmed();
    if (!site.isEmpty())
        return site;
    bool ok = false;
    const QString entered = QInputDialog::getText(this, QStringLiteral("Site name"),
                                                  QStringLiteral("The site's name, printed on every report:"),
                                                  QLineEdit::Normal, {}, &ok)
                                .trimmed();
    if (!ok)
        return std::nullopt;
    file.setValue(SiteKey, entered);
    return entered;
}

void DischargeList::ShowSaved(const QString& paths)
{
    const QString text = QStringLiteral("Saved ") + paths;
    saved_->setToolTip(text);
    saved_->setText(saved_->fontMetrics().elidedText(text, Qt::ElideMiddle, std::max(saved_->width(), 1)));
}

void DischargeList::UseSelected()
{
    const FoundDischarge* d = Selected();
    if (d != nullptr && d->Figures.C25)
        links_.UseAsDtCapacity(static_cast<int>(std::lround(*d->Figures.C25)));
}

bool DischargeList::EnterTemp(int row, const QString& text)
{
    if (row < 0 || static_cast<std::size_t>(row) >= found_.size() || !store_)
        return false;
    const FoundDischarge& d = found_[static_cast<std::size_t>(row)];
    const QString trimmed = text.trimmed();
    bool ok = true;
    const double temp = trimmed.isEmpty() ? 0 : trimmed.toDouble(&ok);
    if (!ok || temp < LowestEnteredTemp || temp > HighestEnteredTemp) {
        status_->setText(QStringLiteral("The battery temperature must be a number from %1 to %2 \u00b0C, not \"%3\"")
                             .arg(LowestEnteredTemp)
                             .arg(HighestEnteredTemp)
                             .arg(trimmed));
        if (QTableWidgetItem* item = table_->item(row, TempColumn)) {
            const QSignalBlocker quiet(table_);
            item->setText(SummaryTexts(d)[TempColumn]);
        }
        return false;
    }
    store_->SetEnteredTemp(plant_, d.Figures.StartMs, trimmed.isEmpty() ? std::nullopt : std::optional(temp));
    found_.clear();
    // The rows are rebuilt once the edit has closed.
    QTimer::singleShot(0, this, [this] { RunGuarded([this] { Refresh(); }); });
    return true;
}

} // namespace zelt
