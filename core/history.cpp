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
        if (!items.contains(value))
            items.append(std::move(value));
    }
    return items;
}

QStringList historyToStore(
    const QStringList& items, const std::function<QString(const QString&)>& storedForm)
{
    QStringList values;
    if (items.isEmpty())
        return values;
    values.reserve(items.size() - 1);
    qsizetype leftOut = 0;
    for (qsizetype i = 1; i < items.size(); ++i) {
        const QString value = storedForm ? storedForm(items.at(i)) : items.at(i);
        if (!value.isEmpty() && !values.contains(value))
            values.append(value);
        else
            ++leftOut;
    }
    for (; leftOut > 0; --leftOut)
        values.append(QString());
    return values;
}

} // namespace korvanta
