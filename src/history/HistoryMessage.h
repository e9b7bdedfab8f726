#pragma once

// The message boxes of the alarm history (download ended, export failed).
// Tests replace the box by a sink, as with the standard error box.

#include <QString>
#include <functional>

class QWidget;

namespace zelt {

enum class HistoryMessageKind { Information, Error, Warning };

// Shows text with an OK button and waits for it; detail, when not empty,
// goes into the box's detailed text. A "\r" in text breaks the line.
void ShowHistoryMessage(HistoryMessageKind kind, const QString& text, const QString& detail = {},
                        QWidget* parent = nullptr);

// Replaces the box by a function; an empty function restores the box.
void SetHistoryMessageSink(std::function<void(HistoryMessageKind, const QString& text, const QString& detail)> sink);

} // namespace zelt
