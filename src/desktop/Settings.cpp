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

namespace {
QString application()
{
    return QString::fromLatin1(SettingsKeys::Application);
}
}

QString setting(const SettingsKeys::Key &key)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, application());
    return store
        .value(keyPath(QString::fromLatin1(key.section), QString::fromLatin1(key.name)),
               QString::fromLatin1(key.fallback))
        .toString();
}

void saveSetting(const SettingsKeys::Key &key, const QString &value)
{
    SaveSetting(application(), QString::fromLatin1(key.section), QString::fromLatin1(key.name), value);
}

void deleteSetting(const SettingsKeys::Key &key)
{
    DeleteSetting(application(), QString::fromLatin1(key.section), QString::fromLatin1(key.name));
}

std::optional<int> pixelSetting(const SettingsKeys::Key &key)
{
    bool ok = false;
    const int value = setting(key).toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

void DeleteSetting(const QString &appName, const QString &section, const QString &key)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, appName);
    store.remove(keyPath(section, key));
    store.sync();
}
