#include "app/Startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    const auto runtimeFolder = zelt::PrivateRuntimeFolder();
    // The console takes no options: the toolkit sees only the program name.
    int toolkitArgc = argc > 0 ? 1 : 0;
    QApplication app(toolkitArgc, argv);
    QApplication::setApplicationName(QStringLiteral("zelt6380"));
    const zelt::ConsoleWindows windows = zelt::StartConsole();
    return QApplication::exec();
}
