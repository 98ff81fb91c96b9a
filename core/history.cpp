#include "core/history.h"

namespace korvanta {

AddKeyResult addSearchKey(QStringList items, const QString& key)
{
    AddKeyResult result;
    if (key.isEmpty()) {
        result.items = std::move(items);
        return result;
    }
    items.insert(0, key);
    for (qsizetype i = 1; i < items.size(); ++i) {
        if (items.at(i).isEmpty()) {
            items.removeAt(i);
            break;
        }
    }
    for (qsizetype i = 1; i < items.size(); ++i) {
        if (items.at(i) == key) {
            items.removeAt(i);
            result.wroteBack = true;
            break;
        }
    }
    while (items.size() > MaxHistoryKeys)
        items.removeAt(MaxHistoryKeys);
    items.insert(0, QString());
    result.items = std::move(items);
    return result;
}

QStringList historyFromStored(const std::function<QString(int)>& readKey)
{
    QStringList items { QString() };
    for (int i = 0; i < MaxHistoryKeys; ++i) {
        QString value = readKey(i);
        if (value.isEmpty())
            break;
        items.append(std::move(value));
    }
    return items;
}

QStringList historyToStore(
    const QStringList& items, const std::function<bool(const QString&)>& storable)
{
    QStringList values;
    if (items.isEmpty())
        return values;
    values.reserve(items.size() - 1);
    qsizetype refused = 0;
    for (qsizetype i = 1; i < items.size(); ++i) {
        if (!storable || storable(items.at(i)))
            values.append(items.at(i));
        else
            ++refused;
    }
    for (; refused > 0; --refused)
        values.append(QString());
    return values;
}

} // namespace korvanta
