#pragma once

#include "shell/Artwork.h"

#include <array>

// The padlock button: two pictures at one spot in the caption-button row, in
// twips. Exactly one is shown, the one whose click gives the other state.
namespace Form1LockLayout {
struct PadlockRow
{
    const char *name;
    const char *picture;
    const char *toolTip;
};

inline constexpr int Left = 6000, Top = 225, Width = 360, Height = 360;

inline constexpr std::array<PadlockRow, 2> Padlocks{{
    {"ImgLocked", Artwork::Locked, "Lock Form"},
    {"ImgUnlocked", Artwork::Unlocked, "Unlock Form"},
}};
}
