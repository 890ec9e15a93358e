#include "stores/RecordHistory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <map>

namespace RecordHistory {

FieldValues valuesOf(const QVariant &json)
{
    FieldValues values;
    for (const QJsonValue &value : QJsonDocument::fromJson(json.toString().toUtf8()).array())
        values.push_back(value.isNull() ? QVariant() : QVariant(value.toVariant().toString()));
    return values;
}

std::vector<RecordVersion> versionsOf(const std::vector<Entry> &entries)
{
    std::vector<RecordVersion> versions;
    std::vector<qint64> lineageOf;
    std::map<qint64, std::pair<qint64, bool>> lineages; // the record each is now, and whether it is gone
    for (const Entry &entry : entries) {
        if (!lineages.contains(entry.lineage) && entry.change != QLatin1String("add") && !entry.before.isNull()) {
            versions.push_back({0, {}, {}, QStringLiteral("add"), valuesOf(entry.before)});
            lineageOf.push_back(entry.lineage);
        }
        const bool deleted = entry.change == QLatin1String("delete");
        lineages[entry.lineage] = {entry.recordId, deleted};
        versions.push_back({0, entry.time, entry.user, entry.change, valuesOf(deleted ? entry.before : entry.after)});
        lineageOf.push_back(entry.lineage);
    }
    for (size_t i = 0; i < versions.size(); ++i) {
        versions[i].number = qint64(i) + 1;
        std::tie(versions[i].recordId, versions[i].recordGone) = lineages[lineageOf[i]];
    }
    std::reverse(versions.begin(), versions.end());
    return versions;
}

std::vector<RecordVersion> deletedOf(const std::vector<Entry> &entries)
{
    std::vector<RecordVersion> records;
    for (const Entry &entry : entries)
        records.push_back(
            {0, entry.time, entry.user, QStringLiteral("delete"), valuesOf(entry.before), entry.recordId, true});
    return records;
}
}
