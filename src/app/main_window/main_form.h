// The main window: the document area, menus, pop-ups, the three tool bars and the status bar; it
// shows the document windows (the DocumentFrame of the document manager, which owns the
// documents), runs the 250 ms refresh timer, and the start-up and shut-down of the window layout.
// The program-wide objects come from AppServices; documents talk to the document manager, their
// host, not to this class.
//
// Split by area: main_form.cpp (construction, start-up, shut-down, stored layout),
// main_form_documents.cpp (placing and showing document windows, drops on the frame),
// main_form_menus.cpp (menus, pop-ups, tool bars, window list),
// main_form_commands.cpp (the handlers of this area and the enabling state),
// main_form_status.cpp (status bar, hints, timer, wheel),
// main_form_settings.cpp (following the settings after the options dialog).
#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/commands/command_table.h"
#include "app/document/document_frame.h"
#include "core/settings/tool_mode.h"
#include "core/settings/window_state.h"

class AppServices;
class CommandRegistry;
class DocumentManager;
class MenuBarReveal;
class GroupListHost;
class TGroupListPanel;
class TMapViewer;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;
class QToolButton;
class TMDIChild;
enum class PopupKind;

namespace qv {
class EnvData;
class FragSet;
class UsrIniFile;
}  // namespace qv

class TQuillovaMainForm : public QMainWindow, public DocumentFrame {
    Q_OBJECT

  public:
    // The document windows' mouse tool; program-wide, kept in EnvData::Tool.
    using Tool = qv::ToolMode;
    // The submenus whose items a command group makes when they open.
    enum class DynamicMenu {
        RecentFiles,
        EditSelectGroup,
        EditMoveToGroup,
        EditMoveToWindow,
        PopupSelectGroup,
        PopupMoveToGroup,
        PopupMoveToWindow,
    };
    // A new document window's size, unless the frame is smaller (never below the minimum).
    static constexpr int kChildWidth = 429;
    static constexpr int kChildHeight = 257;
    static constexpr int kChildMinWidth = 160;
    static constexpr int kChildMinHeight = 100;

    // Shows the documents of `documents` (which outlives the window) in its document area.
    TQuillovaMainForm(AppServices& services, DocumentManager& documents, QWidget* parent = nullptr);
    ~TQuillovaMainForm() override;

    AppServices& Services() { return services_; }
    qv::UsrIniFile& Ini();
    qv::EnvData& Env();
    DocumentManager& Documents() { return *documents_; }
    CommandRegistry& Commands() { return *commands_; }
    QMdiArea* DocumentArea() const { return mdiArea_; }

    // The first show: stored placement and state, tool bars, status bar, keys, the start
    // document, then the timer starts.
    void ShowAsStored();
    // Restores the window when minimised and raises it above the others (a later start of the
    // program asks for this).
    void BringToFront() override;

    // ---- DocumentFrame ----
    void AddDocumentWindow(TMDIChild& window) override;
    void ShowDocumentWindow(QMdiSubWindow* sub) override;
    void RefreshDocumentViews() override;

    // The active document window and its model, or null; the document manager's.
    TMDIChild* ActiveChild() const;
    qv::FragSet* ActiveDocument() const;
    int DocumentCount() const;
    // Document windows in the frame's order.
    QList<TMDIChild*> Children() const;

    // ---- Refresh and status ----
    void RefreshViews();
    // Runs a refresh a command, key or mouse action asked for, unless something holds the views;
    // true when it ran.
    bool RefreshIfPending();
    void DispStatusUpdate();
    // Status panel 2: results and progress. Panel 3 shows the active window's zoom.
    void ShowMessage(const QString& text);
    QString StatusPanelText(int panel) const;
    // Evaluates every enabling rule now.
    void UpdateCommands();
    // The window's own parts follow the settings after the options dialog's OK: the status bar's
    // font, the tool bars' flat look, the hidden title and menu (main_form_settings.cpp).
    void FollowSettings();
    void TurnImeOff();

    // ---- Tools ----
    Tool CurrentTool() const;
    // Puts the tool's button down and hands the tool to the active document window.
    void SetTool(Tool tool);
    QToolButton* BrushPanel() const { return brushPanel_; }
    // The tool bar's button that opens the zoom submenu, showing the active window's zoom.
    QToolButton* ZoomButton() const { return zoomButton_; }
    // The brush panel shows the brush colour (EnvData::Colors.BrushTool).
    void UpdateBrushPanel();

    // ---- Menus and bars ----
    QMenu* MainMenu(int index) const { return menus_[static_cast<std::size_t>(index)]; }
    static constexpr int kMenuCount = 8;
    QMenu* FragmentPopup() const { return fragmentPopup_; }
    QMenu* GroupToolPopup() const { return groupToolPopup_; }
    QMenu* Dynamic(DynamicMenu which) const;
    QToolBar* ToolBar(int index) const { return toolBars_[static_cast<std::size_t>(index)]; }
    QMenu* WindowMenu() const { return menus_[5]; }
    // 表示 → the switch of the maximised state without caption and menu bar (also F11).
    QAction* HideTitleMenuItem() const { return hideTitleMenuItem_; }
    MenuBarReveal& MenuReveal() const { return *menuReveal_; }

    // ---- Help ----
    // Where the guide is looked for, first found first; tests give their own.
    void SetGuidePlaces(QStringList places) { guidePlaces_ = std::move(places); }
    // The window list of the Window menu, as it was made when the menu last opened.
    QList<QAction*> WindowListItems() const { return windowItems_; }

    // ---- The group list and the map (main_form_panels.cpp) ----
    TGroupListPanel* GroupList() const { return groupList_; }
    TMapViewer* MapViewer() const { return mapViewer_; }
    // The group list or the map was shown or hidden by its command: their visibility is
    // stored at exit.
    void NotePanelsShown();

  signals:
    // The pop-up of the group-line or brush tool was asked for over a document.
    void ToolPopupRequested(qv::ToolMode tool, const QPoint& global);

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // F1 opens the guide unless a command was given F1 (its shortcut then comes first).
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // main_form.cpp
    void RestorePlacement();
    // Turns the maximised state without caption and menu bar on or off at once; the setting is
    // stored at exit.
    void SetHideTitleMenu(bool on);
    void RestoreToolBars();
    void StoreToolBars();
    QByteArray ToolBarLayout() const;
    bool Shutdown();
    void ApplyHideTitleMenu();
    void ConnectSession();
    // main_form_menus.cpp
    void BuildMenus();
    void BuildToolBars();
    void BuildPopups();
    // The submenu of the keyboard moves between cards, in the Edit menu and the card pop-up.
    void BuildCardStepMenu(QMenu* parent);
    QMenu* BuildDynamicMenu(QMenu* parent, const QString& caption, const QString& hint,
                            DynamicMenu which);
    void EditMenuOpening(QMenu* moveToWindow);
    void ToolMenuOpening();
    void ShowMenuOpening();
    void WindowMenuOpening();
    void SelectWindowItem(int index);
    // main_form_commands.cpp
    EnablingState CurrentState() const;
    QStringList GuidePlaces() const;
    void RegisterHandlers();
    void TileWindows(bool stacked);
    void ArrangeMinimised();
    void HelpContents();
    void HelpAbout();
    // main_form_status.cpp
    void BuildStatusBar();
    void ApplyStatusBarFont();
    void TimerTick();
    // main_form_panels.cpp
    void BuildPanels();
    void StorePanels();
    // main_form_documents.cpp
    // Where a new document window opens when it is not maximised.
    QRect NewWindowPlace(const QMdiSubWindow* sub) const;
    void ShowDocumentPopup(TMDIChild* window, PopupKind kind, QPoint globalPos);

    AppServices& services_;
    DocumentManager* documents_;
    CommandRegistry* commands_ = nullptr;
    QMdiArea* mdiArea_ = nullptr;
    QTimer* timer_ = nullptr;
    // Counts, cards, messages, and the active window's zoom.
    QLabel* statusPanels_[4] = {};
    std::array<QMenu*, kMenuCount> menus_{};
    QMenu* fragmentPopup_ = nullptr;
    QMenu* groupToolPopup_ = nullptr;
    std::array<QMenu*, 7> dynamicMenus_{};
    QMenu* popupMoveToWindow_ = nullptr;
    QMenu* editMoveToWindow_ = nullptr;
    QList<QAction*> windowItems_;
    QAction* windowListSeparator_ = nullptr;
    std::array<QAction*, 3> toolBarItems_{};
    QAction* hideTitleMenuItem_ = nullptr;
    MenuBarReveal* menuReveal_ = nullptr;
    QStringList guidePlaces_;
    std::array<QToolBar*, 3> toolBars_{};
    QToolButton* brushPanel_ = nullptr;
    QToolButton* zoomButton_ = nullptr;
    // The zoom commands, shared by the View menu, the card pop-up and the tool bar's button.
    QMenu* zoomMenu_ = nullptr;

    // Tool bars as read at start-up, and their layout right after it: when the layout is the
    // same at exit, what was read is written back unchanged.
    std::array<qv::ToolBarState, 3> toolBarsRead_{};
    QByteArray toolBarLayoutAtStart_;

    bool clipboardHasText_ = false;
    bool groupListShown_ = true;
    bool mapViewerShown_ = true;
    bool shutDown_ = false;
    bool started_ = false;

    TGroupListPanel* groupList_ = nullptr;
    TMapViewer* mapViewer_ = nullptr;
    std::unique_ptr<GroupListHost> groupListHost_;
};
