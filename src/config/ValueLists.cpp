#include "config/ValueLists.h"

#include <QComboBox>
#include <QLineEdit>

namespace zelt {

int ShownPosition(const QComboBox& list)
{
    const QString shown = list.currentText().trimmed();
    if (list.currentIndex() >= 0 && list.itemText(list.currentIndex()).trimmed() == shown)
        return list.currentIndex();
    for (int i = 0; i < list.count(); ++i)
        if (list.itemText(i).trimmed() == shown)
            return i;
    return -1;
}

std::optional<std::int32_t> ValueAt(const QComboBox& list, std::int32_t base, std::int32_t step)
{
    const int position = ShownPosition(list);
    if (position < 0)
        return std::nullopt;
    return base + step * position;
}

void SelectPosition(QComboBox& list, int position)
{
    list.setCurrentIndex(position >= 0 && position < list.count() ? position : -1);
}

void Fill(QComboBox& list, const QStringList& entries)
{
    list.clear();
    list.addItems(entries);
    list.setCurrentIndex(-1);
}

std::string PlainNumber(std::int32_t value, char)
{
    return std::to_string(value);
}

QStringList Entries(int count, std::int32_t base, std::int32_t step, std::string (*format)(std::int32_t, char))
{
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries << QString::fromLatin1(format(base + step * i, ' '));
    return entries;
}

std::string TextOf(const QComboBox& list)
{
    return list.currentText().toLatin1().toStdString();
}

} // namespace zelt
