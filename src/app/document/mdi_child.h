// The document window: shows one document's page with scroll bars and turns mouse and keyboard
// input into operations of its fragment set.
#pragma once

#include <QAbstractScrollArea>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QWheelEvent>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/commands/card_steps.h"
#include "core/model/frag_set.h"
#include "core/model/ports.h"
#include "core/settings/tool_mode.h"

namespace qv {
class RenderCache;
}
class AppServices;

// The pop-up menu a right click asks for: assigned by the press (from the tool and what lies under
// the pointer), opened on the release.
enum class PopupKind {
    None,
    Fragment,   // the fragment menu: on a card or on empty page in normal editing
    GroupLine,  // the group-line menu: the line tool, or a line under the pointer
    Brush,      // the brush menu: the brush tool off the cards
    GroupTool,  // the grouping tool's menu
};

// Which end of the page an edge move goes to.
enum class PageEdge { Top, Bottom, Left, Right };

class TMDIChild : public QAbstractScrollArea, public qv::DocumentView {
    Q_OBJECT

  public:
    TMDIChild(AppServices& services, qv::DocumentHost& host, QWidget* parent = nullptr);
    ~TMDIChild() override;

    qv::FragSet& Set() { return *set_; }
    const qv::FragSet& Set() const { return *set_; }

    // The path the document is being read from: relative picture links are looked up beside it
    // until the document takes its name (empty when the reading is over).
    void SetReadingFrom(std::string path) { readingFrom_ = std::move(path); }
    // The window closes without a question and without a recent-file entry (the document
    // manager asks every other close).
    void ApproveClose() { closeApproved_ = true; }
    bool CloseApproved() const { return closeApproved_; }
    // The next close saves without asking (saving and closing every window); the answer is for
    // that one close.
    void SaveOnClose(bool on = true) { saveOnClose_ = on; }
    bool SavesOnClose() const { return saveOnClose_; }

    // Scrolls the page by dx, dy screen pixels (at least a document pixel each way asked for),
    // keeping a running drag or selection rectangle in step.
    void ScrollBy(int dx, int dy);
    // Scrolls to one end of the page (Home, End and the edge-move commands).
    void MoveToEdge(PageEdge edge);
    // Scrolls by a wheel turn or a touchpad swipe (also for wheels over the main window's frame);
    // with Ctrl it zooms around the pointer instead.
    void WheelScroll(const QWheelEvent& event);

    // ---- Zoom ----
    // The window's zoom: screen pixels per document pixel (0.1 … 4). It is this window's own,
    // kept while the window lives; a new window starts at 1.
    double Zoom() const { return zoom_; }
    // Zooms to `factor` (clamped) keeping the page point under `anchor` (viewport pixels) where
    // it is. Nothing happens while a drag, a selection rectangle, a rubber line or a hand scroll
    // runs: their points are held in the old zoom's pixels.
    void SetZoom(double factor, QPointF anchor);
    // The commands: a level up or down, 100 %, everything shown, the selection shown; all but
    // the fits keep the centre of the window.
    void ZoomIn();
    void ZoomOut();
    void ZoomReset();
    void ZoomToFit();
    void ZoomToSelection();

    // The one conversion between the viewport's pixels and the model's client coordinates
    // (document pixels from the scroll position): viewport = client × zoom.
    QPoint ToClient(QPointF viewportPoint) const;
    QPointF ToViewport(QPoint clientPoint) const;
    // The viewport pixels a client rectangle covers (grown to whole pixels).
    QRect ToViewport(const QRect& clientRect) const;

    // ---- Tools ----
    // Chooses the mouse tool of every document window (it is program-wide) and applies it to this
    // one: its cursor, its line-tool step; the group line tool starts with nothing selected.
    void SetTool(qv::ToolMode mode);
    qv::ToolMode Tool() const;
    // Shows the current tool's cursor and sets the line-tool step to match the tool.
    void ApplyTool();
    // The window became the active one: the cursor of the current tool, and the views refresh.
    void Activated();

    // ---- Editing operations (the commands' handlers call these) ----
    // Pastes the cut buffer with the copies' top-left corner under the mouse pointer, into the
    // group whose frame is there; plainly (4 pixels off) with Paste. Nothing on a read-only
    // document or with an empty buffer.
    void Paste();
    void PasteAtMouse();
    // The Delete key and the delete commands: the selected group line, else the selected cards,
    // without a question; nothing on a read-only document. Returns whether something went.
    bool DeleteSelectionOrLine();
    // Position undo and redo of the whole document; the group list and views follow.
    // Takes back / does again the document's last / next edit step (false: none).
    bool Undo();
    bool Redo();

    // ---- Keyboard moves between cards ----
    // Makes the next (previous) visible card in reading order the only selection, scrolls it into
    // view, shows its text in the status bar and marks it with the focus ring. The walk starts at
    // the card the last move went to while it is selected, else at the selection's first card.
    void SelectCardInReadingOrder(bool forward);
    // The same for the nearest visible card in a direction.
    void SelectCardTowards(qv::CardDirection direction);
    // The same for a card an assistive tool chose; nothing unless it is a visible card.
    void SelectCard(const qv::Fragment* card);
    // The card the last keyboard move went to, while it is still the only selected card.
    const qv::Fragment* FocusCard() const;
    // The visible cards in reading order (what assistive tools list), made anew once the document
    // changed; ReadingIndexOf only compares the pointer it is given (-1 for none).
    const std::vector<qv::Fragment*>& ReadingOrderCards() const;
    int ReadingIndexOf(const qv::Fragment* card) const;
    // Counts the times the list was made anew.
    int ReadingOrderGeneration() const { return readingGeneration_; }

    // The mouse pointer in client coordinates (document pixels from the scroll position).
    QPoint PointerPosition() const;
    // The text of the hint for the card under the pointer (empty when none).
    QString HintText() const { return hintText_; }

  signals:
    // A right click released: `kind` says which menu the press chose.
    void PopupRequested(TMDIChild* window, PopupKind kind, QPoint globalPos);
    // Text for the status bar's message panel (empty clears it).
    void StatusMessage(const QString& text);
    // The eyedropper took a card's background as the brush colour (EnvData::Colors.BrushTool).
    void BrushColorPicked(quint32 color);
    // Esc: the group list, when it is shown, takes the keyboard.
    void EscapePressed();
    // A key or a mouse release was handled: a refresh of the views it asked for is due now, in
    // the same repaint as its own changes.
    void InputHandled();
    // The zoom changed (the status bar shows it).
    void ZoomChanged(double factor);

  public:
    // The window caption: the path, "無題" without one, with " : 編集禁止" for a read-only file.
    QString Caption() const;
    // The title is the caption, with " *" while a writable document has unsaved changes.
    void UpdateCaption();

    // ---- qv::DocumentView ----
    int ScrollPosition(qv::ScrollAxis axis) const override;
    void SetScrollPosition(qv::ScrollAxis axis, int position) override;
    int ScrollRange(qv::ScrollAxis axis) const override;
    void SetScrollRange(qv::ScrollAxis axis, int range) override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    int DocumentPixels(int screenPixels) const override;
    void Invalidate(const qv::Rect& clientRect) override;
    void InvalidateAll() override;
    void SetCursor(qv::CursorShape shape) override;
    bool CtrlDown() const override;

    // What the window will repaint for the changes asked for since the event loop last turned.
    QRegion PendingRepaint() const;
    // Hands those changes to the widget now as one region (otherwise done when the loop turns).
    void FlushRepaint();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

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

    void ApplyScrollRange(qv::ScrollAxis axis);
    void AfterRelease();
    void SetBand(const QRect& rect);
    // Why a picture card has no picture (empty for other cards and for pictures shown).
    QString PictureProblem(const qv::Fragment& card) const;
    void ClearPictureProblem();
    // After a keyboard move: the new card is the ring's, said in the status bar and told to
    // assistive tools.
    void MoveKeyCard(qv::Fragment* card);
    // The selection changed since last looked at: a change not made by a keyboard move takes the
    // ring away; assistive tools are told. The ring is repainted where it moved.
    void NoteSelection();
    // Where the focus ring goes (client coordinates), empty when there is none.
    QRect FocusRingRect() const;
    void SetRubberLine(QPoint to);
    QRect RubberLineRect(QPoint to) const;
    void UpdateClient(const QRect& r);
    void ScheduleRepaint();
    qv::CursorShape ToolCursorShape() const;
    void UpdateHint(qv::Fragment* under, QPoint globalPos);
    void ReleaseGroupLine(QPoint p);
    void ReleaseBand(QPoint p);
    static qv::ShiftState ShiftOf(Qt::KeyboardModifiers mods);
    // The cursor of a hand scroll (`MoveCurosr`).
    qv::CursorShape HandCursorShape() const;
    void SetSpaceHeld(bool held);
    // Whether a press is being followed: a drag, a selection rectangle, a rubber line, a hand.
    bool GestureRunning() const;
    // Shows `area` (document pixels) as large as fits, centred.
    void ZoomToArea(const qv::Rect& area);
    void ApplyScrollSteps();

    AppServices& services_;
    qv::DocumentHost& host_;
    DocumentPictures pictures_;
    qv::DocContext ctx_;
    std::unique_ptr<qv::FragSet> set_;
    std::unique_ptr<qv::RenderCache> cache_;

    double zoom_ = 1;
    int rangeX_ = 1;
    int rangeY_ = 1;
    bool syncingScroll_ = false;
    // Repaint requests of the running operation (client rectangles), or all of the window.
    std::vector<QRect> pendingRepaint_;
    bool repaintAll_ = false;
    bool repaintScheduled_ = false;
    // Wheel turn not yet worth a pixel, in 1/120 notch × 16.
    int wheelRestX_ = 0;
    int wheelRestY_ = 0;

    bool handScrolling_ = false;
    // The button whose release ends the hand scroll.
    Qt::MouseButton handButton_ = Qt::NoButton;
    // Space is down: a left drag takes the page by hand.
    bool spaceHeld_ = false;
    QPoint lastPoint_;
    QPoint pressPoint_;
    bool bandActive_ = false;
    QRect bandRect_;
    bool ctrlPressed_ = false;
    bool closeApproved_ = false;
    bool saveOnClose_ = false;
    // The rubber line of the group line tool runs from pressPoint_ to here while the line-tool
    // step is Drawing.
    QPoint lineEnd_;
    // A right press of the brush picked a colour: its cursor stays until the release.
    bool spuitActive_ = false;
    PopupKind popup_ = PopupKind::None;
    // The card whose hint is shown; compared only, never followed (it may be gone).
    const qv::Fragment* hintFragment_ = nullptr;
    QString hintText_;
    // The status bar shows why the picture of the card under the pointer is missing.
    bool pictureProblemShown_ = false;
    // The file being read: pictures are looked up beside it before the document takes its name.
    std::string readingFrom_;

    // The card the last keyboard move went to; compared only, and followed only while it is the
    // single selected card (which a card that is gone never is).
    const qv::Fragment* keyCard_ = nullptr;
    // Where the ring was last asked to be painted.
    QRect ringRect_;
    // The selection as last looked at; compared only.
    std::vector<const qv::Fragment*> lastSelection_;
    // Reading order of the visible cards, and what it was made from: any repaint request, a
    // change of the card count or a further change of the document makes it anew.
    mutable std::vector<qv::Fragment*> readingCards_;
    mutable std::unordered_map<const qv::Fragment*, int> readingIndex_;
    mutable bool readingStale_ = true;
    mutable int readingCount_ = -1;
    mutable std::uint64_t readingChanges_ = 0;
    mutable int readingGeneration_ = 0;
};
