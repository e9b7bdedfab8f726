#include "history/TextEditor.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>

namespace zelt {

namespace {

const QString PlainText = QStringLiteral("text/plain");

// The value of key in the [group] of an ini-style file (mimeapps.list, a
// desktop entry); empty when absent.
QString IniValue(const QString& file, const QString& group, const QString& key)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inGroup = false;
    while (!in.atEnd()) {
        const QString line = QString::fromUtf8(in.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1Char('[') + group + QLatin1Char(']');
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (inGroup && equals > 0 && line.left(equals).trimmed() == key)
            return line.mid(equals + 1).trimmed();
    }
    return {};
}

// Desktop entry ids registered for text/plain, in order of preference.
QStringList RegisteredEntries()
{
    const QStringList applicationDirs = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    QStringList lists;
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        lists << dir + QStringLiteral("/mimeapps.list");
    for (const QString& dir : applicationDirs)
        lists << dir + QStringLiteral("/mimeapps.list");
    QStringList ids;
    for (const QString& group : {QStringLiteral("Default Applications"), QStringLiteral("Added Associations")})
        for (const QString& list : lists)
            ids << IniValue(list, group, PlainText).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& dir : applicationDirs)
        ids << IniValue(dir + QStringLiteral("/mimeinfo.cache"), QStringLiteral("MIME Cache"), PlainText)
                   .split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return ids;
}

// A string value of a desktop entry with its escapes (\s, \n, \t, \r, \\) resolved;
// any other backslash stays for the quoting rules of Exec.
QString Unescape(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        const qsizetype known = QStringLiteral("sntr\\").indexOf(next);
        if (known >= 0) {
            out += QStringLiteral(" \n\t\r\\")[known];
        } else {
            out += QLatin1Char('\\');
            out += next;
        }
    }
    return out;
}

// The Exec line cut into arguments: blanks separate them, double quotes keep
// them together, and inside quotes a backslash takes the next character.
QStringList SplitExec(const QString& exec)
{
    QStringList args;
    QString current;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted && c == QLatin1Char('\\') && i + 1 < exec.size()) {
            current += exec[++i];
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
            any = true;
        } else if (!quoted && c == QLatin1Char(' ')) {
            if (any || !current.isEmpty())
                args << current;
            current.clear();
            any = false;
        } else {
            current += c;
        }
    }
    if (any || !current.isEmpty())
        args << current;
    return args;
}

// The arguments with the file in place of its field code (%f, %F, %u, %U),
// "%%" as "%", and every other field code dropped; the file goes last when
// no code asks for it.
QStringList ExpandFieldCodes(const QStringList& args, const QString& path)
{
    QStringList out;
    bool fileGiven = false;
    for (const QString& arg : args) {
        QString expanded;
        bool codeOnly = true;
        for (qsizetype i = 0; i < arg.size(); ++i) {
            if (arg[i] != QLatin1Char('%') || i + 1 == arg.size()) {
                expanded += arg[i];
                codeOnly = false;
                continue;
            }
            const QChar code = arg[++i];
            if (code == QLatin1Char('%')) {
                expanded += QLatin1Char('%');
                codeOnly = false;
            } else if (QStringLiteral("fFuU").contains(code)) {
                expanded += path;
                fileGiven = true;
                codeOnly = false;
            }
        }
        if (!codeOnly)
            out << expanded;
    }
    if (!fileGiven)
        out << path;
    return out;
}

// The command of a desktop entry, or none when it cannot start a windowed
// program (hidden, meant for a terminal, or without a command).
std::optional<LaunchCommand> EntryCommand(const QString& id, const QString& path)
{
    const QString file = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
    if (file.isEmpty())
        return std::nullopt;
    const QString group = QStringLiteral("Desktop Entry");
    if (IniValue(file, group, QStringLiteral("Hidden")) == QLatin1String("true")
        || IniValue(file, group, QStringLiteral("Terminal")) == QLatin1String("true"))
        return std::nullopt;
    QStringList args = SplitExec(Unescape(IniValue(file, group, QStringLiteral("Exec"))));
    // The program itself is never taken from a field code.
    if (args.isEmpty() || args.constFirst().contains(QLatin1Char('%')))
        return std::nullopt;
    LaunchCommand command;
    command.program = args.takeFirst();
    command.arguments = ExpandFieldCodes(args, path);
    return command;
}

} // namespace

bool IsPlainTextFile(const QString& path)
{
    const QMimeDatabase db;
    return QFileInfo(path).isFile() && db.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name() == PlainText
        && db.mimeTypeForFile(path, QMimeDatabase::MatchContent).name() == PlainText;
}

std::optional<LaunchCommand> TextEditorCommand(const QString& path)
{
    for (const QString& id : RegisteredEntries())
        if (auto command = EntryCommand(id, path))
            return command;
    return std::nullopt;
}

} // namespace zelt
