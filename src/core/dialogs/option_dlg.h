// The behaviour of the options dialog (TOptionDlg) without its widgets: the working copy the
// controls edit, the colour and font each list entry stands for, the live changes that reach the
// settings before OK, the order OK copies back in, and what a click on the design sample selects.
//
//   show       -> Show(env, activePath)      controls read Work()
//   controls   -> edit Work() (colours and fonts through ColourOf/SetColour and Font)
//   arrow      -> SetArrowSize / SetArrowType   (reach EnvData at once; Cancel restores them)
//   colours    -> TakeCustomColours            (reach EnvData at once and stay)
//   plug-ins   -> ChoosePluginFolder           (reach EnvData at once and stay)
//   OK         -> Accept()                     copies back; says what the windows must follow
//   Cancel     -> Cancel()
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/color.h"
#include "core/geom.h"
#include "core/model/arrow_line.h"
#include "core/settings/env_data.h"

namespace qv {

// Entries of the colour list, in list order.
enum class OptionColour : int {
    DefFrgFG,
    DefFrgBG,
    SelFrgFG,
    SelFrgBG,
    NamFrgFG,
    NamFrgBG,
    FrgBorder,
    SelectRect,
    SymbolFG,
    Background,
    GroupFrame,
    GroupLine,
    GroupListFG,
    GroupListOff,
    GroupListBG,
    AreaFrame,
    DivLine,
};
inline constexpr int kOptionColourCount = 17;

// Entries of the font list, in list order.
enum class OptionFont : int { Fragment, NamePlate, Symbol, GroupList, StatusBar };
inline constexpr int kOptionFontCount = 5;

// Where the parts of the design sample are, in the sample's own pixel coordinates.
struct DesignSampleLayout {
    Rect Panel;
    // The three sample cards and the box of their text (text width × the height of a blank,
    // from the card's top-left corner).
    Rect Fragment, FragmentText;
    Rect Selected, SelectedText;
    Rect Plate, PlateText;
    Rect Frame;   // the sample group frame
    Rect Symbol;  // the sample symbol "▼"
    Point LineStart, LineEnd;
    Rect List;  // the sample group list
    int ListRowHeight = 1;
    int ListRows = 0;
    int ListCheckedRows = 1;  // the first rows are checked, the others not
    Rect Status;              // the sample status bar
};

// What a click on the sample chose: the colour and the font entry to edit. A colour or font that
// is absent leaves nothing chosen; FontKept leaves the font list as it was.
struct SampleChoice {
    std::optional<OptionColour> Colour;
    std::optional<OptionFont> Font;
    bool FontKept = false;

    friend bool operator==(const SampleChoice&, const SampleChoice&) = default;
};

// The first part of the sample under `at` decides: the three cards (border within 4 pixels, then
// the text box, then the rest), the symbol, the group line, the list, the status bar; then near
// the group frame (8 pixels), then the panel. Outside the panel: nothing.
std::optional<SampleChoice> HitDesignSample(const DesignSampleLayout& layout, Point at);

// The arrow-size list ("小", "中", "大") and the arrow-type list ("線", "三角").
int ArrowSizeIndex(int size);  // 8 -> 0, 16 -> 2, anything else -> 1
int ArrowSizeOfIndex(int index);
int ArrowTypeIndex(int type);  // 1 -> 1, anything else -> 0
// The move-cursor list ("矢印", "左手", "右手") for MoveCurosr 0, 5, 6.
int MoveCursorIndex(int cursor);  // 5 -> 1, 6 -> 2, anything else -> 0
int MoveCursorOfIndex(int index);

// What the windows must follow after OK.
struct OptionsApplied {
    bool CardsChanged = false;    // fonts, colours or text settings the cards show
    bool PluginsChanged = false;  // SpiDir differs: the plug-in list must be rebuilt
    bool ImeChanged = false;
    friend bool operator==(const OptionsApplied&, const OptionsApplied&) = default;
};

class OptionsEditor {
  public:
    // Takes the current settings into the working copy and remembers the arrow settings for
    // Cancel and the active document's path (empty when none).
    void Show(EnvData& env, std::string activeDocumentPath);
    bool IsShown() const { return env_ != nullptr; }

    EnvData& Work() { return work_; }
    const EnvData& Work() const { return work_; }

    Color ColourOf(OptionColour which) const;
    void SetColour(OptionColour which, Color color);
    FontSpec& Font(OptionFont which);

    // The arrow lists write to the settings at once, so the sample line and open windows show it.
    void SetArrowSize(int index);
    void SetArrowType(int index);
    // The colour chooser's custom colours are program-wide and stay after Cancel.
    void TakeCustomColours(const std::array<Color, 16>& colours);
    // A folder chosen with the browse button is taken at once (and stays after Cancel); the
    // caller rebuilds the plug-in list.
    void ChoosePluginFolder(const std::string& folder);

    // "現在のファイルを指定" is offered only when the active document has a path.
    bool CanUseActiveDocument() const { return !activePath_.empty(); }
    const std::string& ActiveDocumentPath() const { return activePath_; }

    // OK: copies the working copy back, in the dialog's order. An empty line-break marker becomes
    // the default one at once, since an empty marker would drop line breaks when a document is
    // saved.
    OptionsApplied Accept();
    // Cancel: restores the arrow settings; everything else stays as it was.
    void Cancel();

  private:
    EnvData* env_ = nullptr;
    EnvData work_;
    std::string activePath_;
    int savedArrowType_ = 0;
    int savedArrowSize_ = 12;
};

}  // namespace qv
