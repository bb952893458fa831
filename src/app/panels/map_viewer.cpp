#include "app/panels/map_viewer.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <cmath>
#include <cstring>

#include "app/panels/after_repaints.h"
#include "app/texts.h"
#include "core/color.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"
#include "core/settings/window_state.h"
#include "render/painting/colors.h"
#include "render/painting/document_painter.h"
#include "render/painting/render_cache.h"

namespace {

constexpr int kDefaultWidth = 160;
constexpr int kDefaultHeight = 120;

// FNV-1a over the words of the digest.
class Digest {
  public:
    void Add(std::uint64_t v) {
        for (int i = 0; i < 8; ++i) {
            hash_ ^= (v >> (i * 8)) & 0xFF;
            hash_ *= 0x100000001B3ull;
        }
    }
    void Add(const qv::Rect& r) {
        Add(static_cast<std::uint32_t>(r.Left) |
            (std::uint64_t{static_cast<std::uint32_t>(r.Top)} << 32));
        Add(static_cast<std::uint32_t>(r.Right) |
            (std::uint64_t{static_cast<std::uint32_t>(r.Bottom)} << 32));
    }
    std::uint64_t Value() const { return hash_; }

  private:
    std::uint64_t hash_ = 0xCBF29CE484222325ull;
};

// The page, its division lines, the cards as small boxes, the frames and the thin lines, through
// the render layer's map target.
void PaintMapContent(QPainter& painter, const qv::FragSet* set, qv::RenderCache& cache, int width,
                     int height, double scale) {
    const QColor workspace = qv::ToQColor(qv::kSysAppWorkspace);
    if (!set) {
        painter.fillRect(QRect(0, 0, width, height), workspace);
        return;
    }
    const int a = static_cast<int>(std::floor(set->WholeWidth * scale + 0.5) + 2);
    const int b = static_cast<int>(std::floor(set->WholeHeight * scale + 0.5) + 2);
    painter.fillRect(QRect(0, 0, a, b), qv::ToQColor(set->Env().Colors.Background));
    painter.fillRect(QRect(a, 0, width - a, height), workspace);
    painter.fillRect(QRect(0, b, a, height - b), workspace);
    qv::RenderTarget target;
    target.Kind = qv::TargetKind::Map;
    target.Scale = scale;
    qv::PaintDocument(painter, *set, cache, target);
}

}  // namespace

TMapViewer::TMapViewer(qv::EnvData& env, qv::UsrIniFile& ini, DocumentFn activeDocument,
                       QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint),
      env_(env),
      ini_(ini),
      activeDocument_(std::move(activeDocument)),
      cache_(std::make_unique<qv::RenderCache>()) {
    setWindowTitle(texts::Q(texts::kMapViewerTitle));
    setObjectName(QStringLiteral("MapView"));
    setMinimumSize(80, 80);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    resize(137, 130);
}

TMapViewer::~TMapViewer() = default;

std::optional<double> TMapViewer::MapScale() const {
    return qv::ComputeMapScale(activeDocument_(), width(), height());
}

std::uint64_t TMapViewer::ContentKey(const qv::FragSet* set) const {
    Digest d;
    d.Add(static_cast<std::uint64_t>(width()) << 32 | static_cast<std::uint32_t>(height()));
    d.Add(reinterpret_cast<std::uintptr_t>(set));
    if (!set) return d.Value();
    const qv::EnvData& env = set->Env();
    d.Add(env.MapViewImage);
    d.Add(env.GroupLine);
    d.Add(static_cast<std::uint64_t>(env.GFrameMaxRnd));
    {
        // The colours the map uses, as their bytes.
        const auto& c = env.Colors;
        for (qv::Color color :
             {c.Background, c.FrgBorder, c.SelFrgBG, c.GroupFrame, c.GroupLine, c.DivLine})
            d.Add(color);
    }
    d.Add(qv::Rect{set->WholeWidth, set->WholeHeight, set->DivColumns, set->DivRows});
    d.Add(set->ShowDivLines);
    for (const auto& f : set->Fragments()) {
        if (!f->Visible || !f->Measured) continue;
        d.Add(f->DocRect());
        d.Add(static_cast<std::uint64_t>(f->ColBG) << 8 | static_cast<std::uint64_t>(f->Kind) << 1 |
              (f->Selected ? 1 : 0));
        if (f->Kind == qv::FragmentKind::Image)
            d.Add(reinterpret_cast<std::uintptr_t>(f->Cache ? f->Cache->Image.get() : nullptr));
    }
    for (const qv::GroupEntry& e : set->GroupTable) {
        if (!e.Frame.Visible || e.Bounds.IsEmpty()) continue;
        d.Add(e.Bounds);
    }
    for (const qv::ArrowLine& line : set->GroupLines) {
        if (!line.Drawn) continue;
        d.Add(qv::Rect{line.DocStart.X, line.DocStart.Y, line.DocEnd.X, line.DocEnd.Y});
        d.Add(static_cast<std::uint64_t>(static_cast<std::uint32_t>(line.Width)));
    }
    return d.Value();
}

void TMapViewer::EnsureContent(const qv::FragSet* set) {
    const QSize size = this->size();
    const std::uint64_t key = ContentKey(set);
    if (hasContent_ && key == contentKey_ && content_.size() == size) return;
    if (content_.size() != size) content_ = QImage(size, QImage::Format_RGB32);
    if (content_.isNull()) return;
    QPainter painter(&content_);
    const std::optional<double> scale = qv::ComputeMapScale(set, size.width(), size.height());
    PaintMapContent(painter, scale ? set : nullptr, *cache_, size.width(), size.height(),
                    scale.value_or(0));
    contentKey_ = key;
    hasContent_ = true;
    ++contentPaints_;
}

namespace {

const QEvent::Type kMapUpdate = static_cast<QEvent::Type>(QEvent::registerEventType());

}  // namespace

void TMapViewer::MapUpdate() {
    if (isHidden() || !isVisible() || updatePosted_) return;
    updatePosted_ = true;
    PostAfterRepaints(this, kMapUpdate);
}

bool TMapViewer::event(QEvent* event) {
    if (event->type() != kMapUpdate) return QWidget::event(event);
    updatePosted_ = false;
    if (isVisible()) update();
    return true;
}

QImage TMapViewer::Snapshot() {
    QImage image(size(), QImage::Format_RGB32);
    render(&image);
    return image;
}

void TMapViewer::paintEvent(QPaintEvent*) {
    const qv::FragSet* set = activeDocument_();
    EnsureContent(set);
    QPainter painter(this);
    painter.drawImage(0, 0, content_);
    if (!set || !env_.AreaFrame || set->WholeWidth <= 1 || set->WholeHeight <= 1) return;
    const std::optional<double> scale = qv::ComputeMapScale(set, width(), height());
    if (!scale) return;
    const double s = *scale;
    const qv::DocumentView& view = set->View();
    const int x = static_cast<int>(set->ScrollX() * s);
    const int y = static_cast<int>(set->ScrollY() * s);
    const int w = static_cast<int>(view.ClientWidth() * s);
    const int h = static_cast<int>(view.ClientHeight() * s);
    if (w <= 0 || h <= 0) return;
    // A one-pixel frame around (x, y)-(x + w, y + h), right and bottom excluded.
    painter.setPen(QPen(qv::ToQColor(env_.Colors.AreaFrame), 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(x, y, w - 1, h - 1);
}

void TMapViewer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    update();
}

void TMapViewer::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) update();
}

void TMapViewer::ShowViewer() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const qv::WindowPlacement p =
        qv::ReadPlacement(ini_, "MapView", kDefaultHeight, kDefaultWidth,
                          (area.height() - 480) / 2 + 330, (area.width() - 640) / 2 + 12);
    QRect stored(p.Left, p.Top, p.HasSize ? p.Width : width(), p.HasSize ? p.Height : height());
    // A place on a screen that is gone must not hide the map.
    bool onScreen = false;
    for (const QScreen* s : QGuiApplication::screens())
        onScreen = onScreen || s->availableGeometry().intersects(stored);
    if (!onScreen && screen) stored.moveCenter(screen->availableGeometry().center());
    setGeometry(stored);
    show();
    const qv::FragSet* set = activeDocument_();
    if (const std::optional<double> scale = qv::ComputeMapScale(set, width(), height())) {
        const qv::DocumentView& view = set->View();
        const QPoint centre(static_cast<int>((view.ClientWidth() / 2 + set->ScrollX()) * *scale),
                            static_cast<int>((view.ClientHeight() / 2 + set->ScrollY()) * *scale));
        QCursor::setPos(mapToGlobal(centre));
    }
}

void TMapViewer::StorePlacement() {
    if (isHidden()) return;
    const QRect g = geometry();
    qv::WritePlacement(ini_, "MapView", qv::Rect::FromSize(g.x(), g.y(), g.width(), g.height()));
}

void TMapViewer::closeEvent(QCloseEvent* event) {
    StorePlacement();
    QWidget::closeEvent(event);
}

void TMapViewer::ScrollTo(const QPoint& mapPoint) {
    qv::FragSet* set = activeDocument_();
    const std::optional<double> scale = qv::ComputeMapScale(set, width(), height());
    if (!scale) return;
    qv::DocumentView& view = set->View();
    view.SetScrollPosition(
        qv::ScrollAxis::Horizontal,
        static_cast<int>(std::floor(mapPoint.x() / *scale)) - view.ClientWidth() / 2);
    view.SetScrollPosition(
        qv::ScrollAxis::Vertical,
        static_cast<int>(std::floor(mapPoint.y() / *scale)) - view.ClientHeight() / 2);
    update();
}

void TMapViewer::mousePressEvent(QMouseEvent* event) {
    ScrollTo(event->position().toPoint());
}

void TMapViewer::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (!event->buttons().testFlag(Qt::LeftButton)) return;
    // Dragging beyond the map does not scroll.
    if (p.x() < 0 || p.y() < 0 || p.x() > width() || p.y() > height()) return;
    ScrollTo(p);
}

void TMapViewer::mouseReleaseEvent(QMouseEvent*) {
    if (qv::FragSet* set = activeDocument_()) set->View().InvalidateAll();
}

void TMapViewer::keyPressEvent(QKeyEvent* event) {
    // The main window's shortcuts must work while the map is active.
    switch (event->key()) {
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Escape:
            if (QWidget* main = parentWidget()) main->activateWindow();
            event->accept();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}
