// The document window: shows one document's page with scroll bars and turns mouse and keyboard
// input into operations of its fragment set.
#pragma once

#include <QAbstractScrollArea>
#include <QPoint>
#include <QRect>
#include <QWheelEvent>
#include <memory>
#include <optional>
#include <string>

#include "core/fs/file_stamp.h"
#include "core/fs/read_file.h"

#include "core/io/read_result.h"
#include "core/model/frag_set.h"
#include "core/model/ports.h"

namespace qv {
class RenderCache;
}
class AppServices;

class TMDIChild : public QAbstractScrollArea, public qv::DocumentView {
    Q_OBJECT

  public:
    TMDIChild(AppServices& services, qv::DocumentHost& host, QWidget* parent = nullptr);
    ~TMDIChild() override;

    qv::FragSet& Set() { return *set_; }
    const qv::FragSet& Set() const { return *set_; }

    // Reads a document file into the (new, empty) set; a CSV file that is not a fragment file is
    // read as texts (the caller has asked). `path` is a file-system path. Returns what the reading
    // did (cards left out, a UTF-8 document converted, texts that could not be kept).
    qv::ReadResult Load(const std::string& path);
    // The same with the file's bytes read already.
    qv::ReadResult Load(const std::string& path, const qv::WholeFile& bytes);

    // Asks whether the window may close: a modified, writable document asks
    // "[path]変更内容を保存しますか" and saves on Yes (asking for a name when it has none).
    // Records the document's recent-file entry when the answer is yes.
    bool CloseQuery();
    // The close was agreed already (the main window asked every document before closing them).
    void ApproveClose() { closeApproved_ = true; }

    // Saves to the document's own path, or asks for one when it has none. Reports a failure
    // with "保存できませんでした"; returns whether the document was written.
    // When the file was changed by someone else since it was read or saved here, asks before
    // overwriting it.
    bool Save();
    bool SaveAs();

    // Scrolls the page by dx, dy pixels, keeping a running drag or selection rectangle in step.
    void ScrollBy(int dx, int dy);
    // Scrolls by a wheel turn or a touchpad swipe (also for wheels over the main window's frame).
    void WheelScroll(const QWheelEvent& event);

    // The window caption: the path, "無題" without one, with " : 編集禁止" for a read-only file.
    QString Caption() const;
    void UpdateCaption();

    // ---- qv::DocumentView ----
    int ScrollPosition(qv::ScrollAxis axis) const override;
    void SetScrollPosition(qv::ScrollAxis axis, int position) override;
    int ScrollRange(qv::ScrollAxis axis) const override;
    void SetScrollRange(qv::ScrollAxis axis, int range) override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    void Invalidate(const qv::Rect& clientRect) override;
    void InvalidateAll() override;
    void SetCursor(qv::CursorShape shape) override;
    bool CtrlDown() const override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    // Pictures of this document: relative picture paths are taken from the document's folder.
    class DocumentPictures final : public qv::PictureLoader {
      public:
        DocumentPictures(qv::PictureLoader& inner, const TMDIChild& owner)
            : inner_(inner), owner_(owner) {}
        std::optional<qv::Picture> Load(const std::string& path, int numerator,
                                        int denominator) override;

      private:
        qv::PictureLoader& inner_;
        const TMDIChild& owner_;
    };

    bool WriteTo(const std::string& path);
    void ApplyScrollRange(qv::ScrollAxis axis);
    void AfterRelease();
    void SetBand(const QRect& rect);
    static qv::ShiftState ShiftOf(Qt::KeyboardModifiers mods);

    AppServices& services_;
    qv::DocumentHost& host_;
    DocumentPictures pictures_;
    qv::DocContext ctx_;
    std::unique_ptr<qv::FragSet> set_;
    std::unique_ptr<qv::RenderCache> cache_;

    int rangeX_ = 1;
    int rangeY_ = 1;
    bool syncingScroll_ = false;
    // Wheel turn not yet worth a pixel, in 1/120 notch × 16.
    int wheelRestX_ = 0;
    int wheelRestY_ = 0;

    bool handScrolling_ = false;
    QPoint lastPoint_;
    QPoint pressPoint_;
    bool bandActive_ = false;
    QRect bandRect_;
    bool ctrlPressed_ = false;
    bool closeApproved_ = false;
    // The file being read: pictures are looked up beside it before the document takes its name.
    std::string loadingPath_;
    // The document's file as it was read or last written here.
    std::optional<qv::FileStamp> diskStamp_;
};
