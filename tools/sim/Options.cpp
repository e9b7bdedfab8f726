#include "sim/Options.h"

#include "sim/PortAlias.h"

#include <cctype>
#include <stdexcept>

namespace zelt::sim {

namespace {

BatteryBook ParseBattery(const std::string& text)
{
    const std::pair<const char*, BatteryBook> names[] = {
        {"good", BatteryBook::Good}, {"degraded", BatteryBook::Degraded}, {"low", BatteryBook::Low},
        {"none", BatteryBook::None}, {"no-strings", BatteryBook::NoStrings}};
    for (const auto& [name, book] : names)
        if (text == name)
            return book;
    throw std::invalid_argument("--battery needs good, degraded, low, none or no-strings, not '" + text + "'");
}

int ParseWhole(const std::string& option, const std::string& text, int low, int high)
{
    std::size_t used = 0;
    int value = -1;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || value < low || value > high)
        throw std::invalid_argument(option + " needs a number from " + std::to_string(low) + " to "
                                    + std::to_string(high) + ", not '" + text + "'");
    return value;
}

double ParseRate(const std::string& text)
{
    std::size_t used = 0;
    double value = 0;
    try {
        value = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    // A record set takes about a tenth of a second on the line: five a second
    // still leave it room for the answers.
    if (used != text.size() || !(value >= 0.1 && value <= 5))
        throw std::invalid_argument("--rate needs record sets per second from 0.1 to 5, not '" + text + "'");
    return value;
}

// "00:50:C2:a1:b2:c3" as the record's twelve upper-case digits.
std::string ParseMac(const std::string& text)
{
    std::string digits;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool separator = i % 3 == 2;
        if (separator ? c != ':' : std::isxdigit(static_cast<unsigned char>(c)) == 0) {
            digits.clear();
            break;
        }
        if (!separator)
            digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (text.size() != 17 || digits.size() != 12)
        throw std::invalid_argument("--mac needs six hexadecimal pairs such as 00:50:C2:A1:B2:C3, not '" + text + "'");
    return digits;
}

} // namespace

SimOptions ParseOptions(const std::vector<std::string>& args)
{
    SimOptions options;
    bool portGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw std::invalid_argument(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--port") {
            options.port = value();
            portGiven = true;
            if (!IsPortName(options.port))
                throw std::invalid_argument("--port needs COM1 to COM8, not '" + options.port + "'");
        } else if (arg == "--device") {
            options.device = value();
        } else if (arg == "--listen") {
            const std::string text = value();
            std::size_t used = 0;
            try {
                options.listen = std::stoi(text, &used);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used != text.size() || options.listen < 1 || options.listen > 65535)
                throw std::invalid_argument("--listen needs a TCP port from 1 to 65535, not '" + text + "'");
        } else if (arg == "--history") {
            options.scenario.historyCount = ParseWhole(arg, value(), 0, static_cast<int>(HistoryCapacity));
        } else if (arg == "--history-silent-from") {
            options.scenario.historySilentFrom = ParseWhole(arg, value(), 1, static_cast<int>(HistoryCapacity));
        } else if (arg == "--rate") {
            options.scenario.rate = ParseRate(value());
        } else if (arg == "--silent") {
            options.scenario.silent = true;
        } else if (arg == "--nak") {
            options.scenario.nak = true;
        } else if (arg == "--alarms") {
            options.scenario.alarms = true;
        } else if (arg == "--battery-due") {
            options.scenario.batteryDue = true;
        } else if (arg == "--battery") {
            options.scenario.battery = ParseBattery(value());
        } else if (arg == "--noise") {
            options.scenario.noise = true;
        } else if (arg == "--discharge") {
            // From 20 minutes: the current for the largest plant stays within the record's three digits.
            options.scenario.dischargeMinutes = ParseWhole(arg, value(), 20, 600);
        } else if (arg == "--capacity") {
            options.scenario.capacityPercent = ParseWhole(arg, value(), 1, 100);
        } else if (arg == "--mac") {
            options.scenario.mac = ParseMac(value());
        } else if (arg == "--discharge-partial") {
            options.scenario.dischargePartial = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else {
            throw std::invalid_argument("unknown option '" + arg + "'");
        }
    }
    if (int(portGiven) + int(!options.device.empty()) + int(options.listen != 0) > 1)
        throw std::invalid_argument("use one of --port, --device and --listen");
    return options;
}

std::string UsageText()
{
    return "usage: zelt6380-sim [--port COMn | --device PATH | --listen PORT] [scenario flags]\n"
           "Plays the plant controller for the console on a pseudo-terminal published\n"
           "as a port alias (default COM1), on a real serial device or on a TCP port.\n"
           "  --port COMn     alias to publish, COM1 to COM8 (default COM1)\n"
           "  --device PATH   use a serial device instead (null-modem cable), 57600 8N1\n"
           "  --listen PORT   serve a raw TCP stream on 127.0.0.1:PORT instead, one\n"
           "                  client at a time (the console opens tcp://localhost:PORT)\n"
           "  --history N     alarm history records, 0 to 200 (default 25; 0 answers nothing)\n"
           "  --history-silent-from N\n"
           "                  answer no history request from record N (1 to 200) on\n"
           "  --silent        never acknowledge a command\n"
           "  --nak           acknowledge every command with \"0\" and apply nothing\n"
           "  --alarms        cycle alarms: AC fail on unit 2, battery 1 breaker open, discharge\n"
           "  --battery-due   a battery test due in about 30 days (raises the battery alert)\n"
           "  --battery B     the last battery test: good (default), degraded, low, none\n"
           "                  (never tested) or no-strings (no battery strings)\n"
           "  --noise         garbage bytes and frames with bad checksums between records\n"
           "  --rate F        record sets (R, K, U) per second, 0.1 to 5 (default 1)\n"
           "  --discharge MIN a battery discharge test one minute after start, reaching the\n"
           "                  abort voltage after MIN minutes (20 to 600); SIGUSR1 starts one at once\n"
           "  --capacity PCT  share of the rated capacity the battery holds, 1 to 100 (default 95)\n"
           "  --discharge-partial\n"
           "                  stop the discharge test at half time\n"
           "  --mac XX:XX:XX:XX:XX:XX\n"
           "                  the MAC address the controller reports (default 00:50:C2:A1:B2:C3)\n"
           "  -h, --help      print this text and exit\n";
}

} // namespace zelt::sim
