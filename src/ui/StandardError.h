#pragma once

// The application's standard error display. Every entry point that can throw
// (slots, timer ticks, the serial event dispatch) runs its work through
// RunGuarded, so that no exception ever crosses Qt's event loop.

#include "core/Abort.h"

#include <QString>
#include <exception>
#include <functional>
#include <utility>

namespace zelt {

// Shows message in the standard error box (modal), or hands it to the sink
// installed by SetStandardErrorSink. The box's title is the program's name,
// or title when one is given (an error about a line names the line).
void ShowStandardError(const QString& message, const QString& title = QString());

// Replaces the error box by a function (tests observe errors this way);
// an empty function restores the box.
void SetStandardErrorSink(std::function<void(const QString&)> sink);

// Shows an exception the way ShowStandardError does; EAbort is dropped.
void HandleException(const std::exception& e, const QString& title = QString());

// Runs work; whatever it throws is shown by HandleException, under the
// title that title() gives (asked only when there is an error to show).
template <typename Work, typename Title>
void RunGuarded(Work&& work, Title&& title) noexcept
{
    try {
        work();
    } catch (const std::exception& e) {
        HandleException(e, title());
    } catch (...) {
        ShowStandardError(QStringLiteral("Unknown error"), title());
    }
}

// The same under the program's name.
template <typename Work>
void RunGuarded(Work&& work) noexcept
{
    RunGuarded(std::forward<Work>(work), [] { return QString(); });
}

} // namespace zelt
