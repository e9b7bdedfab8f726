#pragma once

// Fixture for tests of the real main window: the test plays the controller
// on the master side of a pseudo-terminal, and the window's port is pointed
// at the slave by its path.

#include "app/MainForm.h"
#include "common/EventLoop.h"
#include "common/Pty.h"
#include "ui/StandardError.h"

#include <QPlainTextEdit>
#include <QStringList>
#include <QAbstractButton>

#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace zelt::test {

// The controller's end of a pseudo-terminal; its reads run the event loop
// meanwhile, so that the window's timers and port events go on.
class Controller {
public:
    QString SlavePath() const { return QString::fromStdString(pty_.SlavePath()); }

    void Send(const std::string& bytes) const { pty_.Send(bytes); }

    // What the console wrote until want bytes arrived or ms passed.
    std::string ReceiveBytes(std::size_t want, int ms) const
    {
        std::string got;
        WaitUntil(
            [&] {
                char buffer[512];
                ssize_t n;
                while ((n = ::read(pty_.Master(), buffer, sizeof buffer)) > 0)
                    got.append(buffer, static_cast<std::size_t>(n));
                return got.size() >= want;
            },
            ms);
        return got;
    }

    // Everything the console wrote within ms.
    std::string Receive(int ms) const { return ReceiveBytes(std::string::npos, ms); }

    // The controller side goes away, as a pulled adapter.
    void Close()
    {
        pty_.CloseMaster();
        pty_.CloseSlave();
    }

private:
    PtyPair pty_;
};

// A main window on a pty, with the standard error box replaced by a list.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetStandardErrorSink([this](const QString& message) { errors.append(message); });
        window = std::make_unique<TMain_Form>();
        window->ComPort11().SetDeviceName(controller.SlavePath());
    }
    void TearDown() override
    {
        window.reset();
        SetStandardErrorSink({});
    }

    QAbstractButton* Button(const char* name) const
    {
        return window->findChild<QAbstractButton*>(QString::fromLatin1(name));
    }
    QStringList ResultLines() const
    {
        const QString text = window->mmResult()->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }
    void Connect()
    {
        Button("btnConnect")->click();
        ASSERT_TRUE(window->ComPort11().Active()) << errors.join(QLatin1Char('|')).toStdString();
    }

    Controller controller;
    QStringList errors;
    std::unique_ptr<TMain_Form> window;
};

} // namespace zelt::test
