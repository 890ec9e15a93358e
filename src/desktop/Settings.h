#pragma once

#include <QString>

// The per-user settings store: text values by application, section and key.
QString GetSetting(const QString &appName, const QString &section, const QString &key);
void SaveSetting(const QString &appName, const QString &section, const QString &key, const QString &value);
void DeleteSetting(const QString &appName, const QString &section, const QString &key);
