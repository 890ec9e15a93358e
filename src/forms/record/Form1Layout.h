#pragma once

#include "widgets/ControlTable.h"

#include <array>

// The record window's controls, in twips.
namespace Form1Layout {
inline constexpr int Left = 1245, Top = 1335, Width = 9300, Height = 6135;
inline constexpr char Caption[] = "    Morvo II";

inline constexpr std::array<ControlRow, 8> Boxes{{
    {"TxtNumber", ControlKind::TextBox, "", 360, 1080, 1095, 285, 6, nullptr},
    {"TxtClient", ControlKind::TextBox, "", 1440, 1080, 3375, 285, 7, nullptr},
    {"txtDate", ControlKind::TextBox, "", 4920, 1080, 1335, 285, 8, nullptr},
    {"TxtName", ControlKind::TextBox, "", 360, 1570, 5895, 285, 9, nullptr},
    {"TxtDesc", ControlKind::MultiLineTextBox, "", 360, 2050, 5895, 2415, 10, nullptr},
    {"TxtCounty", ControlKind::TextBox, "", 360, 4630, 2295, 285, 11, nullptr},
    {"TxtFileNum", ControlKind::TextBox, "", 2760, 4630, 3495, 285, 12, nullptr},
    {"txtFileLoc", ControlKind::TextBox, "", 360, 5110, 5550, 285, 13, nullptr},
}};

inline constexpr std::array<ControlRow, 8> Captions{{
    {"LblNumber", ControlKind::Label, "Job Number", 360, 840, 1035, 255, -1, nullptr},
    {"LblClient", ControlKind::Label, "Client Name", 1440, 840, 1095, 255, -1, nullptr},
    {"LblDate", ControlKind::Label, "Date", 4920, 840, 435, 255, -1, nullptr},
    {"LblName", ControlKind::Label, "Project Name", 360, 1380, 1215, 255, -1, nullptr},
    {"LblDesc", ControlKind::Label, "Project Description", 360, 1860, 1635, 255, -1, nullptr},
    {"LblCounty", ControlKind::Label, "Project Location", 360, 4440, 1695, 255, -1, nullptr},
    {"LblFileNum", ControlKind::Label, "Project Manager", 2760, 4440, 1875, 255, -1, nullptr},
    {"LblFileLoc", ControlKind::Label, "File Name", 360, 4920, 1575, 255, -1, nullptr},
}};

inline constexpr std::array<ControlRow, 8> RecordButtons{{
    {"Command3", ControlKind::Button, "Search", 5160, 5460, 975, 375, 19, "Search For Record"},
    {"Command4", ControlKind::Button, "First", 6420, 3000, 615, 375, 20, "Go to First Record"},
    {"Command5", ControlKind::Button, "Prev", 7080, 3000, 615, 375, 21, "Go to Previous Record"},
    {"Command6", ControlKind::Button, "Next", 7680, 3000, 615, 375, 22, "Go to Next Record"},
    {"Command7", ControlKind::Button, "Last", 8340, 3000, 615, 375, 23, "Go to Last Record"},
    {"CmdAdd", ControlKind::Button, "Add", 360, 5460, 975, 375, 25, "Add New Record"},
    {"CmdDelete", ControlKind::Button, "Delete", 1380, 5460, 975, 375, 26, "Delete Record"},
    {"CmdUpdate", ControlKind::Button, "Update", 2400, 5460, 975, 375, 27, "Update Records"},
}};
}
