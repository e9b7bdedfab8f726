// Which program opens a text file: the desktop's registration for text/plain
// read from a desktop of the test's own, and the Exec line made into a
// command for the file.

#include "FakeDesktop.h"

#include "history/TextEditor.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace zelt;
using namespace zelt::test;

namespace {

QByteArray Entry(const QByteArray& exec, const QByteArray& extra = {})
{
    return "[Desktop Entry]\nType=Application\nName=E\n" + extra + "Exec=" + exec + "\n";
}

QByteArray Defaults(const QByteArray& ids, const QByteArray& group = "Default Applications")
{
    return "[Other]\ntext/plain=wrong.desktop\n[" + group + "]\ntext/html=wrong.desktop\ntext/plain=" + ids + "\n";
}

} // namespace

TEST(TextEditor, TheRegisteredProgramGetsTheFile)
{
    const QString file = QStringLiteral("/home/op/history 1.txt");
    using Files = std::vector<std::pair<QByteArray, QByteArray>>;
    struct Case {
        const char* name;
        Files files;
        QStringList command; // program and arguments; empty for none
    };
    const QByteArray apps = "data/applications/";
    const Case cases[] = {
        {"%f", {{"config/mimeapps.list", Defaults("ed.desktop")}, {apps + "ed.desktop", Entry("ed --new %f")}},
         {"ed", "--new", file}},
        {"%U among other codes", {{"config/mimeapps.list", Defaults("ed.desktop")}, {apps + "ed.desktop", Entry("ed %i %c %k %U")}},
         {"ed", file}},
        {"no code", {{"config/mimeapps.list", Defaults("ed.desktop")}, {apps + "ed.desktop", Entry("ed")}}, {"ed", file}},
        {"quotes and escapes",
         {{"config/mimeapps.list", Defaults("ed.desktop")},
          {apps + "ed.desktop", Entry(R"("/opt/my editor/ed" --title "a \\"b\\"" "x\sy" 100%% --file=%u)")}},
         {"/opt/my editor/ed", "--title", "a \"b\"", "x y", "100%", "--file=" + file}},
        {"a backslash ending a quote is kept",
         {{"config/mimeapps.list", Defaults("ed.desktop")}, {apps + "ed.desktop", Entry(R"(ed %f "a\\)")}},
         {"ed", file, "a\\"}},
        {"missing, terminal and hidden entries are passed over",
         {{"config/mimeapps.list", Defaults("gone.desktop;vi.desktop;hid.desktop;ed.desktop;")},
          {apps + "vi.desktop", Entry("vi %f", "Terminal=true\n")},
          {apps + "hid.desktop", Entry("hid %f", "Hidden=true\n")},
          {apps + "ed.desktop", Entry("ed %f")}},
         {"ed", file}},
        {"the user's list before the system's",
         {{"config/mimeapps.list", Defaults("ed.desktop")}, {"etc/mimeapps.list", Defaults("sys.desktop")},
          {apps + "ed.desktop", Entry("ed %f")}, {apps + "sys.desktop", Entry("sys %f")}},
         {"ed", file}},
        {"the system's applications folder",
         {{"usr/applications/mimeapps.list", Defaults("sys.desktop")}, {"usr/applications/sys.desktop", Entry("sys %f")}},
         {"sys", file}},
        {"a default before an added association",
         {{"config/mimeapps.list", Defaults("add.desktop", "Added Associations")},
          {"usr/applications/mimeapps.list", Defaults("ed.desktop")},
          {apps + "add.desktop", Entry("add %f")}, {apps + "ed.desktop", Entry("ed %f")}},
         {"ed", file}},
        {"an added association",
         {{"config/mimeapps.list", Defaults("add.desktop", "Added Associations")}, {apps + "add.desktop", Entry("add %f")}},
         {"add", file}},
        {"the cache of declared types",
         {{"usr/applications/mimeinfo.cache", Defaults("ed.desktop", "MIME Cache")},
          {"usr/applications/ed.desktop", Entry("ed %F")}},
         {"ed", file}},
        {"the program from a field code", {{"config/mimeapps.list", Defaults("ed.desktop")}, {apps + "ed.desktop", Entry("%f")}}, {}},
        {"nothing registered", {{apps + "ed.desktop", Entry("ed %f")}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FakeDesktop desktop(true);
        for (const auto& [path, text] : c.files)
            desktop.Write(QString::fromLatin1(path), text);
        const std::optional<LaunchCommand> command = TextEditorCommand(file);
        ASSERT_EQ(command.has_value(), !c.command.isEmpty());
        if (command)
            EXPECT_EQ(QStringList{command->program} + command->arguments, c.command);
    }
}
