#pragma once

#include "forms/record/Form1.h"
#include "widgets/ControlTable.h"

#include <QPushButton>

#include <array>

// The drawing panel of the record window, in twips.
namespace Form1DrawingLayout {
inline constexpr char DrawingPattern[] = "*.dwg";

// The list's tip as created, and the longer one the window's load gives it.
inline constexpr char File1DesignTip[] = "Double Click to Explore";
inline constexpr char File1LoadedTip[] = "Double Click to Explore, Hold & Drag to Copy";

// The locate button and the list take the free tab places before the script button.
inline constexpr std::array<ControlRow<Form1>, 2> Buttons{{
    {CONTROL_MEMBER(Form1, CmdExplore), ControlKind::Button, "", 5945, 5110, 315, 315, 28, "Locate File"},
    {CONTROL_MEMBER(Form1, CmdScript), ControlKind::Button, "Scripting", 6540, 4980, 975, 375, 30, nullptr},
}};
inline constexpr int LocateIconSize = 16; // pixels

// The list and the thumbnail are widgets of their own, placed by these rows.
struct Placement
{
    const char *name;
    int left, top, width, height;
    const char *toolTip;
};
inline constexpr Placement File1{"File1", 6420, 1080, 2535, 1845, File1DesignTip};
inline constexpr Placement DwgThumbnail1{"DwgThumbnail1", 6420, 3480, 2535, 2415, "Double Click to Open"};

// The open-file dialog of the locate button.
inline constexpr char LocateTitle[] = "Morvo II";
inline constexpr char LocateFileName[] = "*.dwg";
inline constexpr char LocateFilter[] = "AutoCAD Drawing (*.dwg)";
}
