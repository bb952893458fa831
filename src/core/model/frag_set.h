// FragSet: the model of one document — its fragments in stacking order, the selection, the table of
// 101 groups with their frames, the group relation lines, the page size and division grid, the file
// name and document flags, the history of its edits (see EditHistory) and the handling of presses
// and drags on fragments (the gesture under way is kept apart from the document's data, see
// Gesture).
//
// Drawing is retained: operations change state and invalidate what changed on the document view;
// the view's paint handler paints in the order PaintOrder() gives. After the view scrolls or
// resizes, the view calls RedrawAll() (screen rectangles and frames follow the scroll positions).
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/color.h"
#include "core/fs/file_identity.h"
#include "core/geom.h"
#include "core/model/arrow_line.h"
#include "core/model/change_flag.h"
#include "core/model/edit_history.h"
#include "core/model/fragment.h"
#include "core/model/gesture.h"
#include "core/model/group_entry.h"
#include "core/model/ports.h"

namespace qv {

// A document holds at most this many fragments.
inline constexpr int kMaxFragments = 1000;

// Largest page side the scroll bars are given, whatever a file says.
inline constexpr int kMaxPageSide = 1 << 24;

// Texts of the model, code page 932.
// "これ以上断片を作れません": the warning when the fragment limit is reached.
inline constexpr std::string_view kTooManyFragmentsText =
    "\x82\xb1\x82\xea\x88\xc8\x8f\xe3\x92\x66\x95\xd0\x82\xf0\x8d\xec\x82\xea\x82\xdc\x82\xb9\x82"
    "\xf1";
// "無所属": the name of group 0.
inline constexpr std::string_view kNoGroupName = "\x96\xb3\x8f\x8a\x91\xae";
// "グループ": a group without name plate is named by this word, a blank and its number
// right-aligned in two places ("グループ %2u").
inline constexpr std::string_view kGroupWord = "\x83\x4f\x83\x8b\x81\x5b\x83\x76";

enum class MouseButton { Left, Right, Middle };

// What grouping the selection with the grouping tool did.
enum class GroupingResult {
    Nothing,      // nothing selected, a read-only document, or exactly one group already
    Grouped,      // the selection joined a group and was deselected
    NoFreeGroup,  // every group 1..100 is in use: nothing changed, the selection stays
};

// Keys held with a mouse message.
struct ShiftState {
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;
};

// Receives the parts of a document in the order they are painted (see FragSet::PaintOrder).
class PaintVisitor {
  public:
    virtual ~PaintVisitor() = default;
    // The division grid goes first, when the page shows one; its geometry is the target's.
    virtual void DivisionLines() {}
    // Cards in painting order; `selectedPass` for the second pass of a window paint.
    virtual void Card(const Fragment& /*fragment*/, bool /*selectedPass*/) {}
    // A visible frame: entry.Bounds in document coordinates, entry.Frame in client coordinates.
    virtual void Frame(int /*group*/, const GroupEntry& /*entry*/) {}
    // `selected`: the line is the set's SelectedLine (painted in the SelectRect colour).
    virtual void GroupLine(int /*index*/, const ArrowLine& /*line*/, bool /*selected*/) {}
};

// What one paint takes from a document, for PaintOrder. Every view paints through PaintOrder, so
// the rules of what shows are written once; a target only chooses among them.
struct PaintScope {
    // The window paints cards that are not selected (or are pictures while pictures sit at the
    // back) first and the selected ones after them; paper, images and the map take every card in
    // list order.
    bool SelectedLast = true;
    // The window and the map show the lines on the window now (Drawn: a drag takes them off);
    // paper and images every routed line between two counting groups.
    bool DrawnLinesOnly = true;
    // Cards whose screen rectangle (client coordinates) misses this are left out.
    const Rect* ScreenClip = nullptr;
    // Cards whose document rectangle misses this are left out.
    const Rect* DocClip = nullptr;
    // Groups that count, besides being shown (index = group number); null for every shown group.
    // Cards of other groups, their frames and lines touching them are left out.
    const std::array<bool, kGroupRows>* Groups = nullptr;
};

class FragSet {
  public:
    using TFragList = std::vector<std::unique_ptr<Fragment>>;

    // An empty document: 101 groups (all shown and empty), no lines, page size from the settings
    // DefScrWidth / DefScrHeight (not fixed), no division grid.
    explicit FragSet(const DocContext& context);
    ~FragSet();
    FragSet(const FragSet&) = delete;
    FragSet& operator=(const FragSet&) = delete;

    const DocContext& Context() const { return ctx_; }
    EnvData& Env() const { return ctx_.env; }
    DocumentView& View() const { return ctx_.view; }

    // ---- Document data ----
    std::string FileName;  // full file-system path (the user's bytes); empty for a new document
    // Files this document holds only in part (cards left out at the limit, texts code page 932
    // cannot hold): the document is never saved over one of them.
    std::vector<FileIdentity> IncompleteSources;
    // Unsaved changes; Modified.Generation() counts the changes (recovery copies follow it).
    ChangeFlag Modified;
    bool ReadOnly = false;
    bool FixedSize = false;
    int FixedWidth = 0;
    int FixedHeight = 0;
    int DivColumns = 0;
    int DivRows = 0;
    bool ShowDivLines = false;
    int WholeWidth = 1;
    int WholeHeight = 1;
    int UsedWidth = 1;
    int UsedHeight = 1;
    bool HasImages = false;

    std::array<GroupEntry, kGroupRows> GroupTable;
    TArrowList GroupLines;
    int SelectedLine = -1;   // index into GroupLines, -1 for none
    int GroupListGroup = 1;  // the group last picked in the group list

    // The selection, in reading order after RebuildSelection.
    std::vector<Fragment*> SelectionList;
    int SelCursor = -1;  // position in the selection for previous/next; -1 when no find result

    // ---- What the app changes in the document ----
    // Counts as an unsaved change.
    void MarkModified() { Modified = true; }
    // The document was read back from a recovery copy of `path`: it takes that name, is never
    // read-only (closing it would drop the restored changes unasked) and counts as changed.
    void AdoptRecovered(const std::string& path);
    // The name the document is shown and saved under.
    void SetFileName(std::string path) { FileName = std::move(path); }
    // A page of the fixed size instead of one that grows with the cards.
    void SetFixedSize(bool fixed) { FixedSize = fixed; }
    // Whether the division grid shows, as a copy of a document shows it.
    void SetDivLinesShown(bool shown) { ShowDivLines = shown; }
    // Shows or hides group g (0..100; others are ignored).
    void ShowGroup(int g, bool shown);
    // The group-list row a document reopens at; outside 0..100 it is group 1.
    void PickGroupListGroup(int g) { GroupListGroup = IsGroupNumber(g) ? g : 1; }
    // The frame of group g is repainted when the gesture ends (see RepaintTouchedFrames).
    void TouchFrame(int g);
    // Takes a card out of the selection (and repaints it), as following its link does.
    void Deselect(Fragment& fragment);

    // ---- The gesture under way on the document's window ----
    const Gesture& CurrentGesture() const { return gesture_; }
    bool Dragging() const { return gesture_.Dragging; }
    LineToolStep LineStep() const { return gesture_.LineStep; }
    void SetLineStep(LineToolStep step) { gesture_.LineStep = step; }
    // The page scrolled by dx, dy under a running drag: the last drag point moves with it.
    void PageScrolled(int dx, int dy);
    // A dialog took over from the press (a new card opened by a double click): no drag follows.
    void StopDragging() { gesture_.Dragging = false; }
    // The double click is over: its second press never reaches PressFragment, so what the dialog
    // left for that press must not wait for the user's next real one.
    void DoubleClickDone() { gesture_.AfterDialog = false; }

    // ---- Fragments ----
    // All fragments; list order is drawing order (sorted by ZOrderLess after SortByZOrder).
    const TFragList& Fragments() const { return frags_; }
    int Count() const { return static_cast<int>(frags_.size()); }

    // Appends a new fragment (creation defaults, Visible, on top of all others). At kMaxFragments
    // it warns "これ以上断片を作れません" (OK/Cancel) and returns nullptr.
    Fragment* AddFragment();
    // Empties the document before its file is read into it again: no cards, group lines, page
    // size, grid, selection, marks, gesture or position undo, and not modified or read-only. What
    // belongs to the window stays: the name, the shown groups, the group-list group.
    void Clear();
    // Removes one fragment: erases it and forgets every reference to it (selection, marked, link
    // press). Recount is left to the caller. The object itself is kept until the edit history's
    // next step, which holds on to it, so that undo brings back the same card.
    void DestroyFragment(Fragment* fragment);
    // Destroys every selected fragment; Recount, Modified, RefreshRequest.
    void DeleteSelected();

    // -1 in an empty set. Code that hands out stacking numbers itself takes them from
    // HighestZOrder() + 1 upwards and re-sorts with SortByZOrder() afterwards; AddFragment relies
    // on that to stay cheap.
    int HighestZOrder() const;
    // ZOrder = highest + 1; the caller re-sorts.
    void BringToTop(Fragment* fragment);
    // Sorts the list by ZOrderLess (stable).
    void SortByZOrder();
    // Stacking order: with ImageIsBack pictures come before every other kind; else ascending
    // ZOrder.
    bool ZOrderLess(const Fragment& a, const Fragment& b) const;
    // Reading order: cards whose horizontal extents overlap by more than half the narrower width
    // are one column, ordered by Top; otherwise by Left.
    static bool PositionLess(const Fragment& a, const Fragment& b);
    // Sorts any list of fragments in reading / stacking order (stable, safe for the reading
    // order, which is not transitive).
    static void SortByPosition(std::vector<Fragment*>& list);
    void SortByStacking(std::vector<Fragment*>& list) const;

    // Recomputes every group's counts and Empty, HasImages; deletes the group lines that end at an
    // empty group; SelectedLine = -1.
    void Recount();

    // The current jump or find target, if any.
    Fragment* MarkedFragment() const { return marked_; }
    // Clears the marked fragment (and redraws it).
    void Unmark();

    // ---- Groups ----
    // The name of group n: for 1..100 the text of its first name plate (returned), else
    // "グループ %2u"; "無所属" for 0; empty otherwise.
    Fragment* GroupName(int n, std::string& text) const;
    std::string GroupNameText(int n) const;
    // The first name plate of group n in list order (none for an empty group or n outside 1..100).
    Fragment* NamePlateOf(int n) const;
    // The group for new and imported fragments: the selection's common group, else the group-list
    // row, else the first shown group 1..100 (0 when only group 0 is shown, 1 when none is).
    int CurrentGroup() const;
    // Moves the selected fragments into group g (0..100); see the notes in the source.
    void MoveSelectionToGroup(int g);
    // Exchanges groups a and b (fragments, line ends, table rows). False for invalid numbers.
    bool SwapGroups(int a, int b);
    // Sets a line from a to b (both 1..100, different), reusing an existing line of the pair, with
    // the default type and width. False for invalid numbers.
    bool SetGroupLine(int a, int b);
    // Erases and deletes group line `index`; SelectedLine = -1. False for an invalid index.
    bool DeleteGroupLine(int index);
    // Whether group g is a valid row 0..100.
    static bool IsGroupNumber(int g) { return g >= kNoGroup && g <= kMaxGroup; }

    // ---- Selection ----
    // Selects every visible fragment (on) or deselects everything; returns the selection count.
    int SelectAll(bool on);
    // Rubber-band selection with a client rectangle (normalised here).
    void SelectInRect(const Rect& clientRect);
    void SelectGroup(int g, bool centre);
    void SelectByColour(Color c);
    // Find: selects the fragments whose text contains the words of `pattern` (all of them with
    // FindAndSw, any without; letter case with FindCaseSw). group -1 for all groups. Returns the
    // number of matches.
    int SelectByText(std::string_view pattern, int group, bool withinSelection);
    // Rebuilds SelectionList in reading order, clears the marked fragment; returns the count.
    int RebuildSelection();
    Fragment* SingleSelected() const;

    // ---- Position queries ----
    Fragment* NearestToSelectionCentre() const;
    // Smallest Left and smallest Top of the listed fragments (each separately); 0,0 for none.
    static Point TopLeft(const std::vector<Fragment*>& list);
    Fragment* FragmentByLink(std::string_view path) const;
    int FullySelectedGroup() const;
    // Scrolls so that the fragment's centre is in the middle of the client area; with `mark` it
    // becomes the marked fragment.
    void CentreOn(Fragment* fragment, bool mark);

    // ---- Hit tests (client coordinates) ----
    Fragment* FragmentAt(int x, int y) const;
    int GroupFrameAt(int x, int y) const;
    int GroupUnderFragment(const Fragment& fragment) const;
    int GroupLineAt(int x, int y) const;

    // ---- Visibility, size and redraw ----
    // Lifts the name plates on top, then UpdateVisibility.
    void RefreshVisibility();
    // Cards of shown groups (and name plates as the settings say) show, the others leave the
    // selection; the whole view is redrawn. The stacking stays as it is.
    void UpdateVisibility();
    // Asks the main window to refresh the views (see ViewRefresh).
    void RefreshRequest();
    // Invalidates the whole view and recomputes what painting needs: sizes, screen rectangles,
    // page size, frames and line routes.
    void RedrawAll();
    void ComputeWholeSize();
    // The division grid lines for a page of width × height, shifted by -shift (the scroll
    // position on the window, 0,0 elsewhere). Nothing unless ShowDivLines.
    void DivisionLines(int width, int height, Point shift,
                       std::vector<std::pair<Point, Point>>& out) const;
    // Document position of the k-th new fragment of columns × lines placed by NewPosition.
    Point NewFragmentPosition(int columns, int lines, int k) const;
    // Calls the visitor for everything a paint of `scope` shows, in painting order: division
    // lines, visible cards, visible frames, group lines.
    void PaintOrder(PaintVisitor& visitor, const PaintScope& scope = {}) const;
    // Recomputes every ScreenRect from the current scroll positions.
    void UpdateScreenRects();
    int ScrollX() const { return ctx_.view.ScrollPosition(ScrollAxis::Horizontal); }
    int ScrollY() const { return ctx_.view.ScrollPosition(ScrollAxis::Vertical); }

    // ---- Group frames and lines ----
    // Frame rectangles from the members, line routes, frame visibility.
    void UpdateGroupFrames();
    // Takes every drawn line off the window.
    void EraseGroupLines();
    // Repaints the visible frames with FrameTouched (all of them while pictures sit at the back
    // and there are pictures) and clears the flags.
    void RepaintTouchedFrames();
    // Dragged cards leave their frames: a drag without group drag while Ctrl is down.
    bool PickOutActive() const;

    // ---- Edit history ----
    EditHistory& History() { return *history_; }
    const EditHistory& History() const { return *history_; }
    bool UndoAvailable() const { return history_->CanUndo(); }
    bool RedoAvailable() const { return history_->CanRedo(); }
    // Every card's StartRect becomes its rectangle now: stretching measures from there.
    void TakeStretchBase();

    // ---- Editing in the document window ----
    // The grouping tool's rule for the selection: when it contains every member of a group (the
    // group with the most members, the lowest on a tie) and more, the rest joins that group; when
    // it is exactly that group nothing happens; otherwise it becomes the lowest empty group 1..100.
    GroupingResult GroupSelection();
    // The lowest group 1..100 without members, or 0 when all are in use.
    int FirstEmptyGroup() const;
    // Ctrl pressed or released while cards are dragged: with Ctrl down (and not a group drag) the
    // dragged cards leave their frames (pick-out), released they return and the group drag ends.
    // Frames and lines are laid out again at once. Nothing when no drag is running.
    void CtrlChangedWhileDragging(bool ctrlDown);
    // The brush: a selected card paints every selected card, another card only itself; the
    // selection is cleared. False (and nothing changes) for none or a read-only document.
    bool PaintBackground(Fragment* fragment, Color color);
    // Selects the group line under a client point (or none) and repaints the lines whose
    // highlight changed. Returns the new SelectedLine.
    int SelectGroupLineAt(int x, int y);
    // Type (1..4) and width (1, 3, 5, 9, -1 dotted) of group line `index`; a value outside its
    // range is left as is. False for an invalid index or a read-only document.
    bool SetGroupLineStyle(int index, std::optional<int> type, std::optional<int> width);
    // The Delete key and the delete commands: the selected group line if there is one, else the
    // selected cards, without a question. False when there was nothing to delete or the document
    // is read-only.
    bool DeleteSelectionOrLine();

    // ---- Mouse handling (client coordinates) ----
    void PressFragment(Fragment* fragment, MouseButton button, int x, int y, ShiftState shift);
    void DragSelection(Fragment* under, int x, int y, ShiftState shift);
    void ReleaseDrag(Fragment* under, ShiftState shift);
    void DoubleClickFragment(Fragment* fragment, ShiftState shift);

  private:
    friend class EditHistory;

    bool ShownGroup(int g) const {
        return IsGroupNumber(g) && GroupTable[static_cast<std::size_t>(g)].Shown;
    }
    void RemoveFromList(std::vector<Fragment*>& list, const Fragment* f);
    void DeselectAllQuiet();
    void MoveCursorShape(bool pickOut);
    void InvalidateFrame(const GroupFrame& frame);
    void InvalidateLine(const ArrowLine& line);
    void RenumberIfNeeded();
    void JoinGroup(Fragment* f, int g);
    bool HasOtherNamePlate(int g, const Fragment* except) const;
    void ForgetReferences(const Fragment* f);
    void DestroySelectedFragments();
    // The first name plate of every group 1..100 in one pass (index = group).
    void FirstNamePlates(std::array<Fragment*, kGroupRows>& plates) const;
    bool DragBlocked(int dx, int dy) const;
    void AutoScroll(int x, int y, int& dx, int& dy, bool& scrolled);

    DocContext ctx_;
    TFragList frags_;
    // Cards taken out of the document since the history's last step (see DestroyFragment).
    TFragList removed_;
    std::unique_ptr<EditHistory> history_;
    Fragment* marked_ = nullptr;
    Gesture gesture_;
    // Highest stacking number handed out or seen by the last scan, so that adding many fragments
    // does not scan the list each time.
    mutable int zTop_ = 0;
    std::vector<Rect> scratchRects_;
    // The last route of each line and what it was computed from: during a drag most frames stay
    // where they are, and their lines need not be routed again.
    struct RouteMemo {
        Rect From;
        Rect To;
        int Type = 0;
        int Width = 0;
        bool RightAngle = false;
        bool Valid = false;
        LineRoute Route;
    };
    std::vector<RouteMemo> routeMemo_;
};

}  // namespace qv
