// The menus and commands that choose cards or send them elsewhere, without widgets: the group
// submenus, the background-colour choice, the move-to-window submenu, find and stepping through
// the selection, and the group-line pop-up. The main window builds its menus from these states
// and forwards the choices.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/color.h"

namespace qv {

class EnvData;
class FragBuffer;
class FragSet;

// The group submenus offer groups 1 .. kMenuGroups; the window submenu kMenuWindows windows.
inline constexpr int kMenuGroups = 40;
inline constexpr int kMenuWindows = 40;
// Items from this one on start a second column (group 21, window 20).
inline constexpr int kGroupColumnBreak = 20;
inline constexpr int kWindowColumnBreak = 19;
// The background-colour pop-up holds this many colours.
inline constexpr int kColourItems = 20;

// One menu item: caption and hint in code page 932.
struct MenuItemState {
    std::string Caption;
    std::string Hint;
    int Tag = 0;
    bool Enabled = true;
    bool Visible = true;
    bool ColumnBreak = false;
};

// "グループ選択(&G)": select group g (1..40) of `doc` (null without a document).
std::vector<MenuItemState> GroupSelectItems(const FragSet* doc);
// "他グループへ移動(&M)": rebuilds the selection of `doc` first; a group holding selected cards
// cannot be chosen.
std::vector<MenuItemState> GroupMoveItems(FragSet* doc);

// The distinct background colours of the document's cards in list order (hidden ones too), at
// most kColourItems.
std::vector<Color> BackgroundColours(const FragSet& doc);
// The caption of colour item i: "&1:" … "&9:", "&0:" for the first ten, empty for the rest.
std::string ColourItemCaption(int i);

// A document window as the move-to-window submenu sees it.
struct WindowEntry {
    std::string Caption;  // code page 932
    bool ReadOnly = false;
    bool Active = false;
};
// Item i stands for window i; the active window and windows beyond the list are hidden; a
// read-only target is shown disabled.
std::vector<MenuItemState> MoveToWindowItems(const std::vector<WindowEntry>& windows);
// The submenu itself: a writable document with a selection and another window to go to.
bool MoveToWindowEnabled(const FragSet* doc, int windowCount);
// Moves the selection of `from` to `to` through the cut buffer (the cards stay in the buffer).
// False when nothing was moved (nothing selected, same document, read-only target).
bool MoveSelectionToDocument(FragSet& from, FragSet& to, FragBuffer& buffer);

// Find: the search itself, after the dialog. `text` is the search text in code page 932, or none
// when the user's words cannot be held in it (then nothing is found: the selection is emptied).
// Searches within the selection when two or more cards are selected. Returns the match count.
int FindInDocument(FragSet& doc, const std::optional<std::string>& text);

// Previous / next selected card: moves SelCursor and centres the card, marking it. False when
// there is no step to take.
bool StepSelection(FragSet& doc, bool forward);
bool CanStepSelection(const FragSet& doc, bool forward);

// The group-line pop-up: tags of the type items 0..3, the width items -10, 10..13.
struct LinePopupState {
    bool LineSelected = false;
    int Type = 1;   // checked type 1..4
    int Width = 1;  // checked width -1, 1, 3, 5, 9
};
LinePopupState LinePopup(const FragSet& doc);
// The type or width of a tag; nullopt for an unknown tag.
std::optional<int> LineTypeOfTag(int tag);
std::optional<int> LineWidthOfTag(int tag);
// A type or width item was chosen: restyles the selected line (true: the document changed), or
// sets the default for new lines.
bool ApplyLineItem(FragSet& doc, EnvData& env, int tag);
// Deletes the selected line; false when none is selected.
bool DeleteSelectedLine(FragSet& doc);

}  // namespace qv
