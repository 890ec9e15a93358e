#pragma once

#include "program/SettingsKeys.h"

#include <QString>

#include <optional>

// The per-user settings store: text values by application, section and key.
QString GetSetting(const QString &appName, const QString &section, const QString &key);
void SaveSetting(const QString &appName, const QString &section, const QString &key, const QString &value);
void DeleteSetting(const QString &appName, const QString &section, const QString &key);

// The program's own settings, by their row of SettingsKeys.
QString setting(const SettingsKeys::Key &key);
void saveSetting(const SettingsKeys::Key &key, const QString &value);
void deleteSetting(const SettingsKeys::Key &key);
// A setting of pixels; nothing while it holds no whole number.
std::optional<int> pixelSetting(const SettingsKeys::Key &key);
