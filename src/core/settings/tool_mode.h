// The four mouse tools of the document windows, chosen in the main window for every window at once.
#pragma once

namespace qv {

enum class ToolMode {
    Normal,     // 通常編集: select, drag, rubber band
    Group,      // グループ化: the rubber band groups what it selects
    GroupLine,  // グループ関係線: a drag from one frame to another draws a relation line
    Brush,      // 断片背景塗り: left paints card backgrounds, right picks a colour
};

}  // namespace qv
