#pragma once

#include "catalogue/CatalogueFields.h"
#include "forms/record/Form1.h"
#include "widgets/ControlTable.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <string_view>

// The record window's controls, in twips.
namespace Form1Layout {
inline constexpr int Left = 1245, Top = 1335, Width = 9300, Height = 6135;
inline constexpr char Caption[] = "    Morvo II";

inline constexpr std::array<ControlRow<Form1>, 8> Boxes{{
    {CONTROL_MEMBER(Form1, TxtNumber), ControlKind::TextBox, "", 360, 1080, 1095, 285, 6, nullptr},
    {CONTROL_MEMBER(Form1, TxtClient), ControlKind::TextBox, "", 1440, 1080, 3375, 285, 7, nullptr},
    {CONTROL_MEMBER(Form1, txtDate), ControlKind::TextBox, "", 4920, 1080, 1335, 285, 8, nullptr},
    {CONTROL_MEMBER(Form1, TxtName), ControlKind::TextBox, "", 360, 1570, 5895, 285, 9, nullptr},
    {CONTROL_MEMBER(Form1, TxtDesc), ControlKind::MultiLineTextBox, "", 360, 2050, 5895, 2415, 10, nullptr},
    {CONTROL_MEMBER(Form1, TxtCounty), ControlKind::TextBox, "", 360, 4630, 2295, 285, 11, nullptr},
    {CONTROL_MEMBER(Form1, TxtFileNum), ControlKind::TextBox, "", 2760, 4630, 3495, 285, 12, nullptr},
    {CONTROL_MEMBER(Form1, txtFileLoc), ControlKind::TextBox, "", 360, 5110, 5550, 285, 13, nullptr},
}};

// The captions of the boxes, in the order of Boxes.
inline constexpr std::array<ControlRow<Form1>, 8> Captions{{
    {"LblNumber", nullptr, ControlKind::Label, "Job Number", 360, 840, 1035, 255, -1, nullptr},
    {"LblClient", nullptr, ControlKind::Label, "Client Name", 1440, 840, 1095, 255, -1, nullptr},
    {"LblDate", nullptr, ControlKind::Label, "Date", 4920, 840, 435, 255, -1, nullptr},
    {"LblName", nullptr, ControlKind::Label, "Project Name", 360, 1380, 1215, 255, -1, nullptr},
    {"LblDesc", nullptr, ControlKind::Label, "Project Description", 360, 1860, 1635, 255, -1, nullptr},
    {"LblCounty", nullptr, ControlKind::Label, "Project Location", 360, 4440, 1695, 255, -1, nullptr},
    {"LblFileNum", nullptr, ControlKind::Label, "Project Manager", 2760, 4440, 1875, 255, -1, nullptr},
    {"LblFileLoc", nullptr, ControlKind::Label, "File Name", 360, 4920, 1575, 255, -1, nullptr},
}};

// Each button's caption carries its Alt mnemonic.
inline constexpr std::array<ControlRow<Form1>, 8> RecordButtons{{
    {CONTROL_MEMBER(Form1, Command3), ControlKind::Button, "&Search", 5160, 5460, 975, 375, 19, "Search For Record"},
    {CONTROL_MEMBER(Form1, Command4), ControlKind::Button, "&First", 6420, 3000, 615, 375, 20, "Go to First Record"},
    {CONTROL_MEMBER(Form1, Command5), ControlKind::Button, "&Prev", 7080, 3000, 615, 375, 21, "Go to Previous Record"},
    {CONTROL_MEMBER(Form1, Command6), ControlKind::Button, "&Next", 7680, 3000, 615, 375, 22, "Go to Next Record"},
    {CONTROL_MEMBER(Form1, Command7), ControlKind::Button, "&Last", 8340, 3000, 615, 375, 23, "Go to Last Record"},
    {CONTROL_MEMBER(Form1, CmdAdd), ControlKind::Button, "&Add", 360, 5460, 975, 375, 25, "Add New Record"},
    {CONTROL_MEMBER(Form1, CmdDelete), ControlKind::Button, "&Delete", 1380, 5460, 975, 375, 26, "Delete Record"},
    {CONTROL_MEMBER(Form1, CmdUpdate), ControlKind::Button, "&Update", 2400, 5460, 975, 375, 27, "Update Records"},
}};

// The row of Boxes that shows each catalogue field, in the field table's
// order: a field whose box is missing here does not compile.
constexpr size_t boxRowOf(std::string_view box)
{
    size_t row = 0;
    while (row < Boxes.size() && box != Boxes[row].name)
        ++row;
    return row;
}
inline constexpr auto FieldBoxRows = [] {
    std::array<size_t, CatalogueFields.size()> rows{};
    for (size_t field = 0; field < rows.size(); ++field)
        rows[field] = boxRowOf(CatalogueFields[field].box);
    return rows;
}();
static_assert(std::ranges::all_of(FieldBoxRows, [](size_t row) { return row < Boxes.size(); }),
              "every catalogue field is shown in a box of the record window");
}
