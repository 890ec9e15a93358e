#pragma once

#include "forms/tray/FrmMenu.h"

#include <array>

// The tray form's two pop-up menus, in display order. A caption of "-" is a
// separator line. Which items are shown is set by the form's load.
namespace FrmMenuLayout {
inline constexpr char Caption[] = "Morvo II";
inline constexpr char ResizedCaptionPrefix[] = "CADMorvo(";
inline constexpr char TrayToolTip[] = "CAD Morvo";

struct MenuItemRow
{
    const char *name;
    const char *caption;
    void (FrmMenu::*handler)(); // null for a separator
};

inline constexpr char Separator[] = "-";

inline constexpr std::array<MenuItemRow, 13> PopMenu{{
    {"MnuRestore", "Restore", &FrmMenu::MnuRestore_Click},
    {"MnuHide", "Hide to Taskbar", &FrmMenu::MnuHide_Click},
    {"Mnu_2", Separator, nullptr},
    {"MnuUnlock", "Unlock Form", &FrmMenu::MnuUnlock_Click},
    {"MnuLock", "Lock Form", &FrmMenu::MnuLock_Click},
    {"MnuSearch", "Search Records", &FrmMenu::MnuSearch_Click},
    {"Mnu_4", Separator, nullptr},
    {"MnuLocate", "Set Database", &FrmMenu::MnuLocate_Click},
    {"MnuDrawingFolders", "Drawing Folders", &FrmMenu::MnuDrawingFolders_Click},
    {"MnuHelp", "Help", &FrmMenu::MnuHelp_Click},
    {"MnuAbout", "About ", &FrmMenu::MnuAbout_Click},
    {"Mnu_1", Separator, nullptr},
    {"MnuExit", "Exit", &FrmMenu::MnuExit_Click},
}};

inline constexpr std::array<MenuItemRow, 5> TaskMenu{{
    {"MnuTskRestore", "Restore", &FrmMenu::MnuTskRestore_Click},
    {"MnuTskMinimize", "Hide", &FrmMenu::MnuTskMinimize_Click},
    {"MnuTskDrawingFolders", "Drawing Folders", &FrmMenu::MnuTskDrawingFolders_Click},
    {"mnu_3", Separator, nullptr},
    {"MnuTskExit", "Exit", &FrmMenu::MnuTskExit_Click},
}};
}
