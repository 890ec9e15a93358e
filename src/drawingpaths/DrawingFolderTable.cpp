#include "drawingpaths/DrawingFolderTable.h"

#include "program/SettingsKeys.h"

#include <QSettings>

namespace {
const QString Array = QString::fromLatin1(SettingsKeys::DrawingFolders.section);
const QString PrefixKey = QString::fromLatin1(SettingsKeys::DrawingFolderPrefix);
const QString FolderKey = QString::fromLatin1(SettingsKeys::DrawingFolderLocal);
}

namespace DrawingFolderTable {

QList<DrawingFolder> load()
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(SettingsKeys::Application));
    QList<DrawingFolder> table;
    const int rows = settings.beginReadArray(Array);
    for (int row = 0; row < rows; ++row) {
        settings.setArrayIndex(row);
        table.append({settings.value(PrefixKey).toString(), settings.value(FolderKey).toString()});
    }
    settings.endArray();
    return table;
}

void save(const QList<DrawingFolder> &table)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(SettingsKeys::Application));
    settings.remove(Array);
    settings.beginWriteArray(Array, int(table.size()));
    for (int row = 0; row < table.size(); ++row) {
        settings.setArrayIndex(row);
        settings.setValue(PrefixKey, table[row].windowsPrefix);
        settings.setValue(FolderKey, table[row].localFolder);
    }
    settings.endArray();
    settings.sync();
}
}
