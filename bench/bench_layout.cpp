// The layout commands on a document of 1000 selected cards, the model's arithmetic alone: one
// slider step of each stretch direction, spread (aligned and jittered), gather and away.
// What these leave out, on purpose: text widths come from a stub (7 pixels a byte, no font), and
// the window only counts repaint requests (no region is built, nothing is painted, no refresh of
// the group list). They catch regressions of the algorithms; what a user waits for after such a
// command is measured by bench_app_commands (BM_CommandToPaint_*), in the program's own window.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/layout/arrange.h"
#include "core/layout/stretch.h"
#include "core/model/frag_set.h"
#include "core/model/ports.h"
#include "core/settings/env_data.h"

namespace {

class Metrics : public qv::TextMetrics {
  public:
    int TextWidth(qv::FragmentKind, std::string_view text) const override {
        return static_cast<int>(text.size()) * 7;
    }
    int LineHeight(qv::FragmentKind) const override { return 15; }
};

// A window that only counts what it is asked to repaint.
class View : public qv::DocumentView {
  public:
    int ScrollPosition(qv::ScrollAxis axis) const override {
        return axis == qv::ScrollAxis::Horizontal ? posX_ : posY_;
    }
    void SetScrollPosition(qv::ScrollAxis axis, int position) override {
        const bool h = axis == qv::ScrollAxis::Horizontal;
        const int max = std::max(0, (h ? rangeX_ : rangeY_) - (h ? ClientWidth() : ClientHeight()));
        (h ? posX_ : posY_) = std::clamp(position, 0, max);
    }
    int ScrollRange(qv::ScrollAxis axis) const override {
        return axis == qv::ScrollAxis::Horizontal ? rangeX_ : rangeY_;
    }
    void SetScrollRange(qv::ScrollAxis axis, int range) override {
        (axis == qv::ScrollAxis::Horizontal ? rangeX_ : rangeY_) = range;
        SetScrollPosition(axis, ScrollPosition(axis));
    }
    int ClientWidth() const override { return 1280; }
    int ClientHeight() const override { return 900; }
    void Invalidate(const qv::Rect&) override { ++invalidated_; }
    void InvalidateAll() override { ++invalidated_; }
    void SetCursor(qv::CursorShape) override {}
    bool CtrlDown() const override { return false; }

  private:
    int posX_ = 0, posY_ = 0, rangeX_ = 0, rangeY_ = 0;
    long invalidated_ = 0;
};

class Prompts : public qv::Prompts {
  public:
    qv::PromptAnswer Warning(std::string_view, qv::PromptButtons) override {
        return qv::PromptAnswer::Ok;
    }
    qv::PromptAnswer Question(std::string_view, qv::PromptButtons) override {
        return qv::PromptAnswer::Ok;
    }
};

class Pictures : public qv::PictureLoader {
  public:
    std::optional<qv::Picture> Load(const std::string&, int, int) override { return std::nullopt; }
};

class Clipboard : public qv::Clipboard {
  public:
    std::string Text() const override { return {}; }
    void SetText(std::string_view) override {}
};

class Links : public qv::LinkOpener {
  public:
    void OpenLink(qv::FragSet&, qv::Fragment&) override {}
};

// 1000 selected cards of mixed sizes scattered over 25 groups of a large page.
struct Document {
    qv::EnvData env;
    Metrics metrics;
    View view;
    Prompts prompts;
    Pictures pictures;
    Clipboard clipboard;
    qv::DefaultRandomSource random{12345};
    Links links;
    qv::DocumentHost host;
    qv::ViewRefresh refresh;
    qv::FragSet set{qv::DocContext{env, metrics, view, prompts, pictures, clipboard, random, links,
                                   host, refresh}};
    std::vector<qv::Fragment*> cards;
    std::vector<qv::Point> places;

    Document() {
        for (int i = 0; i < qv::kMaxFragments; ++i) {
            qv::Fragment* f = set.AddFragment();
            f->Text = "card " + std::to_string(i);
            f->Group = 1 + i % 25;
            f->Columns = 4 + i % 9;
            f->Lines = 1 + i % 3;
            f->Left = 40 + (i % 40) * 170 + (i * 37) % 23;
            f->Top = 30 + (i / 40) * 90 + (i * 53) % 31;
            cards.push_back(f);
            places.push_back(qv::Point{f->Left, f->Top});
        }
        set.Recount();
        set.RefreshVisibility();
        set.SelectAll(true);
        set.TakeStretchBase();
    }

    // Puts every card back where it started, so each run works on the scattered layout.
    void Restore() {
        for (std::size_t i = 0; i < cards.size(); ++i) {
            cards[i]->Left = places[i].X;
            cards[i]->Top = places[i].Y;
            cards[i]->Measure();
        }
        set.RebuildSelection();
    }
};

void BM_StretchStep_ModelOnly(benchmark::State& state) {
    Document doc;
    const auto direction = static_cast<qv::StretchDirection>(state.range(0));
    int position = -200;
    for (auto _ : state) {
        qv::StretchFragments(doc.set, position, direction);
        position = position >= 200 ? -200 : position + 7;
    }
    state.SetLabel(std::to_string(doc.set.SelectionList.size()) + " cards");
}
BENCHMARK(BM_StretchStep_ModelOnly)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

void BM_StretchGroups_ModelOnly(benchmark::State& state) {
    Document doc;
    int position = 0;
    for (auto _ : state) {
        qv::StretchGroups(doc.set, position);
        position = position >= 200 ? 0 : position + 7;
    }
}
BENCHMARK(BM_StretchGroups_ModelOnly)->Unit(benchmark::kMicrosecond);

void BM_Spread_ModelOnly(benchmark::State& state) {
    Document doc;
    doc.env.SpreadAlign = state.range(0) == 0;
    doc.env.SpreadShuffle = state.range(0) != 0;
    doc.set.FixedWidth = 4000;
    doc.set.FixedSize = true;
    for (auto _ : state) {
        state.PauseTiming();
        doc.Restore();
        state.ResumeTiming();
        qv::Spread(doc.set);
    }
    state.SetLabel(state.range(0) == 0 ? "aligned" : "shuffled, jittered");
}
BENCHMARK(BM_Spread_ModelOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_Gather_ModelOnly(benchmark::State& state) {
    Document doc;
    for (auto _ : state) {
        state.PauseTiming();
        doc.Restore();
        state.ResumeTiming();
        qv::Gather(doc.set);
    }
}
BENCHMARK(BM_Gather_ModelOnly)->Unit(benchmark::kMicrosecond);

void BM_PutAway_ModelOnly(benchmark::State& state) {
    Document doc;
    doc.env.AwayPosition = 3;
    for (auto _ : state) {
        state.PauseTiming();
        doc.Restore();
        state.ResumeTiming();
        qv::PutAway(doc.set);
    }
}
BENCHMARK(BM_PutAway_ModelOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
