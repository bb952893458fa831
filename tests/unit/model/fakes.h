// Simple stand-ins for the ports of the document model, for tests of the model and of everything
// built on it. Include as "unit/model/fakes.h".
//
//   qv::test::TestDoc doc;            // settings, fakes and an empty FragSet on a 640 × 480 view
//   qv::Fragment* f = doc.Add("text", 3, 10, 20);
//   doc.set.RedrawAll();
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/model/frag_set.h"
#include "core/model/ports.h"
#include "core/settings/env_data.h"

namespace qv::test {

// Adds a measured card with the creation defaults (colours from the settings) to `set`; null at
// the fragment limit.
inline Fragment* AddCard(FragSet& set, std::string text, int group, int left, int top,
                         int columns = 4, int lines = 1, FragmentKind kind = FragmentKind::Text) {
    Fragment* f = set.AddFragment();
    if (!f) return nullptr;
    f->Text = std::move(text);
    f->Group = group;
    f->Kind = kind;
    f->Left = left;
    f->Top = top;
    f->Columns = columns;
    f->Lines = lines;
    f->Measure();
    return f;
}

// Every byte is half a font height wide, so widths are easy to predict.
class FakeMetrics : public TextMetrics {
  public:
    explicit FakeMetrics(const EnvData& env) : env_(env) {}
    int TextWidth(FragmentKind kind, std::string_view text) const override {
        return static_cast<int>(text.size()) * LineHeight(kind) / 2;
    }
    int LineHeight(FragmentKind kind) const override {
        switch (kind) {
            case FragmentKind::NamePlate:
                return env_.NamePlateFont.PixelHeight();
            case FragmentKind::Symbol:
                return env_.SymbolFont.PixelHeight();
            default:
                return env_.FragmentFont.PixelHeight();
        }
    }

  private:
    const EnvData& env_;
};

// A document window of a given client size with scroll bars that clamp like real ones.
class FakeView : public DocumentView {
  public:
    int Width = 640;
    int Height = 480;
    int PosX = 0, PosY = 0;
    int RangeX = 0, RangeY = 0;
    bool Ctrl = false;
    CursorShape Cursor = CursorShape::Default;
    std::vector<Rect> Invalidated;  // every rectangle asked for since the last Reset
    int InvalidateAllCount = 0;

    int ScrollPosition(ScrollAxis axis) const override {
        return axis == ScrollAxis::Horizontal ? PosX : PosY;
    }
    void SetScrollPosition(ScrollAxis axis, int position) override {
        if (axis == ScrollAxis::Horizontal)
            PosX = std::clamp(position, 0, std::max(0, RangeX - Width));
        else
            PosY = std::clamp(position, 0, std::max(0, RangeY - Height));
    }
    int ScrollRange(ScrollAxis axis) const override {
        return axis == ScrollAxis::Horizontal ? RangeX : RangeY;
    }
    void SetScrollRange(ScrollAxis axis, int range) override {
        (axis == ScrollAxis::Horizontal ? RangeX : RangeY) = range;
        SetScrollPosition(axis, ScrollPosition(axis));
    }
    int ClientWidth() const override { return Width; }
    int ClientHeight() const override { return Height; }
    void Invalidate(const Rect& r) override { Invalidated.push_back(r); }
    void InvalidateAll() override { ++InvalidateAllCount; }
    void SetCursor(CursorShape shape) override { Cursor = shape; }
    bool CtrlDown() const override { return Ctrl; }

    void Reset() {
        Invalidated.clear();
        InvalidateAllCount = 0;
    }
    // Whether some invalidated rectangle covers point (x, y).
    bool Covered(int x, int y) const {
        return std::any_of(Invalidated.begin(), Invalidated.end(),
                           [&](const Rect& r) { return r.Contains(x, y); });
    }
};

// Records every message box and answers with a preset answer.
class FakePrompts : public Prompts {
  public:
    struct Shown {
        std::string Caption;
        std::string Text;
        PromptButtons Buttons;
    };
    std::vector<Shown> Log;
    PromptAnswer Answer = PromptAnswer::Ok;

    PromptAnswer Warning(std::string_view text, PromptButtons buttons) override {
        Log.push_back({std::string(kWarningCaption), std::string(text), buttons});
        return Answer;
    }
    PromptAnswer Question(std::string_view text, PromptButtons buttons) override {
        Log.push_back({std::string(kQuestionCaption), std::string(text), buttons});
        return Answer;
    }
};

// Pictures by path: Sizes[path] is the natural size; missing paths load nothing.
class FakePictureLoader : public PictureLoader {
  public:
    std::map<std::string, PixelSize> Sizes;
    int Loads = 0;

    std::optional<Picture> Load(const std::string& path, int numerator, int denominator) override {
        ++Loads;
        auto it = Sizes.find(path);
        if (it == Sizes.end()) return std::nullopt;
        const PixelSize s = ScaledPictureSize(it->second, numerator, denominator);
        return Picture{s.Width, s.Height, std::make_shared<int>(0)};
    }
};

class FakeClipboard : public Clipboard {
  public:
    std::string Content;
    std::vector<std::string> Unheld;  // what the system text held that the code page cannot
    int Sets = 0;
    std::string Text() const override { return Content; }
    std::vector<std::string> UnheldLines() const override { return Unheld; }
    void SetText(std::string_view cp932) override {
        Content = std::string(cp932);
        ++Sets;
    }
};

// Plays back a fixed list of numbers (cycling); 0 when empty.
class FakeRandom : public RandomSource {
  public:
    std::vector<int> Values;
    std::size_t Position = 0;
    int Next() override {
        if (Values.empty()) return 0;
        const int v = Values[Position % Values.size()];
        ++Position;
        return v;
    }
};

class FakeLinkOpener : public LinkOpener {
  public:
    std::vector<const Fragment*> Opened;
    void OpenLink(FragSet&, Fragment& fragment) override { Opened.push_back(&fragment); }
};

class FakeHost : public DocumentHost {
  public:
    int Edits = 0;
    int ImeOff = 0;
    int GroupListRefreshes = 0;
    int MapRefreshes = 0;
    std::optional<int> Row;

    void EditSelection(FragSet&) override { ++Edits; }
    void TurnImeOff() override { ++ImeOff; }
    void RefreshGroupList() override { ++GroupListRefreshes; }
    void RefreshMap() override { ++MapRefreshes; }
    std::optional<int> GroupListRow() const override { return Row; }
};

// One program's worth of fakes; Context() bundles them for a document.
struct TestWorld {
    EnvData env;
    FakeMetrics metrics{env};
    FakePrompts prompts;
    FakePictureLoader pictures;
    FakeClipboard clipboard;
    FakeRandom random;
    FakeLinkOpener links;
    FakeHost host;
    ViewRefresh refresh;

    DocContext Context(DocumentView& view) {
        return DocContext{env,       metrics, view,  prompts, pictures,
                          clipboard, random,  links, host,    refresh};
    }
};

// A document on its own view in its own world.
struct TestDoc {
    TestWorld world;
    EnvData& env = world.env;
    ViewRefresh& refresh = world.refresh;
    FakeView view;
    FragSet set{world.Context(view)};

    TestDoc() {
        // The page is measured once, as a window does on its first paint.
        set.RedrawAll();
    }

    // Adds a measured text card of `columns` × `lines` (default 4 × 1) at (left, top) in `group`.
    Fragment* Add(std::string text, int group, int left, int top, int columns = 4, int lines = 1,
                  FragmentKind kind = FragmentKind::Text) {
        return AddCard(set, std::move(text), group, left, top, columns, lines, kind);
    }

    // Recount, visibility and frames, as the program's refresh does.
    void Refresh() {
        set.Recount();
        set.RefreshVisibility();
    }
    // The cards made so far are the document as opened: undo goes back no further.
    void Opened() {
        Refresh();
        set.History().Reset();
    }
};

}  // namespace qv::test
