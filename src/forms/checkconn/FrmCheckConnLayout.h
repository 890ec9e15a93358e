#pragma once

#include "forms/checkconn/FrmCheckConn.h"
#include "widgets/ControlTable.h"

#include <QLabel>
#include <QLineEdit>

#include <array>

// The connection check window, in twips; its client area's top-left corner
// sits at Left, Top on the screen.
namespace FrmCheckConnLayout {
inline constexpr char Caption[] = "Checking Connection";
inline constexpr int Left = 3465, Top = 3960, Width = 4020, Height = 405;
inline constexpr int TimerIntervalMs = 100;
// The tick on which the check runs, about 400 ms after the window loaded.
inline constexpr qint16 CheckTick = 4;

inline constexpr std::array<ControlRow<FrmCheckConn>, 2> Labels{{
    {CONTROL_MEMBER(FrmCheckConn, Label1), ControlKind::Label, "Checking Database Connection...", 180, 120, 2475, 195,
     -1, nullptr},
    {CONTROL_MEMBER(FrmCheckConn, LblShowOff), ControlKind::Label, "", 2700, 120, 615, 195, -1, nullptr},
}};
// Holds the path under test; never shown.
inline constexpr std::array<ControlRow<FrmCheckConn>, 1> PathBox{{
    {CONTROL_MEMBER(FrmCheckConn, Text1), ControlKind::TextBox, "", 0, -60, 975, 285, -1, nullptr},
}};

// The spinner's sign for each phase 1 to 4; phase 5 is a pause.
inline constexpr const char *SpinnerSigns[] = {"\\", "|", "/", "-"};
}
