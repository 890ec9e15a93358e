#pragma once

// What the program is called and the names of its settings and companion
// files: one place, read by every layer (this header depends on nothing).
namespace ProgramFacts {
// The application title: message boxes without a title of their own carry it,
// and the running instance is known by it.
inline constexpr char Title[] = "MorvoII";

// The settings the program keeps are in SettingsKeys.h.

// Companion files beside the program.
inline constexpr char CatalogueFileName[] = "morvo.res";
inline constexpr char RegionFileName[] = "Morvo.dat";
inline constexpr char HelpFileName[] = "MorvoHelp.html";
inline constexpr char StaleDataFileName[] = "data1.txt";

// The user's own folder for what the program writes, below $XDG_DATA_HOME.
inline constexpr char UserDataFolderName[] = "MorvoII";
// Where copies of the user's catalogue files go, inside that folder.
inline constexpr char BackupFolderName[] = "backups";

// The desktop entry (and AppStream id) that the desktop shows the windows under.
inline constexpr char DesktopFileName[] = "example.morvo.morvoii";
}
