// The display switches of the View menu: name plates, link marks, group frames, group lines and
// division lines. Each is a setting shared by every document.
#pragma once

#include <QList>

class TMDIChild;

namespace qv {

class EnvData;

enum class ViewToggle { NamePlate, LinkMark, GroupFrame, GroupLine, DivLine };

// Inverts the switch and shows the change: the active document at once; other documents when they
// are next activated, except link marks, which every open document redraws now.
void ToggleView(EnvData& env, ViewToggle which, const QList<TMDIChild*>& windows,
                TMDIChild* active);

}  // namespace qv
