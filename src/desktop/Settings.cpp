#include "desktop/Settings.h"

#include <QSettings>

namespace {
QString keyPath(const QString &section, const QString &key)
{
    return section + u'/' + key;
}
}

QString GetSetting(const QString &appName, const QString &section, const QString &key)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, appName);
    return store.value(keyPath(section, key)).toString();
}

void SaveSetting(const QString &appName, const QString &section, const QString &key, const QString &value)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, appName);
    store.setValue(keyPath(section, key), value);
    store.sync();
}

void DeleteSetting(const QString &appName, const QString &section, const QString &key)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, appName);
    store.remove(keyPath(section, key));
    store.sync();
}
