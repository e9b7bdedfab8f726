#include "history/HistoryDownload.h"

#include "ui/MessageBox.h"
#include "history/HistoryRecord.h"
#include "history/StringGrid.h"
#include "history/TfrmHistory.h"
#include "protocol/FieldText.h"

namespace zelt {

HistoryDownload::HistoryDownload(RequestScheduler& scheduler, QTimer& timer1, HistoryLine line)
    : scheduler_(scheduler), timer1_(timer1), line_(std::move(line))
{
}

void HistoryDownload::Start()
{
    scheduler_.RequestKind = KindHistory;
    HistoryRow = 1;
    HistoryState = 2;
    scheduler_.HistoryPollCount = 0;
}

void HistoryDownload::ClearGrid()
{
    if (window_ == nullptr)
        return;
    TStringGrid& grid = window_->Grid();
    grid.SetRowCount(HistoryMax + 1);
    grid.ClearRows(grid.RowCount() - 1);
}

void HistoryDownload::Restart()
{
    HistoryRow = 1;
    // A restarted download gives its first row three requests, as every row.
    scheduler_.HistoryPollCount = 0;
    scheduler_.RequestKind = KindHistory;
    if (line_.isConnected())
        timer1_.start();
    else
        EndWithoutAnswer(true);
}

void HistoryDownload::ResumeScheduler()
{
    if (line_.isConnected())
        timer1_.start();
    else
        timer1_.stop();
}

void HistoryDownload::History_polling()
{
    HistoryMax = 200;
    if (window_ == nullptr)
        return;
    window_->setWindowTitle(QStringLiteral("Alarm History Data"));
    window_->Grid().ScrollToOrigin();
    if (HistoryRow > HistoryMax) {
        timer1_.stop();
        window_->ShowDownloadStopped();
        return;
    }
    // A port closed under the download fails every write: the download ends
    // once, as without answer, instead of an error at every tick.
    if (scheduler_.HistoryPollCount >= 3 || !line_.isOpen()) {
        EndWithoutAnswer(true);
        return;
    }
    line_.sendFrame("H" + PadNumber(HistoryRow, 3));
}

void HistoryDownload::EndWithoutAnswer(bool tellOperator)
{
    timer1_.stop();
    scheduler_.HistoryPollCount = 0;
    HistoryState = 0;
    if (tellOperator)
        ShowMessage(MessageKind::Error, QString::fromLatin1(NoHistoryMessage), {}, window_);
    if (window_ != nullptr)
        window_->ShowDownloadStopped();
}

void HistoryDownload::PortClosed()
{
    if (scheduler_.RequestKind == KindHistory && timer1_.isActive())
        EndWithoutAnswer(false);
}

void HistoryDownload::History_Display(const std::string& rxBody)
{
    // Only a download asks for records: one arriving after the window has
    // closed must not stop the scheduler or write into a closed grid.
    if (scheduler_.RequestKind != KindHistory || window_ == nullptr)
        return;
    const HistoryHead head = ReadHistoryHead(rxBody);
    if ((head.number & 0xFF) != (HistoryRow & 0xFF))
        return;
    History_Packet(rxBody, head.number);
    if (head.Last()) {
        timer1_.stop();
        ShowMessage(MessageKind::Information,
                           QString::number(head.number) + QStringLiteral(" History data\rare Saved!!"), {}, window_);
        window_->ShowDownloadStopped();
        return;
    }
    HistoryRow += 1;
    scheduler_.HistoryPollCount = 0;
}

void HistoryDownload::History_Packet(const std::string& rxBody, std::int32_t number)
{
    TStringGrid& grid = window_->Grid();
    const auto measurements = HistoryMeasurementTexts(rxBody, number);
    for (std::size_t c = 0; c < measurements.size(); ++c)
        grid.SetCell(static_cast<int>(c), HistoryRow, QString::fromLatin1(measurements[c]));
    const auto alarms = HistoryAlarmTexts(rxBody);
    for (std::size_t c = 0; c < alarms.size(); ++c)
        grid.SetCell(static_cast<int>(c + 11), HistoryRow, QString::fromLatin1(alarms[c]));
}

} // namespace zelt
