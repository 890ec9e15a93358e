#pragma once

#include <QString>

#include <array>

// Opens (or prints) a file, folder or link with the desktop's program.
// Result: greater than 32 on success, a small error code otherwise.
namespace LaunchApp {
inline constexpr qint32 LaunchOk = 42;
inline constexpr qint32 ErrFileNotFound = 2;
inline constexpr qint32 ErrAccessDenied = 5;
inline constexpr qint32 ErrNoAssociation = 31;

// Suffixes of files that Windows (or Wine) runs rather than opens; such files
// are never handed over, nor any file that holds a Windows program or shortcut.
inline constexpr std::array WindowsRunnableSuffixes{
    "bat",       "cmd",    "com", "exe", "scr", "pif", "msi", "msp", "vbs",  "vbe", "js",  "jse",
    "wsf",       "wsh",    "ps1", "lnk", "jar", "reg", "hta", "cpl", "inf",  "msc", "scf", "application",
    "appref-ms", "gadget", "ws",  "wsc", "sct", "shb", "shs", "vb",  "psm1", "mst", "url"};

// A show code of 0 becomes 1 (normal window), also in the caller's variable.
qint32 LaunchFile(QString &target, bool &printFlag, qint16 &showCode);
// Opens the target in a normal window, for callers with nothing to hand back.
qint32 open(const QString &target);
}
