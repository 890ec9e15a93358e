#pragma once

#include "forms/tray/FrmMenu.h"
#include "widgets/ControlTable.h"

#include <QAction>

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
    KeepControl<FrmMenu> keep; // null for a separator
    const char *caption;
    void (FrmMenu::*handler)(); // null for a separator
};

inline constexpr char Separator[] = "-";

inline constexpr std::array<MenuItemRow, 16> PopMenu{{
    {CONTROL_MEMBER(FrmMenu, MnuRestore), "Restore", &FrmMenu::MnuRestore_Click},
    {CONTROL_MEMBER(FrmMenu, MnuHide), "Hide to Taskbar", &FrmMenu::MnuHide_Click},
    {"Mnu_2", nullptr, Separator, nullptr},
    {CONTROL_MEMBER(FrmMenu, MnuUnlock), "Unlock Form", &FrmMenu::MnuUnlock_Click},
    {CONTROL_MEMBER(FrmMenu, MnuLock), "Lock Form", &FrmMenu::MnuLock_Click},
    {CONTROL_MEMBER(FrmMenu, MnuSearch), "Search Records", &FrmMenu::MnuSearch_Click},
    {"Mnu_4", nullptr, Separator, nullptr},
    {CONTROL_MEMBER(FrmMenu, MnuLocate), "Set Database", &FrmMenu::MnuLocate_Click},
    {CONTROL_MEMBER(FrmMenu, MnuLocateServer), "Set Database Server", &FrmMenu::MnuLocateServer_Click},
    {CONTROL_MEMBER(FrmMenu, MnuHistory), "History", &FrmMenu::MnuHistory_Click},
    {CONTROL_MEMBER(FrmMenu, MnuDeleted), "Deleted Records", &FrmMenu::MnuDeleted_Click},
    {CONTROL_MEMBER(FrmMenu, MnuDrawingFolders), "Drawing Folders", &FrmMenu::MnuDrawingFolders_Click},
    {CONTROL_MEMBER(FrmMenu, MnuHelp), "Help", &FrmMenu::MnuHelp_Click},
    {CONTROL_MEMBER(FrmMenu, MnuAbout), "About ", &FrmMenu::MnuAbout_Click},
    {"Mnu_1", nullptr, Separator, nullptr},
    {CONTROL_MEMBER(FrmMenu, MnuExit), "Exit", &FrmMenu::MnuExit_Click},
}};

inline constexpr std::array<MenuItemRow, 5> TaskMenu{{
    {CONTROL_MEMBER(FrmMenu, MnuTskRestore), "Restore", &FrmMenu::MnuTskRestore_Click},
    {CONTROL_MEMBER(FrmMenu, MnuTskMinimize), "Hide", &FrmMenu::MnuTskMinimize_Click},
    {CONTROL_MEMBER(FrmMenu, MnuTskDrawingFolders), "Drawing Folders", &FrmMenu::MnuTskDrawingFolders_Click},
    {"mnu_3", nullptr, Separator, nullptr},
    {CONTROL_MEMBER(FrmMenu, MnuTskExit), "Exit", &FrmMenu::MnuTskExit_Click},
}};
}
