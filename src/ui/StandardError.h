#pragma once

// The application's standard error display. Every entry point that can throw
// (slots, timer ticks, the serial event dispatch) runs its work through
// RunGuarded, so that no exception ever crosses Qt's event loop.

#include "serial/Abort.h"

#include <QString>
#include <exception>
#include <functional>

namespace zelt {

// Shows message in the standard error box (modal), or hands it to the sink
// installed by SetStandardErrorSink.
void ShowStandardError(const QString& message);

// Replaces the error box by a function (tests observe errors this way);
// an empty function restores the box.
void SetStandardErrorSink(std::function<void(const QString&)> sink);

// Shows an exception the way ShowStandardError does; EAbort is dropped.
void HandleException(const std::exception& e);

// Runs work; whatever it throws is shown by HandleException.
template <typename Work>
void RunGuarded(Work&& work) noexcept
{
    try {
        work();
    } catch (const std::exception& e) {
        HandleException(e);
    } catch (...) {
        ShowStandardError(QStringLiteral("Unknown error"));
    }
}

} // namespace zelt
