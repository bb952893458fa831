// The behaviour of the whole-size dialog (TScrSizeDlg) without its widgets: the page of a document
// fixed to a size of its own and divided into a grid of columns and rows.
//
//   show                -> Open(target)         then show the four texts, Fixed() and the bounds
//   fix box clicked     -> SetFixed(on)         then enable the edits as EditsEnabled() says
//   edit typed          -> SetText(field, text) (only digits, at most MaxDigits(field))
//   arrow up / down     -> Step(field, ±1)      then show Text(field)
//   division changed    -> DivisionActive()     window colour when true, button face otherwise
//   OK                  -> Accept()             (Cancel does nothing)
//
// The edits hold text, not numbers: a typed value below the arrows' lower bound is accepted, and
// OK takes what is typed.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace qv {

class EnvData;
class FragSet;

class WholeSizeController {
  public:
    enum Field { Width = 0, Height = 1, Columns = 2, Rows = 3 };
    static constexpr int kFieldCount = 4;
    // The arrows' ranges: sizes up to 30000, division counts 0..20.
    static constexpr int kMaxSize = 30000;
    static constexpr int kMinSize = 100;
    static constexpr int kMaxDivisions = 20;

    explicit WholeSizeController(EnvData& env) : env_(env) {}

    // Fills the fields from `target` (null: the defaults, and OK will do nothing).
    void Open(FragSet* target);

    bool Fixed() const { return fixed_; }
    void SetFixed(bool on) { fixed_ = on; }
    // All four edits are usable exactly while the size is fixed.
    bool EditsEnabled() const { return fixed_; }

    const std::string& Text(Field f) const { return texts_[f]; }
    // Takes a typed text; anything but digits, or more than MaxDigits, is refused (false).
    bool SetText(Field f, std::string_view text);
    static int MaxDigits(Field f) { return f <= Height ? 5 : 2; }

    // The arrows' bounds. Width and height start at the target's used size: the arrows never
    // make the page smaller than its cards, while typing still may.
    int Minimum(Field f) const { return minimum_[f]; }
    int Maximum(Field f) const { return f <= Height ? kMaxSize : kMaxDivisions; }
    // One arrow click: from the typed number (or the bound it lies beyond) by `steps`, within the
    // bounds. Returns the text now shown.
    const std::string& Step(Field f, int steps);
    // Whether an arrow in that direction would change the value.
    bool CanStep(Field f, int steps) const;

    // The grid is drawn only with more than one column or row: the division edits show the window
    // colour then, the button-face colour otherwise.
    bool DivisionActive() const;

    // OK: with a target, stores the fix switch, the size (also as the default size for new
    // pages) and the grid, marks the document modified and repaints it. Returns whether a
    // document changed.
    bool Accept();

  private:
    // The number in a field, or `fallback` when it holds none.
    int Number(Field f, int fallback) const;

    EnvData& env_;
    FragSet* target_ = nullptr;
    bool fixed_ = false;
    std::array<std::string, kFieldCount> texts_;
    std::array<int, kFieldCount> minimum_{kMinSize, kMinSize, 0, 0};
};

}  // namespace qv
