// The document model on a busy page: 1000 cards in 30 groups with 40 group lines.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "core/layout/arrange.h"
#include "core/model/frag_set.h"
#include "core/model/ports.h"
#include "core/settings/env_data.h"

namespace {

using namespace qv;

// Ports that do as little as a real window would do synchronously: invalidation only records.
struct BenchMetrics : TextMetrics {
    int TextWidth(FragmentKind, std::string_view text) const override {
        return static_cast<int>(text.size()) * 7;
    }
    int LineHeight(FragmentKind) const override { return 15; }
};

struct BenchView : DocumentView {
    int pos[2] = {0, 0};
    int range[2] = {0, 0};
    long invalidations = 0;
    int ScrollPosition(ScrollAxis a) const override { return pos[static_cast<int>(a)]; }
    void SetScrollPosition(ScrollAxis a, int p) override {
        const int extent = a == ScrollAxis::Horizontal ? ClientWidth() : ClientHeight();
        pos[static_cast<int>(a)] =
            std::clamp(p, 0, std::max(0, range[static_cast<int>(a)] - extent));
    }
    int ScrollRange(ScrollAxis a) const override { return range[static_cast<int>(a)]; }
    void SetScrollRange(ScrollAxis a, int r) override {
        range[static_cast<int>(a)] = r;
        SetScrollPosition(a, pos[static_cast<int>(a)]);
    }
    int ClientWidth() const override { return 1280; }
    int ClientHeight() const override { return 800; }
    void Invalidate(const Rect&) override { ++invalidations; }
    void InvalidateAll() override { ++invalidations; }
    void SetCursor(CursorShape) override {}
    bool CtrlDown() const override { return false; }
};

struct NullPrompts : Prompts {
    PromptAnswer Warning(std::string_view, PromptButtons) override { return PromptAnswer::Ok; }
    PromptAnswer Question(std::string_view, PromptButtons) override { return PromptAnswer::Ok; }
};
struct NullPictures : PictureLoader {
    std::optional<Picture> Load(const std::string&, int, int) override { return std::nullopt; }
};
struct NullClipboard : Clipboard {
    std::string Text() const override { return {}; }
    void SetText(std::string_view) override {}
};
struct NullLinks : LinkOpener {
    void OpenLink(FragSet&, Fragment&) override {}
};

struct BenchDoc {
    EnvData env;
    BenchMetrics metrics;
    BenchView view;
    NullPrompts prompts;
    NullPictures pictures;
    NullClipboard clipboard;
    DefaultRandomSource random{1};
    NullLinks links;
    DocumentHost host;
    ViewRefresh refresh;
    FragSet set{
        DocContext{env, metrics, view, prompts, pictures, clipboard, random, links, host, refresh}};

    // Groups sit in a 6 × 5 grid of 330 × 300 pixel areas; each holds about 33 cards of 4 × 1
    // columns (a quarter of them name plates or symbols) scattered inside its area.
    BenchDoc() {
        for (int i = 0; i < kMaxFragments; ++i) {
            Fragment* f = set.AddFragment();
            const int g = 1 + i % 30;
            const int k = i / 30;
            f->Group = g;
            f->Kind = k == 0 ? FragmentKind::NamePlate
                             : (k % 11 == 5 ? FragmentKind::Symbol : FragmentKind::Text);
            f->Text = "\x83\x41\x83\x43\x83\x66\x83\x41 " + std::to_string(i);  // アイデア n
            f->Left = ((g - 1) % 6) * 330 + 10 + (k * 37) % 230;
            f->Top = ((g - 1) / 6) * 300 + 10 + (k * 53) % 260;
        }
        set.Recount();
        for (int i = 0; i < 40; ++i) {
            const int a = 1 + i % 30;
            const int b = 1 + (i * 7 + 3) % 30;
            if (a != b && !set.SetGroupLine(a, b)) std::abort();
        }
        set.RefreshVisibility();
        set.History().Reset();
    }
};

void BM_FragmentAt(benchmark::State& state) {
    BenchDoc doc;
    std::vector<Point> points;
    for (int i = 0; i < 64; ++i)
        points.push_back(Point{(i * 97) % 1280, (i * 61) % 800});
    std::size_t i = 0;
    for (auto _ : state) {
        const Point p = points[i++ % points.size()];
        benchmark::DoNotOptimize(doc.set.FragmentAt(p.X, p.Y));
    }
}
BENCHMARK(BM_FragmentAt)->Unit(benchmark::kMicrosecond);

// A 330 × 300 band (about one group's cards), then everything deselected outside the timing.
void BM_SelectInRect(benchmark::State& state) {
    BenchDoc doc;
    int i = 0;
    for (auto _ : state) {
        const int x = (i % 4) * 300;
        const int y = (i / 4 % 2) * 300;
        ++i;
        doc.set.SelectInRect(Rect{x, y, x + 330, y + 300});
        state.PauseTiming();
        benchmark::DoNotOptimize(doc.set.SelectionList.size());
        doc.set.SelectAll(false);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SelectInRect)->Unit(benchmark::kMicrosecond);

void BM_UpdateGroupFrames(benchmark::State& state) {
    BenchDoc doc;
    for (auto _ : state) {
        doc.set.EraseGroupLines();
        doc.set.UpdateGroupFrames();
    }
}
BENCHMARK(BM_UpdateGroupFrames)->Unit(benchmark::kMicrosecond);

// Press on one of 50 selected cards (two groups' worth), 20 drag steps with the hit test the window
// makes, release and the frame update after it. Undone outside the timing.
void BM_Drag50Cards20Steps(benchmark::State& state) {
    BenchDoc doc;
    doc.set.SelectGroup(7, false);
    doc.set.SelectGroup(8, false);
    int taken = 0;
    for (const auto& f : doc.set.Fragments()) {
        const bool take = (f->Group == 7 || f->Group == 8) && taken < 50;
        f->SetSelected(take);
        if (take) ++taken;
    }
    doc.set.RebuildSelection();
    Fragment* grip = doc.set.SelectionList.front();
    const ShiftState none{};
    for (auto _ : state) {
        int x = grip->ScreenRect.Left + 5;
        int y = grip->ScreenRect.Top + 5;
        doc.set.BringToTop(grip);
        doc.set.PressFragment(grip, MouseButton::Left, x, y, none);
        for (int step = 0; step < 20; ++step) {
            x += 3;
            y += 2;
            doc.set.DragSelection(doc.set.FragmentAt(x, y), x, y, none);
        }
        doc.set.ReleaseDrag(doc.set.FragmentAt(x, y), none);
        doc.set.EraseGroupLines();
        doc.set.UpdateGroupFrames();
        doc.set.RepaintTouchedFrames();
        state.PauseTiming();
        doc.set.History().Undo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Drag50Cards20Steps)->Unit(benchmark::kMicrosecond);

// ---- The edit history on the 1000-card page ----

// Closing a step after gather of every card: the comparison with the copy of the file's state,
// the record of 1000 changed cards and the new copy. (The gather itself is outside the timing.)
void BM_HistoryRecordGatherAll(benchmark::State& state) {
    BenchDoc doc;
    doc.set.SelectAll(true);
    for (auto _ : state) {
        state.PauseTiming();
        Gather(doc.set);
        state.ResumeTiming();
        doc.set.History().Commit();
        state.PauseTiming();
        doc.set.History().Undo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HistoryRecordGatherAll)->Unit(benchmark::kMicrosecond);

// Undo and redo of gather of all 1000 cards: each iteration times one undo and one redo,
// including the redraw bookkeeping of the model (frames, lines, visibility).
void BM_HistoryUndoRedoGatherAll(benchmark::State& state) {
    BenchDoc doc;
    doc.set.SelectAll(true);
    Gather(doc.set);
    doc.set.History().Commit();
    for (auto _ : state) {
        doc.set.History().Undo();
        doc.set.History().Redo();
    }
}
BENCHMARK(BM_HistoryUndoRedoGatherAll)->Unit(benchmark::kMicrosecond);

// Delete of all 1000 cards: recording the step, then one undo and one redo per iteration.
void BM_HistoryDeleteAllRecordUndoRedo(benchmark::State& state) {
    BenchDoc doc;
    for (auto _ : state) {
        doc.set.SelectAll(true);
        doc.set.DeleteSelected();
        doc.set.History().Commit();
        doc.set.History().Undo();
        doc.set.History().Redo();
        doc.set.History().Undo();
    }
}
BENCHMARK(BM_HistoryDeleteAllRecordUndoRedo)->Unit(benchmark::kMicrosecond);

// A single-card text edit on the full page: record, undo, redo. Reports the bytes one such step
// keeps in the history.
void BM_HistorySingleCardEdit(benchmark::State& state) {
    BenchDoc doc;
    Fragment* f = doc.set.Fragments()[500].get();
    int n = 0;
    for (auto _ : state) {
        f->Text = "\x83\x81\x83\x82 " + std::to_string(++n);  // メモ n
        doc.set.History().Commit();
        doc.set.History().Undo();
        doc.set.History().Redo();
    }
    state.counters["bytes_per_step"] =
        benchmark::Counter(static_cast<double>(doc.set.History().Bytes()) /
                           std::max(1, doc.set.History().StepCount()));
}
BENCHMARK(BM_HistorySingleCardEdit)->Unit(benchmark::kMicrosecond);

}  // namespace
