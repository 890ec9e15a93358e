#pragma once

#include "widgets/ControlTable.h"

#include <array>

// The search dialog's controls, in twips.
namespace SrchDialogLayout {
inline constexpr char Caption[] = "Search Database";
inline constexpr int ClientWidth = 5925, ClientHeight = 1125;
// Where the dialog opens and its outer size, in pixels (twips / 15).
inline constexpr int Left = 216, Top = 453, OuterWidth = 403, OuterHeight = 95;
// The smallest outer size the dialog keeps, in twips.
inline constexpr int MinimumWidth = 6045, MinimumHeight = 1470;
inline constexpr int MessageTimerMs = 1000;
inline constexpr int MessageTicksShown = 2;

inline constexpr std::array<ControlRow, 8> Controls{{
    {"Text1", ControlKind::TextBox, "", 240, 240, 4215, 285, 0, nullptr},
    {"Option1", ControlKind::OptionButton, "Search Forward", 240, 720, 1575, 255, 1, nullptr},
    {"Option2", ControlKind::OptionButton, "Search Backward", 2760, 720, 1695, 255, 2, nullptr},
    {"OKButton", ControlKind::Button, "OK", 4680, 120, 1215, 375, 3, nullptr},
    {"Label1", ControlKind::Label, "Search Criteria", 240, 0, 1215, 255, 4, nullptr},
    {"CmdNext", ControlKind::Button, "Next", 5880, 120, 1215, 375, 5, nullptr},
    {"CancelButton", ControlKind::Button, "Cancel", 4680, 600, 1215, 375, 6, nullptr},
    {"Label2", ControlKind::Label, "", 1560, 0, 3015, 255, 7, nullptr},
}};
}
