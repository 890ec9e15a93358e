#pragma once

// What the program is called and the names of its settings and companion
// files: one place, read by every layer (this header depends on nothing).
namespace ProgramFacts {
// The application title: message boxes without a title of their own carry it,
// and the running instance is known by it.
inline constexpr char Title[] = "MorvoII";

// The per-user settings store: application, section, and the catalogue's key.
inline constexpr char SettingsApp[] = "MorvoII";
inline constexpr char SettingsSection[] = "Application";
inline constexpr char DbsLocationKey[] = "DbsLocation";
// Where the user last left the record window, in pixels.
inline constexpr char WindowLeftKey[] = "WindowLeft";
inline constexpr char WindowTopKey[] = "WindowTop";

// Companion files beside the program.
inline constexpr char CatalogueFileName[] = "morvo.res";
inline constexpr char RegionFileName[] = "Morvo.dat";
inline constexpr char HelpFileName[] = "MorvoHelp.html";
inline constexpr char StaleDataFileName[] = "data1.txt";

// The user's own folder for what the program writes, below $XDG_DATA_HOME.
inline constexpr char UserDataFolderName[] = "MorvoII";

// The desktop entry (and AppStream id) that the desktop shows the windows under.
inline constexpr char DesktopFileName[] = "example.morvo.morvoii";
}
