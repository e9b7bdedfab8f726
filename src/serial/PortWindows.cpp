#include "serial/PortWindows.h"

#include "serial/ComPort.h"
#include "serial/ConnectBox.h"
#include "serial/PortNames.h"
#include "ui/StandardError.h"

namespace zelt {

void ShowPortInWindows(TCustomComPort& port)
{
    port.SetErrorSink([&port](const std::string& message) {
        ShowStandardError(QString::fromLocal8Bit(message.data(), static_cast<qsizetype>(message.size())),
                          LineTitle(port.DeviceName()));
    });
    port.SetLineConnector(ConnectWithBox);
}

} // namespace zelt
