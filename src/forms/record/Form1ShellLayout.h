#pragma once

#include "forms/record/Form1.h"
#include "shell/Artwork.h"
#include "widgets/ControlTable.h"
#include "widgets/ImageControl.h"

#include <QPushButton>

#include <array>

// The record window's own frame: the drag strip, the caption buttons with
// their resting and colour pictures, and the panel buttons, in twips.
namespace Form1ShellLayout {

enum class ImageRole {
    DragStrip, // no picture; lies under every other control
    CaptionButton, // hand pointer and tool tip, above the strip
    Hidden, // keeps a picture for the buttons; never shown
};

struct ImageRow
{
    const char *name;
    KeepControl<Form1> keep;
    ImageRole role;
    int left, top, width, height;
    const char *picture; // null for none
    const char *toolTip; // null for none
};

inline constexpr std::array<ImageRow, 11> Images{{
    {CONTROL_MEMBER(Form1, Image2), ImageRole::DragStrip, 240, 180, 8775, 480, nullptr, nullptr},
    {CONTROL_MEMBER(Form1, ImgQ), ImageRole::CaptionButton, 6480, 225, 360, 360, Artwork::Help, "Help"},
    {CONTROL_MEMBER(Form1, ImgMax), ImageRole::CaptionButton, 7440, 225, 360, 360, Artwork::Plus, "Menu"},
    {CONTROL_MEMBER(Form1, ImgMIn), ImageRole::CaptionButton, 7920, 225, 360, 360, Artwork::Minimize, "Minimize"},
    {CONTROL_MEMBER(Form1, ImgExit), ImageRole::CaptionButton, 8400, 225, 360, 360, Artwork::Exit, "Exit"},
    {CONTROL_MEMBER(Form1, ImgQBw), ImageRole::Hidden, 3600, 240, 360, 360, Artwork::Help, nullptr},
    {CONTROL_MEMBER(Form1, ImgPlusBw), ImageRole::Hidden, 3240, 240, 360, 360, Artwork::Plus, nullptr},
    {CONTROL_MEMBER(Form1, ImgMinBw), ImageRole::Hidden, 3960, 240, 360, 360, Artwork::Minimize, nullptr},
    {CONTROL_MEMBER(Form1, ImgQCol), ImageRole::Hidden, 4380, 180, 480, 480, Artwork::HelpColour, nullptr},
    {CONTROL_MEMBER(Form1, ImgPlusCol), ImageRole::Hidden, 5520, 180, 480, 480, Artwork::PlusColour, nullptr},
    {CONTROL_MEMBER(Form1, ImgMinCol), ImageRole::Hidden, 6120, 180, 480, 480, Artwork::MinimizeColour, nullptr},
}};

// The double arrows that fold the window narrower (Command1) and wider
// (Command2), in one narrow strip just inside the skin's right edge; they
// follow the edge as the width changes.
inline constexpr std::array<ControlRow<Form1>, 2> PanelButtons{{
    {CONTROL_MEMBER(Form1, Command1), ControlKind::Button, "\u21D0", 9045, 780, 180, 5160, -1, nullptr},
    {CONTROL_MEMBER(Form1, Command2), ControlKind::Button, "\u21D2", 9045, 780, 180, 5160, -1, nullptr},
}};
inline constexpr qreal PanelButtonPointSize = 9;

// The panel's travel, in twips of window width.
namespace Panel {
inline constexpr int CollapseAbove = 9000; // a wider window folds; 9000 itself unfolds
inline constexpr int CollapseStep = 50;
inline constexpr int ExpandedAbove = 11850;
inline constexpr int ExpandStep = 10;
inline constexpr int TimerInterval = 50; // tmrCollapse's interval, in milliseconds
}

} // namespace Form1ShellLayout
