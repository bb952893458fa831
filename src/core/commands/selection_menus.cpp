#include "core/commands/selection_menus.h"

#include <algorithm>
#include <cstdio>

#include "core/model/frag_buffer.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"

namespace qv {

namespace {

// Hints of the group submenus, code page 932: "の断片を選択します", "選択できません",
// "へ選択中の断片を移動します", "選択中のグループへは移動できません".
constexpr std::string_view kSelectHint =
    "\x82\xcc\x92"
    "f\x95\xd0\x82\xf0\x91I\x91\xf0\x82\xb5\x82\xdc\x82\xb7";
constexpr std::string_view kCannotSelectHint =
    "\x91I\x91\xf0\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";
constexpr std::string_view kMoveHint =
    "\x82\xd6\x91I\x91\xf0\x92\x86\x82\xcc\x92"
    "f\x95\xd0\x82\xf0\x88\xda\x93\xae\x82\xb5\x82\xdc"
    "\x82\xb7";
constexpr std::string_view kCannotMoveHint =
    "\x91I\x91\xf0\x92\x86\x82\xcc\x83O\x83\x8b\x81[\x83v\x82\xd6\x82\xcd\x88\xda\x93\xae\x82\xc5"
    "\x82\xab\x82\xdc\x82\xb9\x82\xf1";

// "&d:" for the digit d. Appended piece by piece: GCC's -Wrestrict misreads a literal placed
// before a temporary string.
std::string AccessNumber(int digit) {
    std::string s = "&";
    s += std::to_string(digit);
    s += ':';
    return s;
}

// "&1:" … "&9:", "&0:" for the first ten numbers, two blanks after them.
std::string NumberPrefix(int oneBased) {
    if (oneBased > 10) return "  ";
    return AccessNumber(oneBased % 10);
}

// A name from the document as a menu shows it: its "&" is a character, not an access key, and a
// tab would start the shortcut column.
std::string MenuName(std::string_view name) {
    std::string shown;
    for (const char c : name) {
        if (c == '&')
            shown += "&&";
        else
            shown += c == '\t' ? ' ' : c;
    }
    return shown;
}

std::string PlainGroupName(int g) {
    char number[8];
    std::snprintf(number, sizeof number, " %2u", static_cast<unsigned>(g));
    return std::string(kGroupWord) + number;
}

}  // namespace

std::vector<MenuItemState> GroupSelectItems(const FragSet* doc) {
    std::vector<MenuItemState> items(kMenuGroups);
    for (int i = 0; i < kMenuGroups; ++i) {
        const int g = i + 1;
        MenuItemState& item = items[static_cast<std::size_t>(i)];
        item.Tag = g;
        item.ColumnBreak = i == kGroupColumnBreak;
        if (!doc) {
            item.Caption = PlainGroupName(g);
            item.Enabled = false;
            item.Hint = kCannotSelectHint;
            continue;
        }
        const std::string name = doc->GroupNameText(g);
        const GroupEntry& e = doc->GroupTable[static_cast<std::size_t>(g)];
        item.Caption = NumberPrefix(g) + MenuName(name);
        item.Enabled = e.Shown && !e.Empty;
        item.Hint = item.Enabled ? name + std::string(kSelectHint) : std::string(kCannotSelectHint);
    }
    return items;
}

std::vector<MenuItemState> GroupMoveItems(FragSet* doc) {
    std::vector<MenuItemState> items(kMenuGroups);
    if (doc) doc->RebuildSelection();
    for (int i = 0; i < kMenuGroups; ++i) {
        const int g = i + 1;
        MenuItemState& item = items[static_cast<std::size_t>(i)];
        item.Tag = g;
        item.ColumnBreak = i == kGroupColumnBreak;
        if (!doc) {
            item.Caption = PlainGroupName(g);
            item.Enabled = false;
            item.Hint = kCannotMoveHint;
            continue;
        }
        const std::string name = doc->GroupNameText(g);
        item.Caption = NumberPrefix(g) + MenuName(name);
        item.Enabled = !doc->GroupTable[static_cast<std::size_t>(g)].HasSelected;
        item.Hint = item.Enabled ? name + std::string(kMoveHint) : std::string(kCannotMoveHint);
    }
    return items;
}

std::vector<Color> BackgroundColours(const FragSet& doc) {
    std::vector<Color> colours;
    for (const auto& f : doc.Fragments()) {
        if (static_cast<int>(colours.size()) >= kColourItems) break;
        // An unused item holds "no colour", so transparent pictures never get an item.
        if (f->ColBG == kNoColor) continue;
        if (std::find(colours.begin(), colours.end(), f->ColBG) == colours.end())
            colours.push_back(f->ColBG);
    }
    return colours;
}

std::string ColourItemCaption(int i) {
    if (i < 0 || i >= 10) return {};
    return AccessNumber((i + 1) % 10);
}

std::vector<MenuItemState> MoveToWindowItems(const std::vector<WindowEntry>& windows) {
    std::vector<MenuItemState> items(kMenuWindows);
    int shown = 0;
    for (int i = 0; i < kMenuWindows; ++i) {
        MenuItemState& item = items[static_cast<std::size_t>(i)];
        item.Tag = i;
        item.ColumnBreak = i == kWindowColumnBreak;
        if (i >= static_cast<int>(windows.size()) || windows[static_cast<std::size_t>(i)].Active) {
            item.Visible = false;
            continue;
        }
        const WindowEntry& w = windows[static_cast<std::size_t>(i)];
        ++shown;
        item.Caption = NumberPrefix(shown) + MenuName(w.Caption);
        item.Enabled = !w.ReadOnly;
    }
    return items;
}

bool MoveToWindowEnabled(const FragSet* doc, int windowCount) {
    return doc && !doc->ReadOnly && !doc->SelectionList.empty() && windowCount >= 2;
}

bool MoveSelectionToDocument(FragSet& from, FragSet& to, FragBuffer& buffer) {
    if (&from == &to || to.ReadOnly || from.ReadOnly) return false;
    from.RebuildSelection();
    if (from.SelectionList.empty()) return false;
    buffer.CutSelection(from);
    buffer.PasteBuffer(to, false);
    return true;
}

int FindInDocument(FragSet& doc, const std::optional<std::string>& text) {
    doc.RebuildSelection();
    const bool within = doc.SelectionList.size() >= 2;
    if (!text) {
        // Words the document cannot hold match no card; without this they would turn into "?"
        // and match every card with a question mark.
        doc.SelectAll(false);
        doc.RebuildSelection();
        doc.RedrawAll();
        return 0;
    }
    return doc.SelectByText(*text, -1, within);
}

bool CanStepSelection(const FragSet& doc, bool forward) {
    const int count = static_cast<int>(doc.SelectionList.size());
    if (count == 0) return false;
    return forward ? doc.SelCursor < count - 1 : doc.SelCursor > 0;
}

bool StepSelection(FragSet& doc, bool forward) {
    if (!CanStepSelection(doc, forward)) return false;
    const int cursor = doc.SelCursor + (forward ? 1 : -1);
    doc.CentreOn(doc.SelectionList[static_cast<std::size_t>(cursor)], true);
    doc.SelCursor = cursor;
    return true;
}

LinePopupState LinePopup(const FragSet& doc) {
    LinePopupState s;
    const int n = static_cast<int>(doc.GroupLines.size());
    if (doc.SelectedLine >= 0 && doc.SelectedLine < n) {
        const ArrowLine& line = doc.GroupLines[static_cast<std::size_t>(doc.SelectedLine)];
        s.LineSelected = true;
        s.Type = line.Type;
        s.Width = line.Width;
    } else {
        s.Type = doc.Env().DefGLineType;
        s.Width = doc.Env().DefGLineWidth;
    }
    return s;
}

std::optional<int> LineTypeOfTag(int tag) {
    if (tag >= 0 && tag <= 3) return tag + 1;
    return std::nullopt;
}

std::optional<int> LineWidthOfTag(int tag) {
    switch (tag) {
        case -10:
            return -1;
        case 10:
            return 1;
        case 11:
            return 3;
        case 12:
            return 5;
        case 13:
            return 9;
        default:
            return std::nullopt;
    }
}

bool ApplyLineItem(FragSet& doc, EnvData& env, int tag) {
    const auto type = LineTypeOfTag(tag);
    const auto width = LineWidthOfTag(tag);
    if (!type && !width) return false;
    const int n = static_cast<int>(doc.GroupLines.size());
    if (doc.SelectedLine < 0 || doc.SelectedLine >= n) {
        if (type) env.DefGLineType = *type;
        if (width) env.DefGLineWidth = *width;
        if (doc.LineStep() == LineToolStep::Ready) doc.View().SetCursor(CursorShape::LineTool);
        return false;
    }
    // Restyling invalidates the line and re-routes the frames itself.
    if (!doc.SetGroupLineStyle(doc.SelectedLine, type, width)) return false;
    doc.RefreshRequest();
    return true;
}

bool DeleteSelectedLine(FragSet& doc) {
    // The same deletion as the Delete key and the delete command, with a line selected.
    return doc.SelectedLine >= 0 && doc.DeleteSelectionOrLine();
}

}  // namespace qv
