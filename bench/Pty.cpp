#include "Pty.h"

#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace zelt::bench {

PtyPair::PtyPair()
{
    char name[128] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master, &slave, name, &raw, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    slavePath = name;
}

PtyPair::~PtyPair()
{
    close(master);
    close(slave);
}

} // namespace zelt::bench
