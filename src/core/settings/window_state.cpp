#include "core/settings/window_state.h"

#include <string>

#include "core/settings/usr_ini_file.h"

namespace qv {

namespace {

constexpr std::string_view kGeneral = "General";
constexpr std::string_view kToolBar = "ToolBar";

std::string Key(std::string_view prefix, std::string_view name) {
    std::string key(prefix);
    key += name;
    return key;
}

}  // namespace

WindowPlacement ReadPlacement(const UsrIniFile& ini, std::string_view prefix, int defaultHeight,
                              int defaultWidth, int defaultTop, int defaultLeft) {
    WindowPlacement p;
    p.Left = ini.ReadInteger(kGeneral, Key(prefix, "Left"), defaultLeft);
    p.Top = ini.ReadInteger(kGeneral, Key(prefix, "Top"), defaultTop);
    if (defaultWidth > 0 && defaultHeight > 0) {
        p.Width = ini.ReadInteger(kGeneral, Key(prefix, "Width"), defaultWidth);
        p.Height = ini.ReadInteger(kGeneral, Key(prefix, "Height"), defaultHeight);
        if (p.Height < 1) p.Height = defaultHeight;
        if (p.Width <= 0) p.Width = defaultWidth;
        p.HasSize = true;
    }
    return p;
}

void WritePlacement(UsrIniFile& ini, std::string_view prefix,
                    const std::optional<Rect>& normalBounds, bool storeSize) {
    if (!normalBounds) return;
    ini.WriteInteger(kGeneral, Key(prefix, "Left"), normalBounds->Left);
    ini.WriteInteger(kGeneral, Key(prefix, "Top"), normalBounds->Top);
    if (storeSize) {
        ini.WriteInteger(kGeneral, Key(prefix, "Width"), normalBounds->Width());
        ini.WriteInteger(kGeneral, Key(prefix, "Height"), normalBounds->Height());
    }
}

ToolBarState ReadToolBar(const UsrIniFile& ini, std::string_view prefix,
                         const ToolBarState& current, bool flat) {
    ToolBarState s = current;
    s.Floating = ini.ReadBool(kToolBar, Key(prefix, "Floating"), false);
    if (s.Floating) {
        s.FloatBounds.Left = ini.ReadInteger(kToolBar, Key(prefix, "FLeft"), 100);
        s.FloatBounds.Top = ini.ReadInteger(kToolBar, Key(prefix, "FTop"), 100);
        s.FloatBounds.Right = ini.ReadInteger(kToolBar, Key(prefix, "FRight"), 200);
        s.FloatBounds.Bottom = ini.ReadInteger(kToolBar, Key(prefix, "FBottom"), 200);
    } else {
        s.Top = ini.ReadInteger(kToolBar, Key(prefix, "Top"), current.Top);
        s.Left = ini.ReadInteger(kToolBar, Key(prefix, "Left"), current.Left);
    }
    s.Flat = flat;
    // "Show" comes first in this key.
    s.Visible = ini.ReadBool(kToolBar, Key("Show", prefix), true);
    return s;
}

void WriteToolBar(UsrIniFile& ini, std::string_view prefix, const ToolBarState& state) {
    ini.WriteBool(kToolBar, Key("Show", prefix), state.Visible);
    ini.WriteBool(kToolBar, Key(prefix, "Floating"), state.Floating);
    if (state.Floating) {
        ini.WriteInteger(kToolBar, Key(prefix, "FLeft"), state.FloatBounds.Left);
        ini.WriteInteger(kToolBar, Key(prefix, "FTop"), state.FloatBounds.Top);
        ini.WriteInteger(kToolBar, Key(prefix, "FRight"), state.FloatBounds.Right);
        ini.WriteInteger(kToolBar, Key(prefix, "FBottom"), state.FloatBounds.Bottom);
    } else {
        ini.WriteInteger(kToolBar, Key(prefix, "Top"), state.Top);
        ini.WriteInteger(kToolBar, Key(prefix, "Left"), state.Left);
    }
}

}  // namespace qv
