#include "core/panels/group_list.h"

#include <algorithm>
#include <cstdio>

#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"

namespace qv {

namespace {

// "ｸﾞﾙｰﾌﾟ" (half-width) and " ____" of the placeholder rows; "___: " of empty groups.
constexpr std::string_view kPlaceholderWord = "\xb8\xde\xd9\xb0\xcc\xdf";
constexpr std::string_view kPlaceholderTail = " ____";
constexpr std::string_view kEmptyPrefix = "___: ";
constexpr std::string_view kSection = "GroupList";

std::string GroupWordNumber(std::string_view word, int n) {
    char number[8];
    std::snprintf(number, sizeof number, " %2u", static_cast<unsigned>(n));
    return std::string(word) + number;
}

GroupEntry& Entry(FragSet& set, int g) {
    return set.GroupTable[static_cast<std::size_t>(g)];
}

}  // namespace

int GroupOfRow(int row) {
    return row == kNoGroupRow ? kNoGroup : row + 1;
}

int RowOfGroup(int group) {
    return group == kNoGroup ? kNoGroupRow : group - 1;
}

GroupListRowsState PlaceholderRows() {
    GroupListRowsState rows;
    for (int r = 0; r < kNoGroupRow; ++r) {
        char number[8];
        std::snprintf(number, sizeof number, "%2u", static_cast<unsigned>(r + 1));
        rows.Text[static_cast<std::size_t>(r)] =
            std::string(kPlaceholderWord) + number + std::string(kPlaceholderTail);
    }
    rows.Text[kNoGroupRow] = std::string(kNoGroupName) + std::string(kPlaceholderTail);
    rows.Checked.fill(true);
    return rows;
}

std::string GroupRowText(const FragSet* set, int row) {
    const int g = GroupOfRow(row);
    if (!set) {
        if (row == kNoGroupRow) return std::string(kNoGroupName);
        return std::string(kEmptyPrefix) + GroupWordNumber(kGroupWord, g);
    }
    const GroupEntry& e = set->GroupTable[static_cast<std::size_t>(g)];
    std::string text;
    if (e.Empty) {
        text = kEmptyPrefix;
    } else {
        char count[16];
        std::snprintf(count, sizeof count, "%3u: ", static_cast<unsigned>(e.Count));
        text = count;
    }
    return text + set->GroupNameText(g);
}

std::vector<int> RefreshGroupRows(const FragSet* set, GroupListRowsState& rows) {
    std::vector<int> changed;
    for (int r = 0; r < kGroupListRows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        std::string text = GroupRowText(set, r);
        const bool checked =
            set ? set->GroupTable[static_cast<std::size_t>(GroupOfRow(r))].Shown : rows.Checked[i];
        if (text == rows.Text[i] && checked == rows.Checked[i]) continue;
        rows.Text[i] = std::move(text);
        rows.Checked[i] = checked;
        changed.push_back(r);
    }
    if (set) {
        const int g = FragSet::IsGroupNumber(set->GroupListGroup) ? set->GroupListGroup : 1;
        rows.Selected = RowOfGroup(g);
    } else {
        rows.Selected = 0;
    }
    return changed;
}

void PickGroupRow(FragSet& set, int row) {
    if (row < 0 || row >= kGroupListRows) return;
    set.GroupListGroup = GroupOfRow(row);
    std::string name;
    if (Fragment* plate = set.GroupName(set.GroupListGroup, name)) {
        set.BringToTop(plate);
        set.SortByZOrder();
        plate->Redraw();
    }
}

void ApplyGroupChecks(FragSet& set, GroupListRowsState& rows, int clickedRow, bool shift) {
    if (shift && clickedRow >= 0 && clickedRow < kGroupListRows) {
        // Show only this group: whatever its mark was, it is the one left shown.
        rows.Checked.fill(false);
        rows.Checked[static_cast<std::size_t>(clickedRow)] = true;
    }
    for (int r = 0; r < kGroupListRows; ++r)
        Entry(set, GroupOfRow(r)).Shown = rows.Checked[static_cast<std::size_t>(r)];
}

GroupRowAction ActivateGroupRow(FragSet& set, int row) {
    if (row < 0 || row >= kGroupListRows) return GroupRowAction::None;
    const int g = GroupOfRow(row);
    if (Entry(set, g).Empty) {
        set.SelectAll(false);
        return set.Env().NewBlankDblClick ? GroupRowAction::NewFragment
                                          : GroupRowAction::Deselected;
    }
    // A second double click on the group the selection consists of deselects it.
    if (!set.SelectionList.empty() &&
        std::all_of(set.SelectionList.begin(), set.SelectionList.end(),
                    [g](const Fragment* f) { return f->Group == g; })) {
        set.SelectAll(false);
        return GroupRowAction::Deselected;
    }
    set.SelectGroup(g, true);
    return GroupRowAction::SelectedGroup;
}

bool MoveCurrentGroup(FragSet& set, int delta) {
    const int c = set.GroupListGroup;
    const int to = c + delta;
    if (set.ReadOnly || c < 1 || c > kMaxGroup || to < 1 || to > kMaxGroup) return false;
    if (!set.SwapGroups(c, to)) return false;
    set.GroupListGroup = to;
    return true;
}

bool CanDropOnRow(const FragSet& set, int row) {
    return !set.ReadOnly && row >= 0 && row < kNoGroupRow && set.GroupListGroup >= 1 &&
           set.GroupListGroup <= kMaxGroup;
}

bool DropOnRow(FragSet& set, int row) {
    if (!CanDropOnRow(set, row)) return false;
    const int target = GroupOfRow(row);
    if (!set.SwapGroups(set.GroupListGroup, target)) return false;
    set.GroupListGroup = target;
    return true;
}

void ShowAllGroups(FragSet& set) {
    for (GroupEntry& e : set.GroupTable)
        e.Shown = true;
}

void ShowNonEmptyGroups(FragSet& set) {
    for (GroupEntry& e : set.GroupTable)
        e.Shown = !e.Empty;
}

GroupListPlacement ReadGroupListPlacement(const UsrIniFile& ini, const EnvData& env,
                                          int defaultWidth) {
    GroupListPlacement p;
    p.Visible = ini.ReadBool("General", "GroupList", true);
    p.Floating = ini.ReadBool(kSection, "Floating", false);
    p.Side = env.Align >= 1 && env.Align <= 4 ? static_cast<DockSide>(env.Align) : DockSide::Left;
    p.Width = std::max(ini.ReadInteger(kSection, "Width", defaultWidth), 20);
    p.Height = std::max(ini.ReadInteger(kSection, "Height", 120), 20);
    p.FLeft = ini.ReadInteger(kSection, "FLeft", 0);
    p.FTop = ini.ReadInteger(kSection, "FTop", 0);
    p.FRight = ini.ReadInteger(kSection, "FRight", 200);
    p.FBottom = ini.ReadInteger(kSection, "FBottom", 200);
    // The untouched default rectangle is what a list that never floated used to leave behind.
    p.FloatStored = !ini.ReadString(kSection, "FLeft", "").empty() &&
                    !ini.ReadString(kSection, "FTop", "").empty() &&
                    !(p.FLeft == 0 && p.FTop == 0 && p.FRight == 200 && p.FBottom == 200);
    if (p.FRight - p.FLeft < 20 || p.FBottom - p.FTop < 20) {
        p.FLeft = p.FTop = 0;
        p.FRight = p.FBottom = 200;
        p.FloatStored = false;
    }
    p.UnDockWidth =
        std::max(ini.ReadInteger(kSection, "UnDockWidth", std::max(200, defaultWidth)), 20);
    p.UnDockHeight = std::max(ini.ReadInteger(kSection, "UnDockHeight", 200), 20);
    return p;
}

void WriteGroupListPlacement(UsrIniFile& ini, EnvData& env, const GroupListPlacement& p) {
    ini.WriteBool("General", "GroupList", p.Visible);
    ini.WriteBool(kSection, "Floating", p.Floating);
    env.Align = static_cast<int>(p.Side);
    ini.WriteInteger(kSection, "Align", env.Align);
    ini.WriteInteger(kSection, "Width", p.Width);
    ini.WriteInteger(kSection, "Height", p.Height);
    // A list that never floated has no floating rectangle to keep.
    if (p.FloatStored) {
        ini.WriteInteger(kSection, "FLeft", p.FLeft);
        ini.WriteInteger(kSection, "FTop", p.FTop);
        ini.WriteInteger(kSection, "FRight", p.FRight);
        ini.WriteInteger(kSection, "FBottom", p.FBottom);
    }
    ini.WriteInteger(kSection, "UnDockWidth", p.UnDockWidth);
    ini.WriteInteger(kSection, "UnDockHeight", p.UnDockHeight);
}

int DockPanelSize(int stored, int clientExtent) {
    return std::max(20, std::min(stored, clientExtent - 120));
}

}  // namespace qv
