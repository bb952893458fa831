// EditHistory: undo and redo of every change to a document.
//
// The history keeps a copy of what the document's file holds (every card's stored fields, the card
// order, the group lines, the fixed page size and division grid) as it was when the last step
// closed. Closing a step compares the document with that copy and records the difference: cards
// changed (their values before and after), cards added and cards removed (the removed card object
// itself, so a card brought back is the same card for the selection, links and later redo), the
// order when the surviving cards were restacked, and the lines and page fields when they changed.
// No editing operation records anything itself, so none can forget to be undoable; whoever drives
// the editing (a command, a gesture, a dialog) only says when a step ends.
//
// Steps are kept within a memory budget, the oldest dropped first. Whether the document counts as
// modified follows the history: undoing or redoing to the state last saved (or opened) clears the
// flag.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/color.h"
#include "core/model/fragment.h"

namespace qv {

class FragSet;

// What a step did, as far as its changes tell; the program names a step by its kind unless the
// route that made it gave it a name.
enum class StepKind {
    Edit,        // several kinds of change at once
    Create,      // cards added
    Delete,      // cards removed
    Move,        // positions only
    Group,       // group membership (with or without positions)
    Paint,       // background colours only
    Properties,  // texts, sizes, colours, kinds, links
    Lines,       // group lines only
    Page,        // page size or division grid only
};

// The stored fields of one card, as the document file holds them.
struct CardValues {
    std::string Text;
    std::string Link;
    int Group = 0;
    FragmentKind Kind = FragmentKind::Text;
    int Left = 0;
    int Top = 0;
    int Columns = 0;
    int Lines = 0;
    Color ColFG = 0;
    Color ColBG = 0;

    static CardValues Of(const Fragment& f);
    friend bool operator==(const CardValues&, const CardValues&) = default;
};

struct LineValues {
    int From = 0;
    int To = 0;
    int Type = 0;
    int Width = 0;
    friend bool operator==(const LineValues&, const LineValues&) = default;
};

struct PageValues {
    bool FixedSize = false;
    int FixedWidth = 0;
    int FixedHeight = 0;
    int DivColumns = 0;
    int DivRows = 0;
    friend bool operator==(const PageValues&, const PageValues&) = default;
};

class EditHistory {
  public:
    // Per document; a step of single-card edits takes a few hundred bytes.
    static constexpr std::size_t kDefaultBudget = std::size_t{32} << 20;

    explicit EditHistory(FragSet& set);
    ~EditHistory();
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    // Forgets every step and takes the document as it is now as the start (after reading a file);
    // a document that is not modified now counts as saved here.
    void Reset();

    // Closes the changes made since the last step into one step. `label` names it (empty: the
    // program names it by its kind); `kind` says what it was when the route knows better than the
    // changes tell (Edit: judge by the changes). A document without changes makes no step; a
    // read-only document records nothing. Returns whether a step was made.
    bool Commit(std::string label = {}, std::optional<StepKind> kind = std::nullopt);
    // Puts back what changed since the last step, recording nothing (a cancelled dialog).
    void Revert();

    bool CanUndo() const;
    bool CanRedo() const;
    // The step Undo / Redo would take back / do again.
    const std::string& UndoLabel() const;
    const std::string& RedoLabel() const;
    StepKind UndoKind() const;
    StepKind RedoKind() const;
    // Take back / do again one step (changes not yet in a step are closed into one first). False
    // when there is none or the document is read-only.
    bool Undo();
    bool Redo();

    // The document was written out: the state now is the saved one.
    void MarkSaved();
    // The document no longer matches any state of the history on disk (restored from a recovery
    // copy, its file gone): no undo makes it unmodified.
    void ForgetSaved();

    int StepCount() const { return static_cast<int>(steps_.size()); }
    int Position() const { return position_; }
    std::size_t Bytes() const { return bytes_; }
    std::size_t Budget() const { return budget_; }
    void SetBudget(std::size_t bytes);

  private:
    struct Step;
    struct ShadowCard {
        Fragment* Card = nullptr;
        CardValues Values;
    };

    std::unique_ptr<Step> Diff();
    void TakeShadow();
    void ApplyShadowOf(const Step& step);
    void Apply(Step& step, bool forward);
    void DropOldest();
    void DiscardRedo();
    void FollowSaved();

    FragSet& set_;
    std::vector<ShadowCard> shadow_;
    std::unordered_map<const Fragment*, std::size_t> shadowIndex_;
    std::vector<LineValues> shadowLines_;
    PageValues shadowPage_;
    std::array<bool, kGroupRows> shadowShown_{};
    std::vector<std::unique_ptr<Step>> steps_;
    int position_ = 0;  // steps done
    int saved_ = 0;     // the position of the saved state; -1 when none is reachable
    std::size_t bytes_ = 0;
    std::size_t budget_ = kDefaultBudget;
};

}  // namespace qv
