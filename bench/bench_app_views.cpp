// The overview map and opening a document, in the program's own windows on the offscreen
// platform: a map update of a 1000-card document after a card moved (target 2 ms) and after a
// scroll only; opening a 1000-card document to its first painted frame (file read, measure,
// first paint; target 30 ms). A zoomed window of the 1000-card document filling a 1920 × 1080
// main window: a full paint at 10 % (every card as bars), 50 % and 67 % (the most cards with
// readable text), 100 %, 200 % and 400 %, and a zoom step (a level up or down, page rectangles
// anew, and the repaint it asks for) at 10 %, 100 % and 400 %; target one 120 Hz frame (8.3 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/app_services.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/panels/map_viewer.h"
#include "bench_card_text.h"
#include "core/io/fragment_file.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "render/text/qt_text.h"

namespace {

using qv::bench::CardText;

// 1000 cards of 12 × 3 columns in 40 groups over a page of about 4000 × 2600, with group lines.
void FillDocument(qv::FragSet& set) {
    for (int i = 0; i < 1000; ++i) {
        qv::Fragment* f = set.AddFragment();
        f->Text = CardText(i);
        f->Group = i % 40 + 1;
        f->Left = (i % 25) * 160 + 20;
        f->Top = (i / 25) * 64 + 20;
        f->Columns = 12;
        f->Lines = 3;
        f->ColBG = 0xFFFFFF;
        f->Measure();
    }
    for (int g = 1; g < 40; g += 2)
        set.SetGroupLine(g, g + 1);
    set.Recount();
    set.RefreshVisibility();
}

struct Fixture {
    QTemporaryDir dir;
    AppServices services;
    std::unique_ptr<Program> program = BuildProgram(services);
    TQuillovaMainForm* form = &program->Window();
    std::string path;

    Fixture() {
        form->resize(1280, 900);
        form->ShowAsStored();
        TMDIChild* child = form->Documents().NewDocument();
        FillDocument(child->Set());
        path = QFile::encodeName(dir.filePath(QStringLiteral("thousand.csv"))).toStdString();
        qv::SaveFragmentFile(child->Set(), path);
        Close(child);
    }
    void Close(TMDIChild* child) {
        child->ApproveClose();
        child->parentWidget()->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

// Made at first use and gone before the application: its dialogs need it to close.
std::unique_ptr<Fixture> theProgram;

Fixture& TheProgram() {
    if (!theProgram) theProgram = std::make_unique<Fixture>();
    return *theProgram;
}

void BM_MapUpdateAfterACardMoved(benchmark::State& state) {
    Fixture& p = TheProgram();
    TMDIChild* child = p.form->Documents().OpenDocument(p.path);
    TMapViewer* map = p.form->MapViewer();
    map->show();
    map->resize(200, 150);
    qv::Fragment* card = child->Set().Fragments().front().get();
    QImage target(map->size(), QImage::Format_RGB32);
    int step = 0;
    for (auto _ : state) {
        card->Left = 20 + (++step % 2) * 40;
        card->Measure();
        map->render(&target);
        benchmark::DoNotOptimize(target.bits());
    }
    state.counters["page_paints"] = map->ContentPaints();
    p.Close(child);
}
BENCHMARK(BM_MapUpdateAfterACardMoved)->Unit(benchmark::kMillisecond);

void BM_MapUpdateAfterAScroll(benchmark::State& state) {
    Fixture& p = TheProgram();
    TMDIChild* child = p.form->Documents().OpenDocument(p.path);
    TMapViewer* map = p.form->MapViewer();
    map->show();
    map->resize(200, 150);
    QImage target(map->size(), QImage::Format_RGB32);
    int step = 0;
    for (auto _ : state) {
        child->SetScrollPosition(qv::ScrollAxis::Vertical, (++step % 2) * 200);
        map->render(&target);
        benchmark::DoNotOptimize(target.bits());
    }
    p.Close(child);
}
BENCHMARK(BM_MapUpdateAfterAScroll)->Unit(benchmark::kMillisecond);

void BM_OpenToFirstPaint(benchmark::State& state) {
    Fixture& p = TheProgram();
    p.form->MapViewer()->hide();
    QImage frame;
    for (auto _ : state) {
        TMDIChild* child = p.form->Documents().OpenDocument(p.path);
        if (frame.size() != child->viewport()->size())
            frame = QImage(child->viewport()->size(), QImage::Format_RGB32);
        child->viewport()->render(&frame);
        benchmark::DoNotOptimize(frame.bits());
        state.PauseTiming();
        p.Close(child);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenToFirstPaint)->Unit(benchmark::kMillisecond);

// A window of the 1000-card document at `percent`, maximised in a 1920 × 1080 main window.
TMDIChild* ZoomedWindow(Fixture& p, int percent) {
    p.form->MapViewer()->hide();
    p.form->resize(1920, 1080);
    TMDIChild* child = p.form->Documents().OpenDocument(p.path);
    child->parentWidget()->showMaximized();
    QApplication::processEvents();
    child->SetZoom(percent / 100.0, QRectF(child->viewport()->rect()).center());
    return child;
}

void BM_ZoomedFullPaint(benchmark::State& state) {
    Fixture& p = TheProgram();
    TMDIChild* child = ZoomedWindow(p, static_cast<int>(state.range(0)));
    QImage frame(child->viewport()->size(), QImage::Format_RGB32);
    child->viewport()->render(&frame);
    for (auto _ : state) {
        child->viewport()->render(&frame);
        benchmark::DoNotOptimize(frame.bits());
    }
    state.counters["shown_cards"] = static_cast<double>(std::count_if(
        child->Set().Fragments().begin(), child->Set().Fragments().end(), [&](const auto& f) {
            return f->ScreenRect.Intersects(
                qv::Rect{0, 0, child->ClientWidth(), child->ClientHeight()});
        }));
    p.Close(child);
}
BENCHMARK(BM_ZoomedFullPaint)
    ->Arg(10)
    ->Arg(50)
    ->Arg(67)
    ->Arg(100)
    ->Arg(200)
    ->Arg(400)
    ->Unit(benchmark::kMillisecond);

// Alternately a level away and back, around the window's centre, each followed by its paint.
void BM_ZoomStepAndRepaint(benchmark::State& state) {
    Fixture& p = TheProgram();
    const int percent = static_cast<int>(state.range(0));
    TMDIChild* child = ZoomedWindow(p, percent);
    QImage frame(child->viewport()->size(), QImage::Format_RGB32);
    bool away = false;
    for (auto _ : state) {
        away = !away;
        if (away == (percent < 400))
            child->ZoomIn();
        else
            child->ZoomOut();
        child->viewport()->render(&frame);
        benchmark::DoNotOptimize(frame.bits());
    }
    p.Close(child);
}
BENCHMARK(BM_ZoomStepAndRepaint)->Arg(10)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theProgram.reset();
    return 0;
}
