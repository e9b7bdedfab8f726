#pragma once

// Filling and reading the value lists of the settings dialogs.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>

class QComboBox;

namespace zelt {

// The position of the entry the list shows, -1 when it shows none: nothing
// chosen yet, or typed text that is no entry (blanks around it aside).
int ShownPosition(const QComboBox& list);

// base + step x the shown position; none when the list shows no entry.
std::optional<std::int32_t> ValueAt(const QComboBox& list, std::int32_t base, std::int32_t step);

// Selects position, or shows no entry when position is outside the list.
void SelectPosition(QComboBox& list, int position);

// Replaces the entries; the list then shows none of them.
void Fill(QComboBox& list, const QStringList& entries);

// Plain decimal text (the format of the lists that are not voltages).
std::string PlainNumber(std::int32_t value, char unit);

// Entries for base + step x i, i = 0 .. count - 1, each written by format.
QStringList Entries(int count, std::int32_t base, std::int32_t step, std::string (*format)(std::int32_t, char));

// The list's text as an 8-bit protocol text.
std::string TextOf(const QComboBox& list);

} // namespace zelt
