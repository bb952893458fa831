// The program's commands as data: one row per command, in the order of the shortcut list. Menus,
// pop-ups, tool bars and keys are all bound to these rows through the command registry.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

enum class CommandId : std::uint8_t {
    ToolNrm,
    FileNew,
    ToolGruop,
    FileOpen,
    FileMerge,
    FileSave,
    FileSaveAs,
    FileClose,
    FileAllSaveEnd,
    FileImport,
    FileExport,
    FilePrint,
    FileImgOut,
    FileExit,
    EditCut,
    EditCopy,
    EditPaste,
    EditPasteEx,
    EditNew,
    EditNewClip,
    EditDelete,
    EditSelAll,
    EditSelBgCol,
    EditGather,
    EditSpread,
    EditStretch,
    EditGrpStretch,
    EditAway,
    EditUndoPos,
    EditRedoPos,
    EditFind,
    EditPrevSel,
    EditNextSel,
    EditProperty,
    GoJump,
    GoBack,
    GoForward,
    GoHome,
    ToolGLine,
    ToolBrush,
    ShowGrpLst,
    ShowStatusBar,
    ShowMapViewer,
    ShowNamePlate,
    ShowLinkMark,
    ShowGFrame,
    ShowGLine,
    ShowDivLine,
    WindowTileH,
    WindowTileV,
    WindowCascade,
    WindowArrange,
    OptionSetup,
    OptionScrSize,
    HelpContents,
    HelpHomePage,
    HelpAbout,
    ExMovTop,
    ExMovBottom,
    ExMovLeft,
    ExMovRight,
    ViewZoomIn,
    ViewZoomOut,
    ViewZoomReset,
    ViewZoomFit,
    ViewZoomSelection,
    SelectNextCard,
    SelectPrevCard,
    SelectLeftCard,
    SelectRightCard,
    SelectUpCard,
    SelectDownCard,
};
inline constexpr int kCommandCount = static_cast<int>(CommandId::SelectDownCard) + 1;

// When a command may run.
enum class EnablingRule : std::uint8_t {
    Always,
    ChildUpdate,         // a document window exists
    EditChildUpdate,     // the active document is writable
    EditSelUpdate,       // writable, at least one card selected
    EditMultiSelUpdate,  // writable, at least two cards selected
    SelUpdate,           // a document with at least one card selected (read-only allowed)
    EditPasteUpdate,     // writable and the cut buffer holds cards
    NewClipUpdate,       // writable and the clipboard holds text
    CanOpenUpdate,       // fewer than the maximum of document windows
    FilePrintUpdate,     // a document window exists (printing to a PDF file is always possible)
    UndoPosUpdate,
    RedoPosUpdate,
    PrevSelUpdate,
    NextSelUpdate,
    GoBackUpdate,
    GoForwardUpdate,
    GoHomeUpdate,
};

// What the rules look at, taken from the main window at the moment they run.
struct EnablingState {
    int Documents = 0;
    bool HasDocument = false;  // an active document
    bool ReadOnly = false;
    int Selected = 0;
    bool UndoAvailable = false;
    bool RedoAvailable = false;
    int SelCursor = -1;
    bool BufferEmpty = true;
    bool ClipboardHasText = false;
    int JumpPosition = 0;
    int JumpCount = 0;
    bool HomeWindowSet = false;

    friend bool operator==(const EnablingState&, const EnablingState&) = default;
};

inline constexpr int kMaxDocuments = 40;

bool RuleAllows(EnablingRule rule, const EnablingState& state);

struct CommandRow {
    CommandId Id;
    std::string_view Name;      // also the settings key of its shortcut, with "Item" appended
    std::string_view Category;  // groups the shortcut list
    std::string_view Caption;   // with its access key
    std::string_view Hint;      // "short|long" or one text for both; may be empty
    std::string_view Key;       // built-in shortcut as text; may be empty
    int Image;                  // index of its button image, -1 for none
    EnablingRule Rule;
};

std::span<const CommandRow> CommandTable();
const CommandRow& Command(CommandId id);
// The name of an edit the command makes, as the edit history shows it ("元に戻す: 集合"): its
// caption without access key and ellipsis, unless the caption says too little.
std::string StepLabel(CommandId id);
