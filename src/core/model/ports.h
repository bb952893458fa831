// What the document model needs from the world outside the core: font metrics, the document view
// (scrolling, invalidation, cursor, key state), message boxes, pictures, the clipboard, random
// numbers, following links and a few main-window services. The app and render layers implement
// these; tests use the fakes in tests/unit/model/fakes.h.
//
// A DocContext bundles references to one implementation of each. Every FragSet keeps its own copy,
// so any number of independent documents can live side by side.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/geom.h"
#include "core/model/view_refresh.h"

namespace qv {

class EnvData;
class Fragment;
class FragSet;

// The four kinds of card; the values are the ones the program has always used.
enum class FragmentKind : std::uint8_t { Text = 1, NamePlate = 2, Symbol = 3, Image = 4 };

// Pixel metrics of the fonts the cards are drawn with.
class TextMetrics {
  public:
    virtual ~TextMetrics() = default;
    // Pixel width of `text` (code page 932 bytes, every byte drawn as it is, line-break markers
    // included) in the font of `kind` (Image uses the Fragment font).
    virtual int TextWidth(FragmentKind kind, std::string_view text) const = 0;
    // Pixel height of one line of text in the font of `kind` (the height of a space).
    virtual int LineHeight(FragmentKind kind) const = 0;
};

enum class ScrollAxis { Horizontal, Vertical };

// Cursor shapes the model asks for. The numbered ones are the program's own tool cursors.
enum class CursorShape {
    Default,
    Arrow,
    NotAllowed,
    GrabLeft = 5,   // "HNDGRB_L"
    GrabRight = 6,  // "HNDGRB_R"
    PickLeft = 7,   // "HNDPIC_L"
    PickRight = 8,  // "HNDPIC_R"
    GroupTool = 9,
    LineTool = 10,
    PaintTool = 11,
    SpuitTool = 12,
};

// The document window as the model sees it. All rectangles and points are client coordinates
// (document coordinates minus the scroll positions).
class DocumentView {
  public:
    virtual ~DocumentView() = default;
    // Current scroll position; 0 while the scroll bar is hidden.
    virtual int ScrollPosition(ScrollAxis axis) const = 0;
    // Moves the page. The view clamps the position to 0 .. max(0, range - client extent); callers
    // read ScrollPosition back to learn how far it really went.
    virtual void SetScrollPosition(ScrollAxis axis, int position) = 0;
    // Scroll range: the scrollable extent of the page in pixels (the page plus its margin).
    virtual int ScrollRange(ScrollAxis axis) const = 0;
    virtual void SetScrollRange(ScrollAxis axis, int range) = 0;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    // Document pixels that `screenPixels` pixels of the window span (a zoomed window shows more or
    // fewer), at least 1; the edge zone and step of a drag's auto-scroll are screen distances.
    virtual int DocumentPixels(int screenPixels) const { return screenPixels; }
    // Schedules a repaint of part of the client area, or of all of it.
    virtual void Invalidate(const Rect& clientRect) = 0;
    virtual void InvalidateAll() = 0;
    virtual void SetCursor(CursorShape shape) = 0;
    // Whether Ctrl is held at this moment (not as of the last mouse message).
    virtual bool CtrlDown() const = 0;
};

// YesNoDefaultNo: a question whose Yes would run or open something, so Enter answers No.
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo };
enum class PromptAnswer { Ok, Cancel, Yes, No };

// Captions of the two message boxes the program shows, code page 932: "警告" and "確認".
inline constexpr std::string_view kWarningCaption = "\x8c\x78\x8d\x90";
inline constexpr std::string_view kQuestionCaption = "\x8a\x6d\x94\x46";

// Modal message boxes. Texts are code page 932 bytes; the caption is kWarningCaption for Warning
// (exclamation icon) and kQuestionCaption for Question (question icon).
class Prompts {
  public:
    virtual ~Prompts() = default;
    virtual PromptAnswer Warning(std::string_view text, PromptButtons buttons) = 0;
    virtual PromptAnswer Question(std::string_view text, PromptButtons buttons) = 0;
};

struct PixelSize {
    int Width = 0;
    int Height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// The size a picture of `natural` size is shown at under the scale numerator / denominator of an
// image card: width × num / den and height × num / den, multiplied first, truncated. A scale of
// 1:1 (or equal terms) keeps the size; a scale with a term below 1 counts as 1:1. A side of a
// picture with pixels never shrinks below 1 pixel nor grows beyond kMaxPictureSide.
PixelSize ScaledPictureSize(PixelSize natural, int numerator, int denominator);
inline constexpr int kMaxPictureSide = 32767;

// A loaded picture. `Image` is the render layer's decoded image (opaque to the core, shared so that
// copies of a card share one image); Width × Height is the size it is shown at, already scaled.
struct Picture {
    int Width = 0;
    int Height = 0;
    std::shared_ptr<const void> Image;
};

class PictureLoader {
  public:
    virtual ~PictureLoader() = default;
    // Loads the picture file `path` (code page 932 bytes) and scales it by ScaledPictureSize with
    // `numerator` / `denominator`. None when the file is missing or cannot be decoded.
    virtual std::optional<Picture> Load(const std::string& path, int numerator,
                                        int denominator) = 0;
};

// The system clipboard as plain text in code page 932 bytes.
class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // The text without the lines that code page 932 cannot hold (they are never turned into "?").
    virtual std::string Text() const = 0;
    virtual void SetText(std::string_view cp932) = 0;
    // The lines the last Text() left out, with the characters that cannot be held shown as "?",
    // so that the user can be told which ones.
    virtual std::vector<std::string> UnheldLines() const { return {}; }
};

// Non-negative pseudo-random integers (used to jitter and shuffle spread cards).
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual int Next() = 0;
};

// The program's generator: seeded once when it is created.
class DefaultRandomSource final : public RandomSource {
  public:
    DefaultRandomSource() : engine_(std::random_device{}()) {}
    explicit DefaultRandomSource(std::uint32_t seed) : engine_(seed) {}
    int Next() override { return static_cast<int>(engine_() & 0x7FFFFFFFu); }

  private:
    std::mt19937 engine_;
};

// Follows a card's link: a fragment file opens inside the program, anything else in the system's
// default application.
class LinkOpener {
  public:
    virtual ~LinkOpener() = default;
    virtual void OpenLink(FragSet& set, Fragment& fragment) = 0;
};

// What the opener of a new card asks for (the property dialog's request fields).
struct NewFragmentRequest {
    bool AtPoint = false;  // at a point of the document window (client coordinates)
    Point At;
    bool FromGroupList = false;
    int PresetGroup = -1;  // preselected with AtPoint or FromGroupList when >= 0
    bool LinkPreset = false;
    std::string LinkPresetText;  // code page 932
};

// Main-window services a document uses. Every call has a harmless default so that documents
// without a main window (the command-line tool, tests) need not implement them.
class DocumentHost {
  public:
    virtual ~DocumentHost() = default;
    // Opens the property dialog for the selection of `set` (modal).
    virtual void EditSelection(FragSet& /*set*/) {}
    // Opens the property dialog for a new card of `set` (modal).
    virtual void NewFragment(FragSet& /*set*/, const NewFragmentRequest& /*request*/) {}
    // Closes the input method editor of the main window.
    virtual void TurnImeOff() {}
    // The group list has to show new counts or names now.
    virtual void RefreshGroupList() {}
    // The overview map has to show the document anew.
    virtual void RefreshMap() {}
    // Shows a progress or result line (code page 932) in the main window's status bar.
    virtual void ShowStatus(std::string_view /*text*/) {}
    // The row picked in the group list panel when it is visible (0..99 are groups 1..100, 100 is
    // group 0), else none.
    virtual std::optional<int> GroupListRow() const { return std::nullopt; }
};

struct DocContext {
    EnvData& env;
    TextMetrics& metrics;
    DocumentView& view;
    Prompts& prompts;
    PictureLoader& pictures;
    Clipboard& clipboard;
    RandomSource& random;
    LinkOpener& links;
    DocumentHost& host;
    ViewRefresh& refresh;
};

}  // namespace qv
