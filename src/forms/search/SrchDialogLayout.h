#pragma once

#include "forms/search/SrchDialog.h"
#include "widgets/ControlTable.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <array>

// The search dialog's controls, in twips.
namespace SrchDialogLayout {
inline constexpr char Caption[] = "Search Database";
inline constexpr int ClientWidth = 5925, ClientHeight = 1125;
// The dialog's outer size, in pixels (twips / 15).
inline constexpr int OuterWidth = 403, OuterHeight = 95;
// The smallest outer size the dialog keeps, in twips.
inline constexpr int MinimumWidth = 6045, MinimumHeight = 1470;
inline constexpr int MessageTimerMs = 1000;
inline constexpr int MessageTicksShown = 2;

inline constexpr std::array<ControlRow<SrchDialog>, 8> Controls{{
    {CONTROL_MEMBER(SrchDialog, Text1), ControlKind::TextBox, "", 240, 240, 4215, 285, 0, nullptr},
    {CONTROL_MEMBER(SrchDialog, Option1), ControlKind::OptionButton, "Search &Forward", 240, 720, 1575, 255, 1,
     nullptr},
    {CONTROL_MEMBER(SrchDialog, Option2), ControlKind::OptionButton, "Search &Backward", 2760, 720, 1695, 255, 2,
     nullptr},
    {CONTROL_MEMBER(SrchDialog, OKButton), ControlKind::Button, "OK", 4680, 120, 1215, 375, 3, nullptr},
    {CONTROL_MEMBER(SrchDialog, Label1), ControlKind::Label, "Search &Criteria", 240, 0, 1215, 255, 4, nullptr},
    {CONTROL_MEMBER(SrchDialog, CmdNext), ControlKind::Button, "Next", 5880, 120, 1215, 375, 5, nullptr},
    {CONTROL_MEMBER(SrchDialog, CancelButton), ControlKind::Button, "Cancel", 4680, 600, 1215, 375, 6, nullptr},
    {CONTROL_MEMBER(SrchDialog, Label2), ControlKind::Label, "", 1560, 0, 3015, 255, 7, nullptr},
}};
}
