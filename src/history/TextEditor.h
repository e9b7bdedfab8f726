#pragma once

// Opening a saved text file from the history window: only a plain text
// file, and only with the program the desktop registers for plain text,
// never with whatever the file's own type would start.

#include <QString>
#include <QStringList>

#include <optional>

namespace zelt {

struct LaunchCommand {
    QString program;
    QStringList arguments;
};

// True when the file is text/plain by its name and by its content alike.
// Types derived from plain text (desktop entries, scripts) do not count.
bool IsPlainTextFile(const QString& path);

// The command line that opens path in the program registered for
// text/plain: the first usable desktop entry named for it in the mimeapps.list
// files of the XDG config and applications folders, then in their
// mimeinfo.cache. None when no usable program is registered.
std::optional<LaunchCommand> TextEditorCommand(const QString& path);

} // namespace zelt
