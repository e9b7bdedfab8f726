#pragma once

// The information box of the battery windows ("Save Error!! ..."), shown
// modally; tests replace it by a function to read the messages.

#include <QString>
#include <functional>

namespace zelt {

void ShowBattMessage(const QString& message);

// Replaces the box by a function; an empty function restores the box.
void SetBattMessageSink(std::function<void(const QString&)> sink);

} // namespace zelt
