#pragma once

// Message boxes other than the standard error box: information, errors and
// warnings with an optional detailed text (download ended, export failed,
// values refused).
// Tests replace the box by a sink, as with the standard error box.

#include <QString>
#include <functional>

class QWidget;

namespace zelt {

enum class MessageKind { Information, Error, Warning };

// Shows text with an OK button and waits for it; detail, when not empty,
// goes into the box's detailed text. A "\r" in text breaks the line.
void ShowMessage(MessageKind kind, const QString& text, const QString& detail = {},
                        QWidget* parent = nullptr);

// Replaces the box by a function; an empty function restores the box.
void SetMessageSink(std::function<void(MessageKind, const QString& text, const QString& detail)> sink);

} // namespace zelt
