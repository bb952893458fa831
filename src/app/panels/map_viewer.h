// The overview map "全体図": a small tool window above the main window showing the whole page of
// the active document scaled down, with a rectangle around the part its window shows. A press or
// a drag with the left button scrolls the document so that the point under the pointer becomes
// the centre of its view.
//
// The map keeps one image of the scaled page and paints it again only when what it shows changed
// (cards, frames, lines, page, colours, its own size); a scroll of the document only moves the
// view rectangle drawn over that image.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace qv {
class EnvData;
class FragSet;
class RenderCache;
class UsrIniFile;
}  // namespace qv

class TMapViewer : public QWidget {
    Q_OBJECT

  public:
    using DocumentFn = std::function<qv::FragSet*()>;
    TMapViewer(qv::EnvData& env, qv::UsrIniFile& ini, DocumentFn activeDocument,
               QWidget* parent = nullptr);
    ~TMapViewer() override;

    // Redraws the map after a change of the view or the content; nothing while hidden. The map
    // paints after the main window has painted what the same change asked of it, so that a
    // command reaches the document window first.
    void MapUpdate();
    // Shows the map at its stored place and puts the pointer on the centre of the view.
    void ShowViewer();
    // Stores the placement under "MapView".
    void StorePlacement();

    // The scale of the last update: document pixels to map pixels (none without a document).
    std::optional<double> MapScale() const;
    // How often the page image was painted anew (not counting moves of the view rectangle).
    int ContentPaints() const { return contentPaints_; }
    // The map as it shows now, composed off-screen.
    QImage Snapshot();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // A digest of everything the page image shows, so that scrolls reuse it.
    std::uint64_t ContentKey(const qv::FragSet* set) const;
    // Paints the page image for `set` when its digest changed.
    void EnsureContent(const qv::FragSet* set);
    void ScrollTo(const QPoint& mapPoint);

    qv::EnvData& env_;
    qv::UsrIniFile& ini_;
    DocumentFn activeDocument_;
    std::unique_ptr<qv::RenderCache> cache_;
    QImage content_;
    std::uint64_t contentKey_ = 0;
    bool hasContent_ = false;
    int contentPaints_ = 0;
    bool updatePosted_ = false;
};
