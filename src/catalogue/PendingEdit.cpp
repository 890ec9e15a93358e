#include "catalogue/PendingEdit.h"

void PendingEdit::beginAdding(qint64 since)
{
    typed_.clear();
    adding_ = true;
    since_ = since;
}

void PendingEdit::type(int column, const QString &text, qint64 cursorNow)
{
    if (!pending())
        since_ = cursorNow;
    typed_.insert(column, text);
}

void PendingEdit::addAsNew(const FieldValues &values)
{
    typed_.clear();
    adding_ = true;
    for (size_t column = 0; column < values.size(); ++column) {
        if (!values[column].isNull())
            typed_.insert(int(column), values[column].toString());
    }
}

std::optional<QString> PendingEdit::typed(int column) const
{
    const auto it = typed_.constFind(column);
    return it == typed_.cend() ? std::nullopt : std::optional<QString>(*it);
}

void PendingEdit::clear()
{
    adding_ = false;
    change_ = nullptr;
    typed_.clear();
}

std::map<int, QString> PendingEdit::changesOver(const FieldValues &read) const
{
    std::map<int, QString> changes;
    for (auto it = typed_.begin(); it != typed_.end(); ++it) {
        const size_t column = size_t(it.key());
        if (adding_ || column >= read.size() || read[column].isNull() || read[column].toString() != it.value())
            changes.emplace(it.key(), it.value());
    }
    return changes;
}

FieldValues PendingEdit::over(const FieldValues &read, size_t columns) const
{
    FieldValues mine = read;
    mine.resize(columns);
    for (auto it = typed_.begin(); it != typed_.end(); ++it)
        mine[size_t(it.key())] = it.value();
    return mine;
}
