// The group list without its widgets: the 101 rows of a document's groups (their texts, check
// states and the selected row), what each click, key and drop does to the document, and the
// placement values the list keeps in the settings file.
//
// Row r (0..99) stands for group r + 1; row 100 for group 0 ("無所属"), always last.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace qv {

class EnvData;
class FragSet;
class UsrIniFile;

inline constexpr int kGroupListRows = 101;
inline constexpr int kNoGroupRow = 100;

int GroupOfRow(int row);
int RowOfGroup(int group);

// What the list shows: texts (code page 932), check marks and the selected row.
struct GroupListRowsState {
    std::array<std::string, kGroupListRows> Text;
    std::array<bool, kGroupListRows> Checked{};
    int Selected = 0;
};

// The rows before the first refresh: "ｸﾞﾙｰﾌﾟ%2u ____" and "無所属 ____", all checked, row 0.
GroupListRowsState PlaceholderRows();

// The text of a row: with a document the member count ("%3u: ", "___: " for an empty group) and
// the group's name; without one "___: グループ %2u", and "無所属" for the last row.
std::string GroupRowText(const FragSet* set, int row);

// Brings `rows` up to date with `set` (null: no document). Only rows whose text or check mark
// differ are written; their numbers are returned so the view repaints only those.
std::vector<int> RefreshGroupRows(const FragSet* set, GroupListRowsState& rows);

// ---- What the list's events do ----

// A row was picked: it becomes the document's current group, and its name plate comes on top.
void PickGroupRow(FragSet& set, int row);

// A check mark was clicked: without Shift every group takes the check mark of its row; with
// Shift only the clicked row's group stays shown (it keeps its new mark) and every other is
// switched off. Does not mark the document modified.
void ApplyGroupChecks(FragSet& set, GroupListRowsState& rows, int clickedRow, bool shift);

enum class GroupRowAction {
    None,
    Deselected,     // the selection was cleared
    NewFragment,    // an empty group with NewBlankDblClick: open the new-card dialog for it
    SelectedGroup,  // the group's visible cards were selected and the view centred on them
};
// Double click or Enter on a row: an empty group clears the selection (and asks for a new card
// with NewBlankDblClick); the group that is wholly selected already is deselected; any other
// group is selected and centred.
GroupRowAction ActivateGroupRow(FragSet& set, int row);

// Alt+Up / Alt+Down: exchanges the current group with the one above (-1) or below (+1); it
// stays current. Nothing on a read-only document, for group 0, or beyond 1..100.
bool MoveCurrentGroup(FragSet& set, int delta);

// A row drag may drop on `row`: a writable document whose current group is 1..100. Group 0's row
// takes no drop, so "no group" never changes its number.
bool CanDropOnRow(const FragSet& set, int row);
// Drops the current group on `row`: the two groups exchange numbers and the dropped-on group
// becomes current. False when the drop is refused.
bool DropOnRow(FragSet& set, int row);

// "全て表示" and "空でないグループを表示": every group shown, or exactly the groups with members.
void ShowAllGroups(FragSet& set);
void ShowNonEmptyGroups(FragSet& set);

// ---- Placement in the settings file ----

enum class DockSide { Top = 1, Bottom = 2, Left = 3, Right = 4 };

struct GroupListPlacement {
    bool Visible = true;             // [General] GroupList
    bool Floating = false;           // [GroupList] Floating
    DockSide Side = DockSide::Left;  // [GroupList] Align (kept in EnvData::Align)
    int Width = 120;                 // a left or right panel
    int Height = 120;                // a top or bottom panel
    int FLeft = 0, FTop = 0, FRight = 200, FBottom = 200;  // the floating window
    int UnDockWidth = 200, UnDockHeight = 200;
    // Whether the floating rectangle is the user's (read from the settings file, or the list
    // floated); without one the window chooses where the list first floats, and none is written.
    bool FloatStored = false;

    friend bool operator==(const GroupListPlacement&, const GroupListPlacement&) = default;
};

// Reads the placement; an unknown side is the left, sizes below 20 are 20, and a floating
// rectangle without area is the default one (not stored). `defaultWidth` is the width of a left
// or right panel, and the least undock width, when the file names none.
GroupListPlacement ReadGroupListPlacement(const UsrIniFile& ini, const EnvData& env,
                                          int defaultWidth = 120);
void WriteGroupListPlacement(UsrIniFile& ini, EnvData& env, const GroupListPlacement& p);

// A dock panel never takes more than the main window's client size less 120 (nor less than 20).
int DockPanelSize(int stored, int clientExtent);

}  // namespace qv
