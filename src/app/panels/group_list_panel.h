// The group list: a dock window "グループリスト" with one row per group of the active document
// (count and name, a check mark for shown, the selected row = the current group). It docks at
// any edge of the main window or floats. Rows can be dragged onto other rows, or moved with
// Alt+Up / Alt+Down, to exchange the groups' numbers.
#pragma once

#include <QAbstractListModel>
#include <QDockWidget>
#include <QListView>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <array>
#include <optional>
#include <vector>

#include "app/document/document_frame.h"
#include "core/model/view_refresh.h"
#include "core/panels/group_list.h"

class QAction;
class QMainWindow;
class QMenu;

namespace qv {
class EnvData;
class FragSet;
class UsrIniFile;
}  // namespace qv

// What the list needs from the main window.
class GroupListHost {
  public:
    virtual ~GroupListHost() = default;
    virtual qv::FragSet* ActiveDocument() const = 0;
    // Visibility, frames and this list follow the document's groups.
    virtual void RefreshViews() = 0;
    // The list gives up the keyboard focus to the main window.
    virtual void FocusMainWindow() = 0;
    // A double click on an empty group asks for a new card in it (NewBlankDblClick).
    virtual void NewFragmentInGroup(qv::FragSet& /*set*/, int /*group*/) {}
};

// The 101 rows as Qt sees them: display text, check state, whether the group is shown.
class GroupListModel : public QAbstractListModel {
    Q_OBJECT

  public:
    explicit GroupListModel(QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    qv::GroupListRowsState& Rows() { return rows_; }
    const qv::GroupListRowsState& Rows() const { return rows_; }
    // Re-reads the rows from `set` and reports the changed rows to the view.
    void Refresh(const qv::FragSet* set);
    // Rows whose check marks the caller changed in Rows().
    void ChecksChanged();

  private:
    qv::GroupListRowsState rows_;
    std::array<QString, qv::kGroupListRows> shown_;
    bool hasDocument_ = false;
};

// Paints a row as the list always looked: background, check box, text at 2 pixels.
class GroupRowDelegate : public QStyledItemDelegate {
  public:
    GroupRowDelegate(const qv::EnvData& env, QObject* parent)
        : QStyledItemDelegate(parent), env_(env) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The check box of a row with rectangle `row`.
    static QRect CheckRect(const QRect& row);
    int RowHeight() const;

  private:
    // The check box in `check`'s state and size as the style draws it, drawn once per state,
    // size, style and palette: the style's own drawing cost more than the rest of a row.
    const QPixmap& CheckBox(const QStyleOptionViewItem& check, QStyle* style,
                            const QWidget* widget) const;

    const qv::EnvData& env_;
    // [0] unchecked, [1] checked.
    struct KeptCheckBox {
        QSize Size;
        const QStyle* Style = nullptr;
        qint64 Palette = 0;
        qreal Ratio = 1;
        QPixmap Pixmap;
    };
    mutable std::array<KeptCheckBox, 2> checkBoxes_;
};

class TGroupListPanel;

// The list itself: clicks, the check boxes, double click, keys and the row drag.
class GroupListView : public QListView {
    Q_OBJECT

  public:
    explicit GroupListView(TGroupListPanel& panel);
    // The row a row drag would drop on, -1 when none.
    int DropRow() const { return dropRow_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    // Every row has one height whatever it shows, so a changed row is repainted alone, without
    // the list laying out every row again. Changed rows are repainted after the document window
    // has painted the change that touched them (their counts follow the document's change).
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    bool event(QEvent* event) override;

  private:
    void SetDropRow(int row);

    TGroupListPanel& panel_;
    struct ChangedRows {
        int First = 0;
        int Last = 0;
        QList<int> Roles;
    };
    std::vector<ChangedRows> changedRows_;
    bool rowDrag_ = false;
    bool dragging_ = false;
    QPoint pressPos_;
    int dropRow_ = -1;
};

class TGroupListPanel : public QDockWidget, public GroupListRows {
    Q_OBJECT

  public:
    // The list is left as it is while `refresh` holds the views.
    TGroupListPanel(QMainWindow& main, qv::EnvData& env, GroupListHost& host,
                    const qv::ViewRefresh& refresh);

    // Start-up: font and colours, the placement from the settings file, docked or floating,
    // shown or hidden.
    void Restore(const qv::UsrIniFile& ini);
    // Shut-down: visibility, floating state and placement.
    void Store(qv::UsrIniFile& ini);
    // Font, colours and row height from the settings (again after the options dialog).
    void ApplyAppearance();

    // Rewrites rows, marks and the selected row from the active document; nothing while views
    // are locked or the list is hidden.
    void RefreshGroupList();
    // The picked row while the list is shown (0..99 groups 1..100, 100 group 0).
    std::optional<int> GroupListRow() const override;

    void DockGroupList(qv::DockSide side);
    void FloatGroupList();
    void SaveGroupListPlacement();
    // The command that shows or hides the list.
    void ShowOrHide();

    GroupListView* View() const { return view_; }
    GroupListModel* Model() const { return model_; }
    QMenu* PopupMenu() const { return popup_; }

    // ---- The list's events (the view forwards them) ----
    void RowPicked(int row);
    void CheckClicked(int row, bool shift);
    void RowActivated(int row);
    bool CanDrop(int row) const;
    void Drop(int row);
    void MoveCurrent(int delta);
    void ShowAll();
    void ShowNonEmpty();
    void Hide();
    void GiveUpFocus();
    // Esc in a document window: the list takes the keyboard at its current row.
    void TakeFocus();

    // The width of a left or right list without a stored one: "100: " and eight full-width
    // characters in the list font beside the check box.
    int DefaultWidth() const;
    // Where the list floats first: beside the main window, or inside its right edge below the
    // menu and tool bars when the screen has no room beside it.
    QRect DefaultFloatRect() const;

    bool CheckJustToggled = false;
    bool Refreshing() const { return refreshing_; }

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // The main window's separator drags: the panel size the user sets.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildPopup();
    void ApplyPanelSize();
    void UpdatePopupChecks();
    void OnTopLevelChanged(bool floating);
    void OnLocationChanged(Qt::DockWidgetArea area);
    void KeepDockedSize();

    QMainWindow& main_;
    qv::EnvData& env_;
    const qv::ViewRefresh& refresh_;
    GroupListHost& host_;
    GroupListModel* model_ = nullptr;
    GroupListView* view_ = nullptr;
    GroupRowDelegate* delegate_ = nullptr;
    QMenu* popup_ = nullptr;
    QAction* up_ = nullptr;
    QAction* down_ = nullptr;
    QAction* sides_[4] = {};
    QAction* float_ = nullptr;
    qv::GroupListPlacement placement_;
    bool refreshing_ = false;
    bool placing_ = false;
    bool sizePending_ = false;
};
