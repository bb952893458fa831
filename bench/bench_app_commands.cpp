// What a user waits for after a command: the program's own main window (offscreen platform,
// default settings, 1600 × 1000) with a 1000-card document filling the view. Each benchmark runs
// one command through the command registry, as its key or menu item does, and is timed until the
// document window's paint event for it has finished (the command's handler, the refresh it asks
// for, building the repaint region and painting it; whatever the same turn of the event loop paints
// before the document window, such as the group list, counts too). The counter "turn_ms" is the
// time until the event loop had nothing left to do: besides, the other widgets and the overview
// map painted after the document window, and the window handed to the screen. Getting each run's
// starting state ready is left out. BM_FullViewRepaint and BM_ScrollToPaint are the yardsticks: a
// repaint of the whole view, and a wheel scroll that moves the page.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_services.h"
#include "app/commands/card_commands.h"
#include "app/commands/command_registry.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "bench_card_text.h"
#include "core/model/frag_set.h"
#include "core/settings/paths.h"

namespace {

using qv::bench::CardText;

using C = CommandId;

using Clock = std::chrono::steady_clock;

// The application, noting when the paint events of one widget end.
class BenchApplication : public QApplication {
  public:
    using QApplication::QApplication;
    QObject* Watched = nullptr;
    int PaintsFinished = 0;
    Clock::time_point LastPaintEnd;

    bool notify(QObject* receiver, QEvent* event) override {
        const bool paint = receiver == Watched && event->type() == QEvent::Paint;
        const bool result = QApplication::notify(receiver, event);
        if (paint) {
            ++PaintsFinished;
            LastPaintEnd = Clock::now();
        }
        return result;
    }
};

BenchApplication& App() {
    return *static_cast<BenchApplication*>(QCoreApplication::instance());
}

struct Fixture {
    QTemporaryDir dir;
    qv::StartupArguments startup = [this] {
        qv::StartupArguments a;
        a.IniPath =
            QDir::toNativeSeparators(dir.filePath(QStringLiteral("bench.ini"))).toStdString();
        return a;
    }();
    AppServices services{startup};
    const std::unique_ptr<Program> program = BuildProgram(services);
    TQuillovaMainForm& form = program->Window();
    CardCommands& cards = program->Cards();
    TMDIChild* child = nullptr;
    std::vector<qv::Point> places;

    Fixture() {
        form.resize(1600, 1000);
        form.ShowAsStored();
        child = form.Documents().NewDocument();
        child->parentWidget()->showMaximized();
        QApplication::processEvents();
        qv::FragSet& set = child->Set();
        // 40 × 25 overlapping cards of 12 × 3 columns over the whole view, 40 groups.
        const int w = child->viewport()->width(), h = child->viewport()->height();
        const int stepX = std::max(1, (w - 190) / 39), stepY = std::max(1, (h - 60) / 24);
        for (int i = 0; i < 1000; ++i) {
            qv::Fragment* f = set.AddFragment();
            f->Text = CardText(i);
            f->Group = i % 40 + 1;
            f->Left = (i % 40) * stepX + 4;
            f->Top = (i / 40) * stepY + 4;
            f->Columns = 12;
            f->Lines = 3;
            f->Measure();
            places.push_back(qv::Point{f->Left, f->Top});
        }
        for (int g = 1; g < 40; g += 2)
            set.SetGroupLine(g, g + 1);
        set.Recount();
        set.RefreshVisibility();
        App().Watched = child->viewport();
        Settle();
    }
    ~Fixture() { child->ApproveClose(); }

    // What a run's preparation changed, closed as an undo step the way the main window's idle
    // timer closes it long before the user's next key, so the command's time holds its own step.
    void CloseSteps() { form.Documents().CloseSteps(); }
    // Runs the event loop until the document window has painted what is pending (a change left
    // to the main window's timer is waited for: it ticks every 250 ms), then until nothing is
    // left to do, as between two keys of a user: what one run asked for is not painted in the
    // next run's time.
    void Settle() {
        const int before = App().PaintsFinished;
        QElapsedTimer waited;
        waited.start();
        QApplication::processEvents();
        while (App().PaintsFinished == before && waited.elapsed() < 600)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        for (int round = 0; round < 4; ++round)
            QApplication::processEvents();
    }
    // Every card back at its first place, selected or not, with nothing waiting to be painted.
    void Reset(bool selected) {
        qv::FragSet& set = child->Set();
        const auto& frags = set.Fragments();
        for (std::size_t i = 0; i < frags.size() && i < places.size(); ++i) {
            frags[i]->Left = places[i].X;
            frags[i]->Top = places[i].Y;
            frags[i]->SetSelected(selected);
        }
        set.RebuildSelection();
        set.RefreshVisibility();
        set.TakeStretchBase();
        CloseSteps();
        Settle();
    }
    // Brings back the cards a cut or delete took.
    void Refill() {
        if (child->Set().Fragments().size() >= 1000) return;
        child->Paste();
        CloseSteps();
        Settle();
    }
    // Selects the 100 cards of the view's top rows.
    void SelectTop() {
        qv::FragSet& set = child->Set();
        int i = 0;
        for (const auto& f : set.Fragments())
            f->SetSelected(i++ < 100);
        set.RebuildSelection();
        set.RefreshVisibility();
        CloseSteps();
        Settle();
    }
    void Run(C id) {
        if (!form.Commands().Run(id)) {
            std::fprintf(stderr, "command %d not allowed\n", static_cast<int>(id));
            std::abort();
        }
    }
};

// Made on first use, gone before the application is.
std::unique_ptr<Fixture> theProgram;

Fixture& TheProgram() {
    if (!theProgram) theProgram = std::make_unique<Fixture>();
    return *theProgram;
}

// The milliseconds from `start` to `end`.
double Ms(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// Times `command` to the end of the document window's paint for it; `prepare` readies each run
// untimed. Benchmarks using it time manually.
void CommandToPaint(benchmark::State& state, const std::function<void(Fixture&)>& prepare,
                    const std::function<void(Fixture&)>& command) {
    Fixture& p = TheProgram();
    double turns = 0;
    for (auto _ : state) {
        prepare(p);
        const int before = App().PaintsFinished;
        const Clock::time_point start = Clock::now();
        command(p);
        p.Settle();
        const Clock::time_point idle = Clock::now();
        if (App().PaintsFinished == before) {
            state.SkipWithError("no paint");
            break;
        }
        state.SetIterationTime(Ms(start, App().LastPaintEnd) / 1000);
        turns += Ms(start, idle);
    }
    state.counters["cards"] = static_cast<double>(p.child->Set().Fragments().size());
    state.counters["turn_ms"] = benchmark::Counter(turns, benchmark::Counter::kAvgIterations);
}

void BM_FullViewRepaint(benchmark::State& state) {
    CommandToPaint(
        state, [](Fixture& p) { p.Reset(false); },
        [](Fixture& p) { p.child->viewport()->update(); });
}
BENCHMARK(BM_FullViewRepaint)->Unit(benchmark::kMillisecond)->UseManualTime();

// A scroll as the window system delivers a wheel notch: the page moves, the whole view and the
// scroll bar are painted. For room to scroll, the page is made three views high meanwhile.
void BM_ScrollToPaint(benchmark::State& state) {
    Fixture& p = TheProgram();
    qv::FragSet& set = p.child->Set();
    set.FixedSize = true;
    set.FixedWidth = p.child->viewport()->width();
    set.FixedHeight = 3 * p.child->viewport()->height();
    set.RedrawAll();
    p.Reset(false);
    QScrollBar* bar = p.child->verticalScrollBar();
    if (bar->maximum() < 40) {
        state.SkipWithError("no room to scroll");
        return;
    }
    QWidget* vp = p.child->viewport();
    const QPointF at(vp->width() / 2.0, vp->height() / 2.0);
    int notch = 120;  // the first turns towards the user: down the page
    CommandToPaint(
        state, [](Fixture&) {},
        [&](Fixture& f) {
            notch = -notch;
            QWheelEvent wheel(at, vp->mapToGlobal(at), QPoint(), QPoint(0, notch), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(vp, &wheel);
            (void)f;
        });
    bar->setValue(0);
    set.FixedSize = false;
    set.RedrawAll();
    p.Reset(false);
}
BENCHMARK(BM_ScrollToPaint)->Unit(benchmark::kMillisecond)->UseManualTime();

// A repaint of the whole view after a gather, with nothing changed: the 1000 cards lie in one
// ragged pile. Against BM_CommandToPaint_Gather it shows how much of a gather is painting the
// pile rather than the command and the refresh after it.
void BM_FullViewRepaint_Piled(benchmark::State& state) {
    CommandToPaint(
        state,
        [](Fixture& p) {
            p.Reset(true);
            p.Run(C::EditGather);
            p.Settle();
        },
        [](Fixture& p) { p.child->viewport()->update(); });
}
BENCHMARK(BM_FullViewRepaint_Piled)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_CommandToPaint_Gather(benchmark::State& state) {
    CommandToPaint(
        state, [](Fixture& p) { p.Reset(true); }, [](Fixture& p) { p.Run(C::EditGather); });
}
BENCHMARK(BM_CommandToPaint_Gather)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_CommandToPaint_Away(benchmark::State& state) {
    CommandToPaint(
        state, [](Fixture& p) { p.Reset(true); }, [](Fixture& p) { p.Run(C::EditAway); });
}
BENCHMARK(BM_CommandToPaint_Away)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_CommandToPaint_Spread(benchmark::State& state) {
    CommandToPaint(
        state, [](Fixture& p) { p.Reset(true); }, [](Fixture& p) { p.Run(C::EditSpread); });
}
BENCHMARK(BM_CommandToPaint_Spread)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_CommandToPaint_Undo(benchmark::State& state) {
    CommandToPaint(
        state,
        [](Fixture& p) {
            p.Reset(true);
            p.Run(C::EditGather);
            p.Settle();
        },
        [](Fixture& p) { p.Run(C::EditUndoPos); });
}
BENCHMARK(BM_CommandToPaint_Undo)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_CommandToPaint_Redo(benchmark::State& state) {
    CommandToPaint(
        state,
        [](Fixture& p) {
            p.Reset(true);
            p.Run(C::EditGather);
            p.Settle();
            p.Run(C::EditUndoPos);
            p.Settle();
        },
        [](Fixture& p) { p.Run(C::EditRedoPos); });
}
BENCHMARK(BM_CommandToPaint_Redo)->Unit(benchmark::kMillisecond)->UseManualTime();

// Cut, paste and delete work on the 100 cards of the top rows; what went comes back untimed.
void BM_CommandToPaint_Cut(benchmark::State& state) {
    CommandToPaint(
        state,
        [](Fixture& p) {
            p.Refill();
            p.SelectTop();
        },
        [](Fixture& p) { p.Run(C::EditCut); });
    TheProgram().Refill();
}
BENCHMARK(BM_CommandToPaint_Cut)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_CommandToPaint_Paste(benchmark::State& state) {
    CommandToPaint(
        state,
        [](Fixture& p) {
            while (p.child->Set().Fragments().size() > 900) {
                p.SelectTop();
                p.Run(C::EditCut);
                p.Settle();
            }
        },
        [](Fixture& p) { p.Run(C::EditPaste); });
}
BENCHMARK(BM_CommandToPaint_Paste)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_CommandToPaint_Delete(benchmark::State& state) {
    CommandToPaint(
        state,
        [](Fixture& p) {
            p.Refill();
            // Copying drops the selection: the buffer is filled first.
            p.SelectTop();
            p.Run(C::EditCopy);
            p.SelectTop();
        },
        [](Fixture& p) { p.Run(C::EditDelete); });
    TheProgram().Refill();
}
BENCHMARK(BM_CommandToPaint_Delete)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_CommandToPaint_SelectAll(benchmark::State& state) {
    CommandToPaint(
        state, [](Fixture& p) { p.Reset(false); }, [](Fixture& p) { p.Run(C::EditSelAll); });
}
BENCHMARK(BM_CommandToPaint_SelectAll)->Unit(benchmark::kMillisecond)->UseManualTime();

// A view toggle or a tool: each run switches it the other way. The view is left as it was found,
// so that the benchmarks after it paint the same view.
void BM_CommandToPaint_Toggle(benchmark::State& state) {
    const auto id = static_cast<C>(state.range(0));
    CommandToPaint(
        state, [](Fixture&) {}, [id](Fixture& p) { p.Run(id); });
    if (state.iterations() % 2 != 0) {
        TheProgram().Run(id);
        TheProgram().Settle();
    }
    state.SetLabel(std::to_string(state.range(0)));
}
BENCHMARK(BM_CommandToPaint_Toggle)
    ->Arg(static_cast<int>(C::ShowNamePlate))
    ->Arg(static_cast<int>(C::ShowLinkMark))
    ->Arg(static_cast<int>(C::ShowGFrame))
    ->Arg(static_cast<int>(C::ShowGLine))
    ->Unit(benchmark::kMillisecond)->UseManualTime();

// The group line tool chosen with every card selected: the selection is dropped.
void BM_CommandToPaint_LineTool(benchmark::State& state) {
    CommandToPaint(
        state,
        [](Fixture& p) {
            p.Run(C::ToolNrm);
            p.Reset(true);
        },
        [](Fixture& p) { p.Run(C::ToolGLine); });
    TheProgram().Run(C::ToolNrm);
}
BENCHMARK(BM_CommandToPaint_LineTool)->Unit(benchmark::kMillisecond)->UseManualTime();

// One mouse-move step of dragging the 100 selected cards of the top rows by 3 pixels, delivered
// to the document window as the window system does; timed to the end of its paint. The press
// lands on a selected card that is on top where it lands, so every step moves the cards.
void BM_DragStepToPaint(benchmark::State& state) {
    Fixture& p = TheProgram();
    p.Reset(false);
    p.SelectTop();
    QWidget* vp = p.child->viewport();
    QPointF at;
    for (const qv::Fragment* f : p.child->Set().SelectionList) {
        const qv::Rect r = f->ScreenRect;
        if (p.child->Set().FragmentAt(r.Left + 5, r.Top + 5) == f) {
            at = QPointF(r.Left + 5, r.Top + 5);
            break;
        }
    }
    QMouseEvent press(QEvent::MouseButtonPress, at, vp->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(vp, &press);
    p.Settle();
    double dx = 3;
    double turns = 0;
    for (auto _ : state) {
        at += QPointF(dx, 0);
        dx = -dx;
        const int before = App().PaintsFinished;
        const Clock::time_point start = Clock::now();
        QMouseEvent move(QEvent::MouseMove, at, vp->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &move);
        p.Settle();
        const Clock::time_point idle = Clock::now();
        if (App().PaintsFinished == before || !p.child->Set().Dragging()) {
            state.SkipWithError(p.child->Set().Dragging() ? "no paint" : "no drag");
            break;
        }
        state.SetIterationTime(Ms(start, App().LastPaintEnd) / 1000);
        turns += Ms(start, idle);
    }
    state.counters["turn_ms"] = benchmark::Counter(turns, benchmark::Counter::kAvgIterations);
    QMouseEvent release(QEvent::MouseButtonRelease, at, vp->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(vp, &release);
    p.Settle();
}
BENCHMARK(BM_DragStepToPaint)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    BenchApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theProgram.reset();
    return 0;
}
