#include "app/main_window/main_form.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSessionManager>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "app/app_services.h"
#include "app/commands/command_registry.h"
#include "app/commands/file_commands.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/menu_bar_reveal.h"
#include "app/panels/group_list_panel.h"
#include "app/panels/map_viewer.h"
#include "app/platform/program_icons.h"
#include "app/platform/qt_ports.h"
#include "app/texts.h"
#include "core/settings/env_data.h"
#include "core/settings/paths.h"
#include "core/settings/usr_ini_file.h"
#include "render/text/qt_text.h"

namespace {

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;
constexpr const char* kToolBarPrefix[3] = {"Tool1", "Tool2", "Tool3"};

}  // namespace

TQuillovaMainForm::TQuillovaMainForm(AppServices& services, DocumentManager& documents,
                                     QWidget* parent)
    : QMainWindow(parent), services_(services), documents_(&documents) {
    services_.SetPromptParent(this);

    setWindowTitle(texts::Q(texts::kProgramName));
    setWindowIcon(ProgramIcon());
    setAcceptDrops(true);
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setBackground(palette().brush(QPalette::Dark));
    mdiArea_->viewport()->setCursor(Qt::PointingHandCursor);
    setCentralWidget(mdiArea_);

    documents_->Attach(*mdiArea_, *this);
    connect(documents_, &DocumentManager::StatusMessage, this, &TQuillovaMainForm::ShowMessage);
    commands_ = new CommandRegistry(this, [this] { return CurrentState(); });
    RegisterHandlers();
    BuildStatusBar();
    BuildMenus();
    menuReveal_ = new MenuBarReveal(*this);
    BuildToolBars();
    BuildPopups();
    RestorePlacement();
    mapViewerShown_ = Ini().ReadBool("General", "MapViewer", true);
    BuildPanels();

    timer_ = new QTimer(this);
    timer_->setInterval(250);
    connect(timer_, &QTimer::timeout, this, &TQuillovaMainForm::TimerTick);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
        if (TMDIChild* child = ActiveChild()) child->Activated();
        // Switching documents while one opens or closes refreshes nothing (the views are held).
        if (!services_.Refresh().Held() && timer_->isActive()) RefreshViews();
        DispStatusUpdate();
        UpdateCommands();
    });
    // Every command is one step of the documents it changed, named after it; what was edited
    // before it by routes that end no step themselves is a step of its own.
    connect(commands_, &CommandRegistry::CommandStarting, this,
            [this] { documents_->CloseSteps(); });
    connect(commands_, &CommandRegistry::CommandRan, this, [this](CommandId id) {
        documents_->CloseSteps(StepLabel(id));
        // A refresh the command asked for is done now, in the same repaint as the command's own
        // changes, instead of as a second repaint when the timer next ticks.
        RefreshIfPending();
        DispStatusUpdate();
        UpdateCommands();
    });
    // The clipboard is asked once per change, not on every look at the rules: on this desktop
    // asking means a round trip to the program that owns it.
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        const auto changed = [this, clipboard] {
            clipboardHasText_ = !clipboard->text().isEmpty();
            UpdateCommands();
        };
        connect(clipboard, &QClipboard::dataChanged, this, changed);
        clipboardHasText_ = !clipboard->text().isEmpty();
    }
    ConnectSession();
    UpdateCommands();
}

TQuillovaMainForm::~TQuillovaMainForm() {
    // Nothing may look at the documents while they go.
    disconnect(mdiArea_, nullptr, this, nullptr);
    timer_->stop();
    // Document windows go first, before the services their documents refer to, including the
    // ones already closed whose deletion is still pending.
    const QList<QMdiSubWindow*> windows = mdiArea_->findChildren<QMdiSubWindow*>();
    for (QMdiSubWindow* w : windows)
        delete w;
    services_.SetPromptParent(nullptr);
}

qv::UsrIniFile& TQuillovaMainForm::Ini() {
    return services_.Ini();
}
qv::EnvData& TQuillovaMainForm::Env() {
    return services_.Env();
}

void TQuillovaMainForm::ConnectSession() {
    // The desktop's logout runs the whole shut-down; a document that refuses to close (its save
    // question cancelled) asks the session to wait.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (shutDown_) return;
        // The save questions need the session's leave to show a window.
        manager.allowsInteraction();
        if (!close()) manager.cancel();
        manager.release();
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (!shutDown_) close();
    });
}

// ---- Start-up ----

void TQuillovaMainForm::RestorePlacement() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int centredLeft = area.left() + (area.width() - kDefaultWidth) / 2;
    const int centredTop = area.top() + (area.height() - kDefaultHeight) / 2;
    const auto p =
        qv::ReadPlacement(Ini(), "Win", kDefaultHeight, kDefaultWidth, centredTop, centredLeft);
    QRect stored(p.Left, p.Top, p.Width, p.Height);
    // A place on a screen that is gone (or a hand-edited file) must not hide the window.
    bool visible = false;
    for (const QScreen* s : QGuiApplication::screens())
        visible = visible || s->availableGeometry().intersects(stored);
    if (!visible && !QGuiApplication::screens().isEmpty()) {
        stored.setSize(stored.size().boundedTo(area.size()));
        stored.moveCenter(area.center());
    }
    // The stored rectangle is the window's own area without the desktop's frame, as it is
    // written at exit, so a window does not creep by the frame from one start to the next.
    setGeometry(stored);
}

void TQuillovaMainForm::RestoreToolBars() {
    // Docked tool bars sit in rows of the top area: a lower Top starts a later row, a lower
    // Left comes first within a row.
    std::array<int, 3> order = {0, 1, 2};
    for (int i = 0; i < 3; ++i) {
        qv::ToolBarState current;
        current.Top = 0;
        current.Left = i * 400;
        toolBarsRead_[static_cast<std::size_t>(i)] =
            qv::ReadToolBar(Ini(), kToolBarPrefix[i], current, Env().FlatToolBar);
    }
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        const auto& sa = toolBarsRead_[static_cast<std::size_t>(a)];
        const auto& sb = toolBarsRead_[static_cast<std::size_t>(b)];
        return std::pair(sa.Top, sa.Left) < std::pair(sb.Top, sb.Left);
    });
    int lastTop = 0;
    bool first = true;
    for (int i : order) {
        QToolBar* bar = toolBars_[static_cast<std::size_t>(i)];
        const auto& s = toolBarsRead_[static_cast<std::size_t>(i)];
        removeToolBar(bar);
        if (!first && s.Top != lastTop) addToolBarBreak(Qt::TopToolBarArea);
        addToolBar(Qt::TopToolBarArea, bar);
        first = false;
        lastTop = s.Top;
        bar->setVisible(s.Visible);
    }
    // Qt floats a tool bar only when the user drags it out; one stored as floating starts
    // docked, and its stored place is written back unless the user moves a tool bar.
    for (QToolBar* bar : toolBars_) {
        for (QToolButton* button : bar->findChildren<QToolButton*>())
            button->setAutoRaise(Env().FlatToolBar);
    }
}

QByteArray TQuillovaMainForm::ToolBarLayout() const {
    // What the user can change: shown or not, floating or docked, and for docked ones the row
    // and the place in the row. Pixel offsets are left out: they follow the window's size.
    QByteArray layout;
    for (QToolBar* bar : toolBars_) {
        if (bar->isHidden()) {
            layout += "H;";
            continue;
        }
        if (bar->isFloating()) {
            layout += "F" + QByteArray::number(bar->x()) + "," + QByteArray::number(bar->y()) + ";";
            continue;
        }
        int row = 0;
        int column = 0;
        for (QToolBar* other : toolBars_) {
            if (other == bar || other->isHidden() || other->isFloating()) continue;
            if (other->y() < bar->y()) ++row;
            if (other->y() == bar->y() && other->x() < bar->x()) ++column;
        }
        layout += "D" + QByteArray::number(toolBarArea(bar)) + "," + QByteArray::number(row) + "," +
                  QByteArray::number(column) + ";";
    }
    return layout;
}

void TQuillovaMainForm::StoreToolBars() {
    const bool unchanged = ToolBarLayout() == toolBarLayoutAtStart_;
    for (int i = 0; i < 3; ++i) {
        QToolBar* bar = toolBars_[static_cast<std::size_t>(i)];
        qv::ToolBarState s = toolBarsRead_[static_cast<std::size_t>(i)];
        if (!unchanged) {
            s.Visible = !bar->isHidden();
            // A hidden tool bar keeps the place it was given.
            if (s.Visible) {
                s.Floating = bar->isFloating();
                const QRect g = bar->geometry();
                if (s.Floating) {
                    const QRect f = bar->frameGeometry();
                    s.FloatBounds =
                        qv::Rect{f.left(), f.top(), f.left() + g.width(), f.top() + g.height()};
                } else {
                    const int areaTop = menuWidget() && menuWidget()->isVisible()
                                            ? menuWidget()->geometry().bottom() + 1
                                            : 0;
                    s.Top = g.top() - areaTop;
                    s.Left = g.left();
                }
            }
        }
        qv::WriteToolBar(Ini(), kToolBarPrefix[i], s);
    }
}

void TQuillovaMainForm::BringToFront() {
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TQuillovaMainForm::ShowAsStored() {
    TurnImeOff();
    ApplyHideTitleMenu();
    const int state = Ini().ReadInteger("General", "WinState", 0);
    statusBar()->setVisible(Ini().ReadBool("General", "StatusBar", true));
    RestoreToolBars();
    commands_->ApplyKeys(Ini());
    SetTool(Tool::Normal);
    switch (state) {
        case 1:
            showMinimized();
            break;
        case 2:
            showMaximized();
            break;
        default:
            show();
            break;
    }
    // Recovery copies are offered first (StartDocumentDue): one restored then is found open
    // instead of read again.
    documents_->OpenStartDocument();
    if (mapViewerShown_) mapViewer_->ShowViewer();
    activateWindow();
    layout()->activate();
    toolBarLayoutAtStart_ = ToolBarLayout();
    services_.Refresh().Started();
    started_ = true;
    timer_->start();
    // The first frame shows the start document's group list with its counts, not a timer tick
    // (a quarter of a second) later.
    RefreshViews();
    services_.Refresh().Done();
    DispStatusUpdate();
    UpdateCommands();
}

void TQuillovaMainForm::ApplyHideTitleMenu() {
    // A maximised window without caption and menu bar is, on this desktop, the full-screen
    // state with the menu bar hidden; the menus stay within reach (MenuBarReveal) and the keys
    // stay on the window. With the setting off a full-screen window is maximised again.
    const Qt::WindowStates state = windowState();
    if (Env().HideTitleMenu && (state & Qt::WindowMaximized)) {
        menuReveal_->SetConcealed(true);
        setWindowState((state & ~Qt::WindowMaximized) | Qt::WindowFullScreen);
    } else if (!Env().HideTitleMenu && (state & Qt::WindowFullScreen)) {
        menuReveal_->SetConcealed(false);
        setWindowState((state & ~Qt::WindowFullScreen) | Qt::WindowMaximized);
    } else if (!(state & Qt::WindowFullScreen)) {
        menuReveal_->SetConcealed(false);
    }
}

void TQuillovaMainForm::SetHideTitleMenu(bool on) {
    Env().HideTitleMenu = on;
    ApplyHideTitleMenu();
}

void TQuillovaMainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    if (windowState() & Qt::WindowMaximized) {
        if (Env().HideTitleMenu) ApplyHideTitleMenu();
    } else if (!(windowState() & Qt::WindowFullScreen)) {
        menuReveal_->SetConcealed(false);
    }
}

// ---- Shut-down ----

void TQuillovaMainForm::closeEvent(QCloseEvent* event) {
    if (shutDown_) {
        event->accept();
        return;
    }
    // Every document window is asked first; one that refuses keeps the program open.
    if (!documents_->CloseAll()) {
        event->ignore();
        return;
    }
    Shutdown();
    event->accept();
}

bool TQuillovaMainForm::Shutdown() {
    shutDown_ = true;
    started_ = false;
    services_.Refresh().Stopping();
    timer_->stop();
    ShowMessage(texts::Q(texts::kShuttingDown));
    statusBar()->repaint();
    // Without a settings file (tests) there is nothing to keep.
    if (Ini().Path().empty()) return true;
    const Qt::WindowStates state = windowState();
    Ini().WriteInteger("General", "WinState",
                       state & Qt::WindowMinimized                            ? 1
                       : state & (Qt::WindowMaximized | Qt::WindowFullScreen) ? 2
                                                                              : 0);
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    qv::WritePlacement(Ini(), "Win",
                       qv::Rect::FromSize(normal.x(), normal.y(), normal.width(), normal.height()));
    Ini().WriteBool("General", "StatusBar", !statusBar()->isHidden());
    StorePanels();
    Ini().WriteBool("General", "GroupList", groupListShown_);
    Ini().WriteBool("General", "MapViewer", mapViewerShown_);
    if (mapViewerShown_) mapViewer_->close();
    StoreToolBars();
    commands_->WriteKeys(Ini());
    // A write-protected settings file was reported at start.
    if (!Env().Save(Ini()) && Ini().LastWriteProblem() != qv::WriteProblem::ReadOnly) {
        services_.Prompts().Warning(
            std::string("[")
                .append(qv::ToCp932(QFile::decodeName(Ini().Path().c_str())))
                .append(texts::Cp932(texts::kSettingsNotSaved))
                .append(qv::ToCp932(QString::fromStdString(Ini().LastError()))),
            qv::PromptButtons::Ok);
        return false;
    }
    return true;
}
