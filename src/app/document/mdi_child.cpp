#include "app/document/mdi_child.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/app_services.h"
#include "app/document/card_accessibility.h"
#include "app/document/tool_cursors.h"
#include "app/platform/link_follower.h"
#include "app/platform/plain_text.h"
#include "app/platform/qt_ports.h"
#include "app/platform/reasons.h"
#include "app/texts.h"
#include "core/layout/arrange.h"
#include "core/model/frag_buffer.h"
#include "core/model/zoom.h"
#include "core/settings/env_data.h"
#include "core/text/text_helpers.h"
#include "render/painting/colors.h"
#include "render/painting/document_painter.h"
#include "render/painting/repaint_region.h"
#include "render/painting/render_cache.h"
#include "render/pictures/picture_loader.h"
#include "render/text/qt_text.h"

namespace {

// Scroll steps of the document window: arrow keys and the scroll-bar arrows move 16 pixels, a
// wheel notch 16 pixels per line the desktop's setting asks for, the page keys 64.
constexpr int kScrollStep = 16;
constexpr int kPageStep = 64;
// A Ctrl + wheel notch is one zoom level; a fine wheel or a touchpad changes the zoom by this
// factor per notch's worth, smoothly.
constexpr double kZoomPerNotch = 1.25;
// Screen pixels a fit leaves free around what it shows.
constexpr int kFitMargin = 8;

QRect ToQRect(const qv::Rect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

QRect Normalised(QPoint a, QPoint b) {
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

qv::MouseButton ButtonOf(Qt::MouseButton b) {
    switch (b) {
        case Qt::RightButton:
            return qv::MouseButton::Right;
        case Qt::MiddleButton:
            return qv::MouseButton::Middle;
        default:
            return qv::MouseButton::Left;
    }
}

}  // namespace

std::optional<qv::Picture> TMDIChild::DocumentPictures::Load(const std::string& path, int numerator,
                                                             int denominator) {
    const std::string& document =
        owner_.Set().FileName.empty() ? owner_.readingFrom_ : owner_.Set().FileName;
    return inner_.Load(qv::ResolveAgainstDocument(path, document), numerator, denominator);
}

TMDIChild::TMDIChild(AppServices& services, qv::DocumentHost& host, QWidget* parent)
    : QAbstractScrollArea(parent),
      services_(services),
      host_(host),
      pictures_(services.Pictures(), *this),
      ctx_{services.Env(),     services.Metrics(), *this,
           services.Prompts(), pictures_,          services.Clipboard(),
           services.Random(),  services.Links(),   host,
           services.Refresh()},
      set_(std::make_unique<qv::FragSet>(ctx_)),
      cache_(std::make_unique<qv::RenderCache>()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    ApplyScrollSteps();
    horizontalScrollBar()->setTracking(services.Env().ScrollTracking);
    verticalScrollBar()->setTracking(services.Env().ScrollTracking);
    resize(429, 257);
    UpdateCaption();
    InstallCardAccessibility();
}

TMDIChild::~TMDIChild() {
    {
        const auto hold = services_.Refresh().HoldViews();
        set_.reset();
    }
    host_.RefreshMap();
}

QString TMDIChild::Caption() const {
    QString caption = set_->FileName.empty() ? texts::Q(texts::kUntitled)
                                             : QFile::decodeName(set_->FileName.c_str());
    if (set_->ReadOnly) caption += texts::Q(texts::kReadOnlyMark);
    return caption;
}

void TMDIChild::UpdateCaption() {
    // The mark is the title's alone: lists of windows and stored entries use Caption().
    QString title = qv::PlainWindowTitle(Caption());
    if (set_->Modified && !set_->ReadOnly) title += texts::Q(texts::kModifiedMark);
    if (windowTitle() != title) setWindowTitle(title);
}

// ---- Scrolling ----

int TMDIChild::ScrollPosition(qv::ScrollAxis axis) const {
    const QScrollBar* bar =
        axis == qv::ScrollAxis::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    // A hidden scroll bar counts as position 0.
    return bar->maximum() > 0 ? bar->value() : 0;
}

void TMDIChild::SetScrollPosition(qv::ScrollAxis axis, int position) {
    QScrollBar* bar =
        axis == qv::ScrollAxis::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    bar->setValue(position);  // clamped to the range by the scroll bar
}

int TMDIChild::ScrollRange(qv::ScrollAxis axis) const {
    return axis == qv::ScrollAxis::Horizontal ? rangeX_ : rangeY_;
}

void TMDIChild::SetScrollRange(qv::ScrollAxis axis, int range) {
    (axis == qv::ScrollAxis::Horizontal ? rangeX_ : rangeY_) = std::max(range, 1);
    ApplyScrollRange(axis);
}

void TMDIChild::ApplyScrollRange(qv::ScrollAxis axis) {
    const bool horizontal = axis == qv::ScrollAxis::Horizontal;
    QScrollBar* bar = horizontal ? horizontalScrollBar() : verticalScrollBar();
    const int client = horizontal ? ClientWidth() : ClientHeight();
    const int range = horizontal ? rangeX_ : rangeY_;
    bar->setPageStep(std::max(client, 1));
    bar->setRange(0, std::max(0, range - client));
}

int TMDIChild::ClientWidth() const {
    return zoom_ == 1 ? viewport()->width()
                      : static_cast<int>(std::ceil(viewport()->width() / zoom_ - 1e-9));
}
int TMDIChild::ClientHeight() const {
    return zoom_ == 1 ? viewport()->height()
                      : static_cast<int>(std::ceil(viewport()->height() / zoom_ - 1e-9));
}

int TMDIChild::DocumentPixels(int screenPixels) const {
    if (zoom_ == 1 || screenPixels == 0) return screenPixels;
    const int page = static_cast<int>(std::lround(screenPixels / zoom_));
    return page != 0 ? page : (screenPixels > 0 ? 1 : -1);
}

// ---- Zoom ----

QPoint TMDIChild::ToClient(QPointF p) const {
    if (zoom_ == 1) return p.toPoint();
    return QPoint(static_cast<int>(std::floor(p.x() / zoom_)),
                  static_cast<int>(std::floor(p.y() / zoom_)));
}

QPointF TMDIChild::ToViewport(QPoint p) const {
    return QPointF(p.x() * zoom_, p.y() * zoom_);
}

QRect TMDIChild::ToViewport(const QRect& r) const {
    if (zoom_ == 1) return r;
    // Far-off cards scaled up may pass what an int holds; nothing that far is on screen.
    const auto pixel = [](double v) { return static_cast<int>(std::clamp(v, -1e9, 1e9)); };
    const int left = pixel(std::floor(r.left() * zoom_));
    const int top = pixel(std::floor(r.top() * zoom_));
    const int right = pixel(std::ceil((r.right() + 1.0) * zoom_));
    const int bottom = pixel(std::ceil((r.bottom() + 1.0) * zoom_));
    return QRect(left, top, right - left, bottom - top);
}

void TMDIChild::ApplyScrollSteps() {
    // The scroll bars count document pixels; their arrows move 16 screen pixels.
    const int step = DocumentPixels(kScrollStep);
    horizontalScrollBar()->setSingleStep(step);
    verticalScrollBar()->setSingleStep(step);
}

bool TMDIChild::GestureRunning() const {
    return handScrolling_ || bandActive_ || set_->Dragging() ||
           set_->LineStep() == qv::LineToolStep::Drawing;
}

void TMDIChild::SetZoom(double factor, QPointF anchor) {
    factor = qv::ClampZoom(factor);
    if (factor == zoom_ || GestureRunning()) return;
    // The page point under the anchor, in document pixels, stays under it.
    const double docX = ScrollPosition(qv::ScrollAxis::Horizontal) + anchor.x() / zoom_;
    const double docY = ScrollPosition(qv::ScrollAxis::Vertical) + anchor.y() / zoom_;
    zoom_ = factor;
    syncingScroll_ = true;
    ApplyScrollRange(qv::ScrollAxis::Horizontal);
    ApplyScrollRange(qv::ScrollAxis::Vertical);
    ApplyScrollSteps();
    SetScrollPosition(qv::ScrollAxis::Horizontal,
                      static_cast<int>(std::lround(docX - anchor.x() / zoom_)));
    SetScrollPosition(qv::ScrollAxis::Vertical,
                      static_cast<int>(std::lround(docY - anchor.y() / zoom_)));
    set_->RedrawAll();
    syncingScroll_ = false;
    // The hint belongs to the card that was under the pointer.
    UpdateHint(nullptr, QPoint());
    emit ZoomChanged(zoom_);
}

void TMDIChild::ZoomIn() {
    SetZoom(qv::NextZoomLevel(zoom_), QRectF(viewport()->rect()).center());
}

void TMDIChild::ZoomOut() {
    SetZoom(qv::PreviousZoomLevel(zoom_), QRectF(viewport()->rect()).center());
}

void TMDIChild::ZoomReset() {
    SetZoom(1.0, QRectF(viewport()->rect()).center());
}

void TMDIChild::ZoomToFit() {
    // Every card shown; a page without any is shown whole.
    qv::Rect area;
    for (const auto& f : set_->Fragments())
        if (f->Visible) area = area.United(f->DocRect());
    if (area.IsEmpty()) area = qv::Rect{0, 0, set_->WholeWidth, set_->WholeHeight};
    ZoomToArea(area);
}

void TMDIChild::ZoomToSelection() {
    qv::Rect area;
    for (const qv::Fragment* f : set_->SelectionList)
        area = area.United(f->DocRect());
    if (!area.IsEmpty()) ZoomToArea(area);
}

void TMDIChild::ZoomToArea(const qv::Rect& area) {
    if (GestureRunning()) return;
    const double factor = qv::FitZoom(area, viewport()->width(), viewport()->height(), kFitMargin);
    SetZoom(factor, QRectF(viewport()->rect()).center());
    if (zoom_ != qv::ClampZoom(factor)) return;
    // The area's centre to the window's centre (the scroll bars stop at the page's ends).
    const int centreX = area.Left + area.Width() / 2;
    const int centreY = area.Top + area.Height() / 2;
    SetScrollPosition(qv::ScrollAxis::Horizontal, centreX - ClientWidth() / 2);
    SetScrollPosition(qv::ScrollAxis::Vertical, centreY - ClientHeight() / 2);
}

void TMDIChild::scrollContentsBy(int, int) {
    // The page moved under the window: screen rectangles, frames and lines follow. Setting the
    // scroll range from inside may move the page again; that round is absorbed here.
    if (syncingScroll_) return;
    syncingScroll_ = true;
    set_->RedrawAll();
    syncingScroll_ = false;
}

void TMDIChild::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    ApplyScrollRange(qv::ScrollAxis::Horizontal);
    ApplyScrollRange(qv::ScrollAxis::Vertical);
    if (!syncingScroll_) {
        syncingScroll_ = true;
        set_->RedrawAll();
        syncingScroll_ = false;
    }
    // The resized view is painted whole in any case: what the redraw asked for joins that paint
    // now, instead of a second paint of the whole view after it (a scroll bar that comes or goes
    // with a new page size resizes the view after the change was painted for).
    FlushRepaint();
}

void TMDIChild::ScrollBy(int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    dx = DocumentPixels(dx);
    dy = DocumentPixels(dy);
    const QPoint p = PointerPosition();
    if (bandActive_) SetBand(QRect());
    int movedX = 0;
    int movedY = 0;
    if (dx != 0) {
        const int before = ScrollPosition(qv::ScrollAxis::Horizontal);
        SetScrollPosition(qv::ScrollAxis::Horizontal, before + dx);
        movedX = ScrollPosition(qv::ScrollAxis::Horizontal) - before;
    }
    if (dy != 0) {
        const int before = ScrollPosition(qv::ScrollAxis::Vertical);
        SetScrollPosition(qv::ScrollAxis::Vertical, before + dy);
        movedY = ScrollPosition(qv::ScrollAxis::Vertical) - before;
    }
    if (set_->LineStep() == qv::LineToolStep::Drawing)
        SetRubberLine(lineEnd_);  // its start moved with the page
    pressPoint_ -= QPoint(movedX, movedY);
    if (set_->Dragging()) {
        set_->PageScrolled(movedX, movedY);
        set_->DragSelection(nullptr, p.x(), p.y(),
                            ShiftOf(QGuiApplication::queryKeyboardModifiers()));
    } else if (bandActive_) {
        SetBand(Normalised(pressPoint_, p));
    } else if (set_->LineStep() == qv::LineToolStep::Drawing) {
        SetRubberLine(p);
    }
}

void TMDIChild::MoveToEdge(PageEdge edge) {
    switch (edge) {
        case PageEdge::Top:
            SetScrollPosition(qv::ScrollAxis::Vertical, 0);
            break;
        case PageEdge::Bottom:
            SetScrollPosition(qv::ScrollAxis::Vertical, verticalScrollBar()->maximum());
            break;
        case PageEdge::Left:
            SetScrollPosition(qv::ScrollAxis::Horizontal, 0);
            break;
        case PageEdge::Right:
            SetScrollPosition(qv::ScrollAxis::Horizontal, horizontalScrollBar()->maximum());
            break;
    }
}

// ---- Painting ----

// An operation on many cards asks for a rectangle per card (two per moved card). Handing each to
// the widget grows its dirty region one rectangle at a time, which costs far more than painting;
// so the rectangles are collected and given to the widget as one region when the event loop next
// turns, which is before the (low-priority) repaint request is handled.
void TMDIChild::Invalidate(const qv::Rect& clientRect) {
    // Whatever changed, on the window or off it, may have changed the order of the cards or the
    // selection: the flush looks at both.
    readingStale_ = true;
    ScheduleRepaint();
    if (clientRect.IsEmpty() || repaintAll_) return;
    QRect r = ToQRect(clientRect);
    // Scaled edges may land between pixels and lines are drawn a pixel wide on the screen.
    if (zoom_ != 1) r = ToViewport(r).adjusted(-2, -2, 2, 2);
    r = r.intersected(viewport()->rect());
    if (r.isEmpty()) return;
    pendingRepaint_.push_back(r);
}

void TMDIChild::InvalidateAll() {
    readingStale_ = true;
    repaintAll_ = true;
    pendingRepaint_.clear();
    ScheduleRepaint();
}

void TMDIChild::ScheduleRepaint() {
    if (repaintScheduled_) return;
    repaintScheduled_ = true;
    QMetaObject::invokeMethod(this, &TMDIChild::FlushRepaint, Qt::QueuedConnection);
}

QRegion TMDIChild::PendingRepaint() const {
    return repaintAll_ ? QRegion(viewport()->rect()) : qv::RepaintRegion(pendingRepaint_);
}

void TMDIChild::FlushRepaint() {
    if (!repaintScheduled_) return;
    NoteSelection();
    const QRegion region = PendingRepaint();
    repaintScheduled_ = false;
    repaintAll_ = false;
    pendingRepaint_.clear();
    if (!region.isEmpty()) viewport()->update(region);
}

void TMDIChild::paintEvent(QPaintEvent* event) {
    const auto hold = services_.Refresh().HoldViews();
    QPainter painter(viewport());
    qv::PaintDocumentWindow(painter, *set_, *cache_, event->region(), zoom_);
    if (set_->LineStep() == qv::LineToolStep::Drawing) {
        // The rubber line of the group line tool, drawn with the pen new lines get.
        const int width = services_.Env().DefGLineWidth;
        QPen pen(qv::ToQColor(services_.Env().Colors.GroupLine),
                 std::max(1, static_cast<int>(std::abs(width) * zoom_)));
        if (width == -1) pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        if (zoom_ == 1)
            painter.drawLine(pressPoint_, lineEnd_);
        else
            painter.drawLine(ToViewport(pressPoint_), ToViewport(lineEnd_));
    }
    if (const QRect ring = FocusRingRect(); !ring.isEmpty()) {
        // Dotted in the highlight colour on a plain line of the base colour, so that it shows on
        // any card colour and is never taken for the selection's fill.
        const QRect r = ring.adjusted(1, 1, -2, -2);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().color(QPalette::Base), 2));
        painter.drawRect(r);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::DotLine));
        painter.drawRect(r);
    }
    if (bandActive_ && !bandRect_.isNull()) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(ToViewport(bandRect_).adjusted(0, 0, -1, -1));
    }
}

void TMDIChild::SetBand(const QRect& rect) {
    if (!bandRect_.isNull()) UpdateClient(bandRect_.adjusted(-1, -1, 1, 1));
    bandRect_ = rect;
    if (!bandRect_.isNull()) UpdateClient(bandRect_.adjusted(-1, -1, 1, 1));
}

void TMDIChild::SetRubberLine(QPoint to) {
    UpdateClient(RubberLineRect(lineEnd_));
    lineEnd_ = to;
    UpdateClient(RubberLineRect(lineEnd_));
}

void TMDIChild::UpdateClient(const QRect& r) {
    Invalidate(qv::Rect{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
}

QRect TMDIChild::RubberLineRect(QPoint to) const {
    const int margin = std::abs(services_.Env().DefGLineWidth) + 2;
    return Normalised(pressPoint_, to).adjusted(-margin, -margin, margin + 1, margin + 1);
}

// ---- Tools ----

qv::ToolMode TMDIChild::Tool() const {
    return services_.Tool();
}

qv::CursorShape TMDIChild::ToolCursorShape() const {
    switch (Tool()) {
        case qv::ToolMode::Group:
            return qv::CursorShape::GroupTool;
        case qv::ToolMode::GroupLine:
            return qv::CursorShape::LineTool;
        case qv::ToolMode::Brush:
            return qv::CursorShape::PaintTool;
        default:
            return qv::CursorShape::Arrow;
    }
}

void TMDIChild::SetTool(qv::ToolMode mode) {
    services_.SetTool(mode);
    if (mode == qv::ToolMode::GroupLine) set_->SelectAll(false);
    ApplyTool();
}

void TMDIChild::ApplyTool() {
    const bool lineTool = Tool() == qv::ToolMode::GroupLine;
    if (!lineTool) {
        if (set_->LineStep() == qv::LineToolStep::Drawing) {
            UpdateClient(RubberLineRect(lineEnd_));
            emit StatusMessage(QString());
        }
        set_->SetLineStep(qv::LineToolStep::Off);
    } else if (set_->LineStep() == qv::LineToolStep::Off) {
        set_->SetLineStep(qv::LineToolStep::Ready);
    }
    spuitActive_ = false;
    SetCursor(qv::CursorShape::Default);
}

void TMDIChild::Activated() {
    ApplyTool();
    set_->RefreshRequest();
}

// ---- Editing operations ----

void TMDIChild::Paste() {
    if (set_->ReadOnly || services_.Buffer().Empty()) return;
    services_.Buffer().PasteBuffer(*set_, false);
}

void TMDIChild::PasteAtMouse() {
    if (set_->ReadOnly || services_.Buffer().Empty()) return;
    const QPoint p = PointerPosition();
    services_.Buffer().PasteBuffer(*set_, true, qv::Point{p.x(), p.y()});
}

bool TMDIChild::DeleteSelectionOrLine() {
    return set_->DeleteSelectionOrLine();
}

bool TMDIChild::Undo() {
    if (!set_->History().Undo()) return false;
    host_.RefreshGroupList();
    UpdateCaption();
    return true;
}

bool TMDIChild::Redo() {
    if (!set_->History().Redo()) return false;
    host_.RefreshGroupList();
    UpdateCaption();
    return true;
}

// ---- Keyboard moves between cards ----

namespace {

// Where a keyboard move starts: the card the last one went to while it is selected, else the
// first selected card in reading order.
const qv::Fragment* MoveStart(const qv::FragSet& set, const qv::Fragment* keyCard) {
    const auto& selection = set.SelectionList;
    if (keyCard && std::find(selection.begin(), selection.end(), keyCard) != selection.end())
        return keyCard;
    return selection.empty() ? nullptr : selection.front();
}

// The ring lies this far outside the card.
constexpr int kRingGap = 3;

}  // namespace

void TMDIChild::SelectCardInReadingOrder(bool forward) {
    MoveKeyCard(qv::StepInReadingOrder(*set_, MoveStart(*set_, keyCard_), forward));
}

void TMDIChild::SelectCardTowards(qv::CardDirection direction) {
    MoveKeyCard(qv::NearestInDirection(*set_, MoveStart(*set_, keyCard_), direction));
}

void TMDIChild::SelectCard(const qv::Fragment* card) {
    const int index = ReadingIndexOf(card);
    if (index >= 0) MoveKeyCard(readingCards_[static_cast<std::size_t>(index)]);
}

void TMDIChild::MoveKeyCard(qv::Fragment* card) {
    if (!card) return;
    qv::SelectOnlyCard(*set_, card);
    keyCard_ = card;
    // Told here rather than when the repaint notices: this change keeps the ring.
    AnnounceSelection(*this, lastSelection_, set_->SelectionList);
    lastSelection_.assign(set_->SelectionList.begin(), set_->SelectionList.end());
    AnnounceCardFocus(*this, *card);
    emit StatusMessage(CardSpokenText(*card, services_.Env()));
    ScheduleRepaint();
}

const qv::Fragment* TMDIChild::FocusCard() const {
    return keyCard_ && set_->SingleSelected() == keyCard_ ? keyCard_ : nullptr;
}

const std::vector<qv::Fragment*>& TMDIChild::ReadingOrderCards() const {
    const int count = set_->Count();
    const std::uint64_t changes = set_->Modified.Generation();
    if (readingStale_ || count != readingCount_ || changes != readingChanges_) {
        readingCards_ = qv::CardsInReadingOrder(*set_);
        readingIndex_.clear();
        for (std::size_t i = 0; i < readingCards_.size(); ++i)
            readingIndex_.emplace(readingCards_[i], static_cast<int>(i));
        readingStale_ = false;
        readingCount_ = count;
        readingChanges_ = changes;
        ++readingGeneration_;
    }
    return readingCards_;
}

int TMDIChild::ReadingIndexOf(const qv::Fragment* card) const {
    ReadingOrderCards();
    const auto it = readingIndex_.find(card);
    return it == readingIndex_.end() ? -1 : it->second;
}

void TMDIChild::NoteSelection() {
    const auto& now = set_->SelectionList;
    if (!std::equal(now.begin(), now.end(), lastSelection_.begin(), lastSelection_.end())) {
        keyCard_ = nullptr;
        AnnounceSelection(*this, lastSelection_, now);
        lastSelection_.assign(now.begin(), now.end());
    }
    // The ring follows its card wherever it went or grew, and goes with it.
    const QRect ring = FocusRingRect();
    if (ring != ringRect_) {
        if (!ringRect_.isEmpty()) UpdateClient(ringRect_);
        if (!ring.isEmpty()) UpdateClient(ring);
        ringRect_ = ring;
    }
}

QRect TMDIChild::FocusRingRect() const {
    const qv::Fragment* card = FocusCard();
    if (!card) return QRect();
    return ToQRect(card->ScreenRect).adjusted(-kRingGap, -kRingGap, kRingGap, kRingGap);
}

QPoint TMDIChild::PointerPosition() const {
    return ToClient(viewport()->mapFromGlobal(QCursor::pos()));
}

// ---- Cursor and keys ----

void TMDIChild::SetCursor(qv::CursorShape shape) {
    // The model's "default" is this window's own cursor, which depends on the tool.
    if (shape == qv::CursorShape::Default) shape = ToolCursorShape();
    viewport()->setCursor(qv::ToolCursor(shape));
}

bool TMDIChild::CtrlDown() const {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

qv::ShiftState TMDIChild::ShiftOf(Qt::KeyboardModifiers mods) {
    return qv::ShiftState{mods.testFlag(Qt::ShiftModifier), mods.testFlag(Qt::ControlModifier),
                          mods.testFlag(Qt::AltModifier)};
}

namespace {

// Tells that an input was handled when the handler ends, whichever way it returns (unless the
// window went meanwhile, say by a command of a pop-up menu).
struct InputDone {
    QPointer<TMDIChild> window;
    ~InputDone() {
        if (window) emit window->InputHandled();
    }
};

}  // namespace

void TMDIChild::keyPressEvent(QKeyEvent* event) {
    const InputDone done{this};
    switch (event->key()) {
        case Qt::Key_PageUp:
            ScrollBy(0, -kPageStep);
            break;
        case Qt::Key_PageDown:
            ScrollBy(0, kPageStep);
            break;
        case Qt::Key_Left:
            ScrollBy(-kScrollStep, 0);
            break;
        case Qt::Key_Right:
            ScrollBy(kScrollStep, 0);
            break;
        case Qt::Key_Up:
            ScrollBy(0, -kScrollStep);
            break;
        case Qt::Key_Down:
            ScrollBy(0, kScrollStep);
            break;
        case Qt::Key_Home:
        case Qt::Key_End:
            break;  // the page does not jump: the edge-move commands own these keys
        case Qt::Key_Control:
            if (!event->isAutoRepeat()) set_->CtrlChangedWhileDragging(true);
            break;
        case Qt::Key_Escape:
            emit EscapePressed();
            break;
        case Qt::Key_Delete:
            DeleteSelectionOrLine();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (event->modifiers() & ~Qt::KeypadModifier) {
                QAbstractScrollArea::keyPressEvent(event);
                return;
            }
            // The property dialog of one card, as a double click on it opens it.
            if (!set_->ReadOnly && set_->SingleSelected()) {
                host_.EditSelection(*set_);
                host_.TurnImeOff();
            }
            break;
        case Qt::Key_Space:
            if (!event->isAutoRepeat()) SetSpaceHeld(true);
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    event->accept();
}

void TMDIChild::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Control && !event->isAutoRepeat()) {
        set_->CtrlChangedWhileDragging(false);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat()) SetSpaceHeld(false);
        event->accept();
        return;
    }
    QAbstractScrollArea::keyReleaseEvent(event);
}

void TMDIChild::focusOutEvent(QFocusEvent* event) {
    // The release of a Space held while the keyboard went elsewhere never comes here.
    SetSpaceHeld(false);
    QAbstractScrollArea::focusOutEvent(event);
}

void TMDIChild::SetSpaceHeld(bool held) {
    if (spaceHeld_ == held) return;
    spaceHeld_ = held;
    // The hand shows while Space is held; a running hand scroll keeps it until its release.
    if (!handScrolling_ && !set_->Dragging() && !bandActive_ &&
        set_->LineStep() != qv::LineToolStep::Drawing)
        SetCursor(held ? HandCursorShape() : qv::CursorShape::Default);
}

qv::CursorShape TMDIChild::HandCursorShape() const {
    const int move = services_.Env().MoveCurosr;
    return move == static_cast<int>(qv::CursorShape::GrabLeft)    ? qv::CursorShape::GrabLeft
           : move == static_cast<int>(qv::CursorShape::GrabRight) ? qv::CursorShape::GrabRight
                                                                  : qv::CursorShape::Arrow;
}

void TMDIChild::wheelEvent(QWheelEvent* event) {
    WheelScroll(*event);
    event->accept();
}

void TMDIChild::WheelScroll(const QWheelEvent& event) {
    if (event.modifiers().testFlag(Qt::ControlModifier)) {
        // Around the pointer when it is over the page, else around the window's centre.
        QPointF anchor = viewport()->mapFromGlobal(event.globalPosition());
        if (!QRectF(viewport()->rect()).contains(anchor))
            anchor = QRectF(viewport()->rect()).center();
        const int angle =
            event.angleDelta().y() != 0 ? event.angleDelta().y() : event.angleDelta().x();
        if (event.pixelDelta().isNull() && angle % 120 == 0) {
            // Whole notches of a plain wheel: a level each.
            double factor = zoom_;
            for (int n = angle / 120; n > 0; --n)
                factor = qv::NextZoomLevel(factor);
            for (int n = angle / 120; n < 0; ++n)
                factor = qv::PreviousZoomLevel(factor);
            SetZoom(factor, anchor);
        } else {
            // A fine wheel or a touchpad: smoothly, between the levels.
            const double notches = angle != 0 ? angle / 120.0 : event.pixelDelta().y() / 60.0;
            SetZoom(zoom_ * std::pow(kZoomPerNotch, notches), anchor);
        }
        return;
    }
    // Per notch of 120 the desktop's lines per notch, each a 16-pixel step, towards the end of
    // the page when the wheel turns towards the user. A touchpad's pixel deltas are taken as
    // given; fine wheels add up until a pixel moves. With Shift a wheel that turns only one way
    // scrolls sideways (a desktop may have turned it sideways already).
    QPoint pixels = event.pixelDelta();
    QPoint angle = event.angleDelta();
    if (event.modifiers().testFlag(Qt::ShiftModifier)) {
        if (pixels.x() == 0) pixels = QPoint(pixels.y(), 0);
        if (angle.x() == 0) angle = QPoint(angle.y(), 0);
    }
    int dx = 0;
    int dy = 0;
    if (!pixels.isNull()) {
        dx = -pixels.x();
        dy = -pixels.y();
    } else {
        const int perNotch = kScrollStep * std::max(1, QApplication::wheelScrollLines());
        wheelRestX_ += angle.x() * perNotch;
        wheelRestY_ += angle.y() * perNotch;
        dx = -(wheelRestX_ / 120);
        dy = -(wheelRestY_ / 120);
        wheelRestX_ %= 120;
        wheelRestY_ %= 120;
    }
    if (verticalScrollBar()->maximum() <= 0) dy = 0;
    if (horizontalScrollBar()->maximum() <= 0) dx = 0;
    ScrollBy(dx, dy);
}

// ---- Mouse ----

bool TMDIChild::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::NativeGesture) {
        const auto* gesture = static_cast<QNativeGestureEvent*>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            // A pinch: the value is the change of scale since the last event.
            SetZoom(zoom_ * (1.0 + gesture->value()), gesture->position());
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TMDIChild::mousePressEvent(QMouseEvent* event) {
    const QPoint p = ToClient(event->position());
    const qv::ShiftState shift = ShiftOf(event->modifiers());
    const qv::MouseButton button = ButtonOf(event->button());
    setFocus(Qt::MouseFocusReason);
    popup_ = PopupKind::None;
    // Only the press right before a double click decides whether that double click counts.
    ctrlPressed_ = false;

    // One hand scroll at a time: other buttons pressed during it do nothing.
    if (handScrolling_) return;
    // The page is taken by hand with the middle button, or with the left one while Alt or
    // Space is held (many desktops keep Alt + drag for moving windows).
    if (event->button() == Qt::MiddleButton ||
        (event->button() == Qt::LeftButton && (shift.Alt || spaceHeld_))) {
        lastPoint_ = p;
        SetCursor(HandCursorShape());
        handScrolling_ = true;
        handButton_ = event->button();
        return;
    }

    switch (Tool()) {
        case qv::ToolMode::GroupLine:
            set_->SelectGroupLineAt(p.x(), p.y());
            popup_ = PopupKind::GroupLine;
            if (button != qv::MouseButton::Left) return;
            set_->SetLineStep(qv::LineToolStep::Drawing);
            pressPoint_ = lastPoint_ = lineEnd_ = p;
            set_->SelectAll(false);
            emit StatusMessage(texts::Q(texts::kSettingGroupLine));
            return;
        case qv::ToolMode::Brush: {
            // The brush acts under its tip, not under the hot spot (screen pixels of the cursor).
            const QPoint tip = ToClient(event->position() + QPointF(qv::kBrushTipOffset));
            qv::Fragment* f = set_->FragmentAt(tip.x(), tip.y());
            if (!f) {
                popup_ = PopupKind::Brush;
                if (button == qv::MouseButton::Left) set_->SelectAll(false);
            } else if (button == qv::MouseButton::Left) {
                set_->PaintBackground(f, services_.Env().Colors.BrushTool);
            } else if (button == qv::MouseButton::Right) {
                spuitActive_ = true;
                SetCursor(qv::CursorShape::SpuitTool);
                services_.Env().Colors.BrushTool = f->ColBG;
                emit BrushColorPicked(f->ColBG);
            }
            return;
        }
        default:
            break;
    }

    // Normal editing and grouping.
    set_->SelectGroupLineAt(p.x(), p.y());
    popup_ = Tool() == qv::ToolMode::Group ? PopupKind::GroupTool
             : set_->SelectedLine != -1    ? PopupKind::GroupLine
                                           : PopupKind::Fragment;
    if (qv::Fragment* f = set_->FragmentAt(p.x(), p.y())) {
        set_->BringToTop(f);
        set_->PressFragment(f, button, p.x(), p.y(), shift);
        ctrlPressed_ = shift.Ctrl;
    } else if (button == qv::MouseButton::Left) {
        if (!shift.Shift && !set_->SelectionList.empty()) set_->SelectAll(false);
        bandActive_ = true;
        pressPoint_ = p;
        SetBand(QRect(p, p));
    }
    lastPoint_ = p;
}

void TMDIChild::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = ToClient(event->position());
    const qv::ShiftState shift = ShiftOf(event->modifiers());
    if (handScrolling_) {
        // The page follows the hand.
        SetScrollPosition(qv::ScrollAxis::Horizontal,
                          lastPoint_.x() + ScrollPosition(qv::ScrollAxis::Horizontal) - p.x());
        SetScrollPosition(qv::ScrollAxis::Vertical,
                          lastPoint_.y() + ScrollPosition(qv::ScrollAxis::Vertical) - p.y());
        lastPoint_ = p;
        return;
    }
    // The tool's cursor comes back after anything that changed it, except the eyedropper that a
    // right press of the brush holds until the release and the cursors of a drag.
    if (Tool() != qv::ToolMode::Normal && !spuitActive_ && !set_->Dragging() && !spaceHeld_)
        SetCursor(qv::CursorShape::Default);

    if (bandActive_) {
        SetBand(Normalised(pressPoint_, p));
        // Near the window's edges (32 screen pixels, at any zoom) the page scrolls under a
        // growing rectangle.
        const int dx = p.x() - lastPoint_.x();
        const int dy = p.y() - lastPoint_.y();
        const QPointF at = event->position();
        const QPointF last = ToViewport(lastPoint_);
        const int cw = viewport()->width() - 32;
        const int ch = viewport()->height() - 32;
        if (at.x() > cw && last.x() > cw && dx > 0) {
            ScrollBy(kScrollStep, 0);
        } else if (at.y() > ch && last.y() > ch && dy > 0) {
            ScrollBy(0, kScrollStep);
        }
        if (ScrollPosition(qv::ScrollAxis::Horizontal) > 0 && at.x() < 32 && last.x() < 32 &&
            dx < 0) {
            ScrollBy(-kScrollStep, 0);
        } else if (ScrollPosition(qv::ScrollAxis::Vertical) > 0 && at.y() < 32 && last.y() < 32 &&
                   dy < 0) {
            ScrollBy(0, -kScrollStep);
        }
    } else if (set_->LineStep() == qv::LineToolStep::Drawing) {
        SetRubberLine(p);
        // The frame the line would end at is repainted after the release.
        if (const int g = set_->GroupFrameAt(p.x(), p.y()); g > 0) set_->TouchFrame(g);
    } else {
        qv::Fragment* f = set_->FragmentAt(p.x(), p.y());
        set_->DragSelection(f, p.x(), p.y(), shift);
        UpdateHint(set_->Dragging() ? nullptr : f, event->globalPosition().toPoint());
    }
    lastPoint_ = p;
}

// The hint of the card under the pointer shows at once, without the usual delay: a picture's
// caption (line breaks restored), otherwise the link.
void TMDIChild::UpdateHint(qv::Fragment* under, QPoint globalPos) {
    if (!under) {
        if (hintFragment_ || !hintText_.isEmpty()) QToolTip::hideText();
        hintFragment_ = nullptr;
        hintText_.clear();
        ClearPictureProblem();
        return;
    }
    if (under == hintFragment_) return;
    hintFragment_ = under;
    if (under->Kind == qv::FragmentKind::Image && !under->Text.empty()) {
        hintText_ = qv::FromCp932(qv::ReplaceAll(under->Text, services_.Env().CR_String, "\r\n"));
    } else {
        hintText_ = qv::FromCp932(under->Link);
    }
    // A picture card showing the missing-picture image says why, under its hint and in the
    // status bar, which keeps it while the pointer stays on the card after the hint has gone.
    const QString reason = PictureProblem(*under);
    if (!reason.isEmpty()) {
        hintText_ += (hintText_.isEmpty() ? QString() : QStringLiteral("\n")) + reason;
        emit StatusMessage(reason);
        pictureProblemShown_ = true;
    } else {
        ClearPictureProblem();
    }
    QToolTip::hideText();
    if (!hintText_.isEmpty())
        QToolTip::showText(globalPos, qv::PlainToolTip(hintText_), viewport());
}

void TMDIChild::ClearPictureProblem() {
    if (!pictureProblemShown_) return;
    pictureProblemShown_ = false;
    emit StatusMessage(QString());
}

namespace {

// What kept a picture file from being opened, for the status bar; empty when it was opened.
QString PictureFileReason(qv::FileProblem problem) {
    std::string_view reason;
    switch (problem) {
        case qv::FileProblem::Folder:
            reason = texts::kPictureIsFolder;
            break;
        case qv::FileProblem::NotRegular:
            reason = texts::kPictureNotRegular;
            break;
        case qv::FileProblem::LinkLoop:
            reason = texts::kPictureLinkLoop;
            break;
        case qv::FileProblem::Permission:
            reason = texts::kPictureNoPermission;
            break;
        default:
            return QString();
    }
    return QStringLiteral(": ") + texts::Q(reason);
}

}  // namespace

QString TMDIChild::PictureProblem(const qv::Fragment& card) const {
    if (card.Kind != qv::FragmentKind::Image || card.HasPicture()) return QString();
    const std::string& document = set_->FileName.empty() ? readingFrom_ : set_->FileName;
    switch (services_.PictureFiles().StatusOf(qv::ResolveAgainstDocument(card.Link, document))) {
        case qv::PictureStatus::Missing:
            return texts::Q(texts::kPictureMissing);
        case qv::PictureStatus::Unreadable:
            return texts::Q(texts::kPictureUnreadable) +
                   PictureFileReason(services_.PictureFiles().ProblemOf(
                       qv::ResolveAgainstDocument(card.Link, document)));
        case qv::PictureStatus::TooLarge:
            return texts::Q(texts::kPictureTooLarge);
        case qv::PictureStatus::Loaded:
            break;
    }
    return QString();
}

void TMDIChild::leaveEvent(QEvent* event) {
    UpdateHint(nullptr, QPoint());
    QAbstractScrollArea::leaveEvent(event);
}

void TMDIChild::mouseReleaseEvent(QMouseEvent* event) {
    const InputDone done{this};
    const QPoint p = ToClient(event->position());
    if (handScrolling_) {
        if (event->button() != handButton_) return;
        SetCursor(spaceHeld_ ? HandCursorShape() : qv::CursorShape::Default);
        handScrolling_ = false;
        InvalidateAll();
        return;
    }
    switch (Tool()) {
        case qv::ToolMode::GroupLine:
            if (set_->LineStep() == qv::LineToolStep::Drawing) ReleaseGroupLine(p);
            break;
        case qv::ToolMode::Brush:
            spuitActive_ = false;
            SetCursor(qv::CursorShape::PaintTool);
            break;
        default:
            if (bandActive_) {
                ReleaseBand(p);
            } else {
                set_->ReleaseDrag(set_->FragmentAt(p.x(), p.y()), ShiftOf(event->modifiers()));
            }
            break;
    }
    AfterRelease();
    if (event->button() == Qt::RightButton && popup_ != PopupKind::None) {
        const PopupKind kind = popup_;
        popup_ = PopupKind::None;
        emit PopupRequested(this, kind, event->globalPosition().toPoint());
    }
}

void TMDIChild::ReleaseGroupLine(QPoint p) {
    UpdateClient(RubberLineRect(lineEnd_));
    // Outside every frame, or within one frame, no line is made.
    if (!set_->ReadOnly)
        set_->SetGroupLine(set_->GroupFrameAt(pressPoint_.x(), pressPoint_.y()),
                           set_->GroupFrameAt(p.x(), p.y()));
    set_->SetLineStep(qv::LineToolStep::Ready);
    set_->RedrawAll();
    emit StatusMessage(QString());
}

void TMDIChild::ReleaseBand(QPoint p) {
    SetBand(QRect());
    bandActive_ = false;
    // The model normalises the rectangle; its corners are the press and release points.
    set_->SelectInRect(qv::Rect{pressPoint_.x(), pressPoint_.y(), p.x(), p.y()});
    if (Tool() != qv::ToolMode::Group || set_->SelectionList.empty() || set_->ReadOnly) return;
    if (set_->GroupSelection() == qv::GroupingResult::NoFreeGroup)
        services_.Prompts().Warning(texts::Cp932(texts::kNoFreeGroup), qv::PromptButtons::Ok);
}

void TMDIChild::AfterRelease() {
    set_->EraseGroupLines();
    set_->UpdateGroupFrames();
    set_->RepaintTouchedFrames();
    host_.RefreshMap();
}

void TMDIChild::mouseDoubleClickEvent(QMouseEvent* event) {
    // A quick second press of a hand scroll is one more hand scroll, never a new card.
    if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && spaceHeld_)) {
        mousePressEvent(event);
        return;
    }
    const QPoint p = ToClient(event->position());
    const bool editingTool = Tool() == qv::ToolMode::Normal || Tool() == qv::ToolMode::Group;
    if (editingTool && !bandActive_ && !ctrlPressed_) {
        if (qv::Fragment* f = set_->FragmentAt(p.x(), p.y())) {
            set_->DoubleClickFragment(f, ShiftOf(event->modifiers()));
        } else if (!set_->ReadOnly) {
            // A new card where the user double-clicked, in the group whose frame is there.
            qv::NewFragmentRequest request;
            request.AtPoint = true;
            request.At = qv::Point{p.x() + 1, p.y() + 1};
            request.PresetGroup = std::max(0, set_->GroupFrameAt(p.x(), p.y()));
            host_.NewFragment(*set_, request);
            set_->StopDragging();
            host_.TurnImeOff();
        }
    }
    // The second press of a double click comes only as this event, never as a press. What the
    // model keeps to let that press start no drag after the dialog has done its work now: left
    // set, it would swallow the user's next real press and its drag.
    set_->DoubleClickDone();
    ctrlPressed_ = false;
}

void TMDIChild::contextMenuEvent(QContextMenuEvent* event) {
    // The mouse's menus open on the release of the right button (see mouseReleaseEvent); the
    // keyboard's menu key opens the fragment menu at the pointer.
    if (event->reason() == QContextMenuEvent::Keyboard && Tool() == qv::ToolMode::Normal)
        emit PopupRequested(this, PopupKind::Fragment, event->globalPos());
    event->accept();
}
