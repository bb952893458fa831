// The main window's commands that choose cards or send them elsewhere: the group submenus, select
// by background colour (an owner-drawn pop-up of the document's colours), the brush colour, find
// and previous / next selected card, move to another window, and the group-line pop-up. The
// menus are filled each time they open, from the widget-free states in core/commands.
#pragma once

#include <QMenu>
#include <QObject>
#include <QPoint>
#include <memory>
#include <vector>

#include "app/dialogs/colour_choice.h"
#include "app/document/document_windows.h"
#include "core/color.h"

class TFindSetDlg;

namespace qv {
class EnvData;
class FragBuffer;
class FragSet;
class UsrIniFile;
}  // namespace qv

// The background-colour pop-up: each item paints its colour beside its caption.
class ColourMenu : public QMenu {
    Q_OBJECT

  public:
    explicit ColourMenu(QWidget* parent = nullptr);
    // Shows exactly the given colours (at most 20) in the items.
    void SetColours(const std::vector<qv::Color>& colours);
    QAction* Item(int i) const { return items_[static_cast<std::size_t>(i)]; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<QAction*> items_;
};

class SelectionCommands : public QObject {
    Q_OBJECT

  public:
    SelectionCommands(DocumentWindows& windows, qv::EnvData& env, qv::UsrIniFile& ini,
                      qv::FragBuffer& buffer, QWidget* dialogParent);
    ~SelectionCommands() override;

    // Fills the 40 group items of a "グループ選択(&G)" / "他グループへ移動(&M)" submenu each
    // time it opens.
    void AttachGroupSelectMenu(QMenu* menu);
    void AttachGroupMoveMenu(QMenu* menu);
    // "他ウィンドウへ移動(&V)": the other document windows, made each time it opens.
    void AttachMoveToWindowMenu(QMenu* menu);
    // The group-line pop-up (types, widths, delete) ending with `toolNormal`.
    QMenu* LinePopup(QWidget* parent, QAction* toolNormal);
    // The brush pop-up: brush colour, colour from the document, `selectByColour`, `toolNormal`.
    QMenu* BrushPopup(QWidget* parent, QAction* selectByColour, QAction* toolNormal);

    // EditSelBgCol (forBrush false) and "既存背景色から塗り色を選択(&A)" (forBrush true): the
    // colour pop-up at `at` (screen coordinates).
    void PopupColours(bool forBrush, const QPoint& at);
    ColourMenu* Colours() { return colours_; }
    // The brush colour dialog (BrushPanel click).
    void ChooseBrushColour();
    void SetColourChooser(ColourChooserFn chooser) { chooser_ = std::move(chooser); }

    // EditFind, EditPrevSel, EditNextSel.
    void Find();
    void StepSelection(bool forward);
    bool CanStepSelection(bool forward) const;
    // Made when first asked for.
    TFindSetDlg& FindDialog();

  signals:
    void BrushColourChanged(qv::Color colour);

  private:
    void FillGroupMenu(QMenu* menu, bool move);
    void ChooseColour(qv::Color colour);
    void MoveToWindow(int index);

    DocumentWindows& windows_;
    qv::EnvData& env_;
    qv::UsrIniFile& ini_;
    qv::FragBuffer& buffer_;
    QWidget* dialogParent_;
    std::unique_ptr<TFindSetDlg> findDialog_;
    ColourMenu* colours_ = nullptr;
    bool coloursForBrush_ = false;
    ColourChooserFn chooser_;
};
