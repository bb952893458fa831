// Window placements and tool-bar states as the settings file keeps them. The window layer asks for
// these values and applies them; it never reads the keys itself.
#pragma once

#include <optional>
#include <string_view>

#include "core/geom.h"

namespace qv {

class UsrIniFile;

// Section [General]: prefix + "Left", "Top", "Width", "Height".
struct WindowPlacement {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool HasSize = false;  // false: keep the window's current size, apply only the position

    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// The stored position (defaults as given) and, only when both default sizes are above 0, the
// stored size; a height below 1 or a width of 0 or less falls back to the default.
WindowPlacement ReadPlacement(const UsrIniFile& ini, std::string_view prefix, int defaultHeight,
                              int defaultWidth, int defaultTop, int defaultLeft);

// Stores the window's normal bounds (those it has when neither minimised nor maximised); the size
// only when `storeSize` (windows with a fixed dialog border keep their size). Nothing is written
// when the bounds are unknown, so the old entries stay.
void WritePlacement(UsrIniFile& ini, std::string_view prefix,
                    const std::optional<Rect>& normalBounds, bool storeSize = true);

// Section [ToolBar]: "Show" + prefix, prefix + "Floating", "FLeft", "FTop", "FRight", "FBottom",
// "Top", "Left".
struct ToolBarState {
    bool Visible = true;
    bool Floating = false;
    // The floating window: left and top, and left + client width, top + client height.
    Rect FloatBounds{100, 100, 200, 200};
    int Top = 0;  // docked position
    int Left = 0;
    bool Flat = false;

    friend bool operator==(const ToolBarState&, const ToolBarState&) = default;
};

// The stored state; `current` supplies the docked position when none is stored, `flat` is the
// FlatToolBar setting.
ToolBarState ReadToolBar(const UsrIniFile& ini, std::string_view prefix,
                         const ToolBarState& current, bool flat);

// Stores visibility and floating state, then the floating bounds or the docked position.
void WriteToolBar(UsrIniFile& ini, std::string_view prefix, const ToolBarState& state);

}  // namespace qv
