#pragma once

#include "forms/record/Form1.h"
#include "shell/Artwork.h"
#include "widgets/ControlTable.h"
#include "widgets/ImageControl.h"

#include <array>

// The padlock button: two pictures at one spot in the caption-button row, in
// twips. Exactly one is shown, the one whose click gives the other state.
namespace Form1LockLayout {
struct PadlockRow
{
    const char *name;
    KeepControl<Form1> keep;
    const char *picture;
    const char *toolTip;
};

inline constexpr int Left = 6000, Top = 225, Width = 360, Height = 360;

inline constexpr std::array<PadlockRow, 2> Padlocks{{
    {CONTROL_MEMBER(Form1, ImgLocked), Artwork::Locked, "Lock Form"},
    {CONTROL_MEMBER(Form1, ImgUnlocked), Artwork::Unlocked, "Unlock Form"},
}};
}
