// Feeds arbitrary bytes to the frame receiver and every status frame it cuts
// to its decoder, with a real status area attached, every 'H' record to a
// running history download with its window, and every battery test reply to
// the battery discharge test window, whose tick then applies it. Only a
// conversion error may leave a decoder or the tick; anything else ends the
// run as a crash.

#include "battery/TBattDisch.h"
#include "battery/TfrmShow.h"
#include "history/HistoryDownload.h"
#include "ui/MessageBox.h"
#include "history/HistoryRecord.h"
#include "history/StringGrid.h"
#include "history/TfrmHistList.h"
#include "history/TfrmHistory.h"
#include "protocol/FieldText.h"
#include "protocol/FrameCodec.h"
#include "protocol/Scheduler.h"
#include "status/StatusMonitor.h"
#include "ui/StandardError.h"

#include <QApplication>
#include <QTabWidget>
#include <QTimer>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

zelt::StatusMonitor* monitor = nullptr;
zelt::TfrmShow* frmShow = nullptr;
zelt::TBattDisch* battDisch = nullptr;
std::uint8_t testAlertShown = 0;
zelt::RequestScheduler* scheduler = nullptr;
QTimer* timer1 = nullptr;
zelt::HistoryDownload* download = nullptr;

void Dispatch(zelt::FrameReceiver& rx)
{
    if (rx.FrameReady != 1)
        return;
    rx.FrameReady = 0;
    if (!rx.CutFrame())
        return;
    try {
        switch (rx.RxType) {
        case 'R': monitor->DecodeRectifierStatus(rx.RxBody); break;
        case 'K': monitor->DecodeAlarmStatus(rx.RxBody); break;
        case 'U': monitor->DecodeUnitStatus(rx.RxBody); break;
        case 'H': download->History_Display(rx.RxBody); break;
        case 'L':
            battDisch->HandleBattTestReply(rx.RxBody);
            battDisch->ApplyBattTestBody();
            break;
        default: break;
        }
    } catch (const zelt::EConvertError&) {
        // What the dispatcher would show in the error box.
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv);
    auto* pages = new QTabWidget;
    frmShow = new zelt::TfrmShow(testAlertShown);
    monitor = new zelt::StatusMonitor(*pages, testAlertShown, *frmShow);
    scheduler = new zelt::RequestScheduler;
    battDisch = new zelt::TBattDisch(zelt::BattDischLinks{*scheduler, monitor->Snapshot(), monitor->Area(), *frmShow,
                                                          testAlertShown, [](const QString&) {}, [] { return true; }});
    zelt::SetStandardErrorSink([](const QString&) {});
    zelt::SetMessageSink([](zelt::MessageKind, const QString&, const QString&) {});
    timer1 = new QTimer;
    download = new zelt::HistoryDownload(*scheduler, *timer1,
                                         {[](const std::string&) {}, [] { return true; }, [] { return true; }});
    new zelt::TfrmHistory(*download, *new zelt::TfrmHistList);
    return 0;
}

// Input: one mode byte, then the data. Mode bit 0 set: the data is a frame
// body (type letter and payload) and is framed with a valid checksum first,
// so that mutations reach the decoders; clear: the data is the raw line.
// The upper bits choose the size of the reads the line is delivered in.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t mode = data[0];
    std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    if ((mode & 1) != 0)
        line = zelt::EncodeFrame(line);
    const std::size_t readSize = (mode >> 1) + 1;

    testAlertShown = 0;
    // A download that has just started: records fill the grid from row 1.
    download->Start();
    download->Window()->Grid().ClearRows(zelt::HistoryPageRows);
    zelt::FrameReceiver rx;
    for (std::size_t at = 0; at < line.size(); at += readSize) {
        rx.Assemble(std::string_view(line).substr(at, readSize));
        do
            Dispatch(rx);
        while (rx.NextFrame());
    }
    if (frmShow->isVisible())
        frmShow->hide();
    return 0;
}
