// The behaviour of the card property dialog (TFrgPropDlg) without its widgets: new card, edit one
// card, edit several cards where only the touched fields reach the cards. The dialog forwards the
// user's actions here and shows the state the controller holds.
//
//   show               -> Open(request)        then show every field below
//   kind button        -> ChooseKind(k)
//   memo changed       -> ChangeText(cp932 with CR LF line ends)
//   width / height     -> ChangeWidth(v) / ChangeHeight(v), show the returned value
//   group chosen       -> ChangeGroup(item)
//   Fit                -> Fit()
//   colour chosen      -> SetBackColour(c) / SetTextColour(c); "透過" -> SetTransparent(state)
//   link edited        -> SetLink(text)
//   OK                 -> Apply(memo text)     (after the dialog made sure the text can be held)
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/color.h"
#include "core/model/ports.h"

namespace qv {

class EnvData;
class Fragment;
class FragSet;

// Width and height limits of the size edits.
inline constexpr int kMaxCardColumns = 40;
inline constexpr int kMaxSymbolColumns = 400;
inline constexpr int kMaxCardLines = 20;
// Items of the group list: groups 1..100, then "無所属" (group 0).
inline constexpr int kGroupItems = 101;
inline constexpr int kNoGroupItem = 100;

// What the opener asks for.
struct FrgPropRequest {
    FragSet* Target = nullptr;
    bool NewMode = false;
    bool AtPoint = false;  // new card at a point of the window
    int PointX = 0;        // client coordinates
    int PointY = 0;
    bool LinkPreset = false;
    std::string LinkPresetText;
    bool FromGroupList = false;
    int PresetGroup = -1;  // group to preselect with AtPoint or FromGroupList when >= 0
};

// "透過" box state.
enum class CheckState { Unchecked, Checked, Undetermined };

// The extraction menu items, in menu order.
enum class ExtractItem {
    Title,
    MetaDescription,
    MetaKeywords,
    FirstLine,
    Mp3Track,
    Mp3Artist,
    Mp3Album,
    Mp3Year,
    Mp3Comment,
};

// Counts the lines `cp932Text` (line ends CR LF) takes in the memo's font at `columns`.
using LineCountFn = std::function<int(std::string_view cp932Text, int columns, FragmentKind font)>;

class FrgPropController {
  public:
    explicit FrgPropController(EnvData& env) : env_(env) {}

    // Fills the state for the request. False when there is no target (the dialog closes).
    bool Open(const FrgPropRequest& request, LineCountFn lineCount);
    // The dialog closed with any result: the one-showing request fields are cleared.
    void Close();
    FrgPropRequest& Request() { return request_; }

    // ---- What the dialog shows ----
    bool NewMode() const { return request_.NewMode; }
    bool MultiEdit() const { return multi_; }
    // The group list items (code page 932): group names, "ｸﾞﾙｰﾌﾟ%2u" for a plate without text,
    // "無所属" last.
    const std::vector<std::string>& GroupItems() const { return groupItems_; }
    int GroupItem() const { return groupItem_; }  // -1: none chosen
    bool GroupGreyed() const { return groupGreyed_; }

    FragmentKind Kind() const { return kind_; }
    bool KindEnabled(FragmentKind k) const;
    // The font the memo uses (a kind's font; Image uses the Fragment font).
    FragmentKind MemoFont() const { return memoFont_; }
    bool MemoEditable() const { return !multi_; }
    // The memo's text (code page 932, CR LF line ends) when the dialog opened.
    const std::string& InitialText() const { return initialText_; }
    Color MemoBack() const { return memoBack_; }
    Color MemoFore() const { return memoFore_; }

    int Width() const { return width_; }
    int Height() const { return height_; }
    int WidthMax() const {
        return kind_ == FragmentKind::Symbol ? kMaxSymbolColumns : kMaxCardColumns;
    }
    bool WidthGreyed() const { return widthGreyed_; }
    bool HeightGreyed() const { return heightGreyed_; }
    // The height exceeds the kind's default height: shown in red.
    bool HeightAboveDefault() const;
    bool SizeEnabled() const { return kind_ != FragmentKind::Symbol; }
    bool ImageScale() const { return kind_ == FragmentKind::Image; }
    bool FitEnabled() const {
        return !multi_ && (kind_ == FragmentKind::Text || kind_ == FragmentKind::NamePlate);
    }
    bool FitVisible() const { return kind_ != FragmentKind::Image; }

    bool ColourButtonsVisible() const { return kind_ != FragmentKind::Image; }
    bool BackButtonEnabled() const {
        return multi_ || kind_ == FragmentKind::Text || kind_ == FragmentKind::NamePlate;
    }
    bool TextColourChangedMark() const { return textColourChanged_; }
    bool BackColourChangedMark() const { return backColourChanged_; }
    bool TransparentVisible() const { return kind_ == FragmentKind::Image; }
    CheckState Transparent() const { return transparent_; }
    bool TransparentTristate() const { return tristate_; }

    const std::string& Link() const { return link_; }
    bool LinkEnabled() const { return !multi_; }
    bool ExtractEnabled() const { return !multi_ && !link_.empty(); }

    bool OkEnabled() const;

    // ---- User actions ----
    void ChooseKind(FragmentKind kind);
    void ChangeText(std::string_view cp932);
    // Keeps the value within the edit's range; returns what the edit must show.
    int ChangeWidth(int value);
    int ChangeHeight(int value);
    void ChangeGroup(int item);
    void Fit();
    void SetBackColour(Color c);
    void SetTextColour(Color c);
    void SetTransparent(CheckState state);
    void SetLink(std::string_view cp932);

    // OK: applies the dialog to the document. `cardText` is the memo's text as the card keeps it
    // (line breaks already the line-break marker). Returns the new card (new mode) or nullptr.
    Fragment* Apply(std::string_view cardText);

    // The group an item stands for.
    static int GroupOfItem(int item) { return (item < 0 || item >= kNoGroupItem) ? 0 : item + 1; }
    static int ItemOfGroup(int g) { return g == 0 ? kNoGroupItem : g - 1; }

  private:
    void ApplyKindDefaults(FragmentKind kind);
    void RunTextChange();
    int LineCount() const;
    bool PlateAllowed(int g) const;
    int DefaultHeight() const;

    EnvData& env_;
    FrgPropRequest request_;
    LineCountFn lineCount_;
    Fragment* single_ = nullptr;
    bool multi_ = false;
    std::vector<std::string> groupItems_;
    int groupItem_ = -1;
    bool groupGreyed_ = false;
    FragmentKind kind_ = FragmentKind::Text;
    FragmentKind memoFont_ = FragmentKind::Text;
    std::string initialText_;
    std::string text_;
    Color memoBack_ = 0xFFFFFF;
    Color memoFore_ = 0;
    int width_ = 1;
    int height_ = 1;
    bool widthGreyed_ = false;
    bool heightGreyed_ = false;
    CheckState transparent_ = CheckState::Unchecked;
    bool tristate_ = false;
    std::string link_;
    bool groupChanged_ = false;
    bool widthChanged_ = false;
    bool heightChanged_ = false;
    bool textColourChanged_ = false;
    bool backColourChanged_ = false;
};

// The extraction items offered for a link (empty link: none), by its extension; a file with
// another extension offers the first line only when it is a text file. `file` is the link as a
// native path.
std::vector<ExtractItem> ExtractItemsFor(std::string_view cp932Link, const std::string& file);

// Reads the text an item takes from the file (code page 932); empty when there is none.
std::string ExtractLinkText(const std::string& file, ExtractItem item);

}  // namespace qv
