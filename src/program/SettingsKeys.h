#pragma once

// Every setting the program keeps, in one table: where it lives in the user's
// settings store (~/.config/MorvoII.conf: application, section, key), what kind
// of value it holds, and what stands for it while it has none.
namespace SettingsKeys {

inline constexpr char Application[] = "MorvoII";

enum class Kind {
    Text,
    Pixels, // a whole number of device-independent pixels
    Rows, // an array of rows, each with the keys the table names
};

struct Key
{
    const char *section;
    const char *name; // empty for a section that is one array of rows
    Kind kind;
    const char *fallback; // the value while there is none
};

// The catalogue in use: a file's path or a server's address.
inline constexpr Key DbsLocation{"Application", "DbsLocation", Kind::Text, ""};
// Where the user left the record window, where the desktop lets a program place it.
inline constexpr Key WindowLeft{"Application", "WindowLeft", Kind::Pixels, ""};
inline constexpr Key WindowTop{"Application", "WindowTop", Kind::Pixels, ""};
// The day (YYYY-MM-DD) a copy of the catalogue could not be made, said once that day.
inline constexpr Key BackupFailedOn{"Application", "BackupFailedOn", Kind::Text, ""};
// The drawing folders: rows of a Windows prefix and the local folder it stands for.
inline constexpr Key DrawingFolders{"DrawingFolders", "", Kind::Rows, ""};
inline constexpr char DrawingFolderPrefix[] = "WindowsPrefix";
inline constexpr char DrawingFolderLocal[] = "LocalFolder";

}
