// Menus, pop-up menus, tool bars and the window list, all bound to the command registry's actions.
#include <QActionGroup>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "app/app_services.h"
#include "app/commands/command_registry.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/platform/plain_text.h"
#include "app/texts.h"
#include "core/commands/selection_menus.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "render/painting/colors.h"
#include "render/text/qt_text.h"

namespace {

using C = CommandId;

// A menu entry: a command, or a separator.
struct Entry {
    bool Separator;
    CommandId Id;
};
constexpr Entry Sep() {
    return {true, C::ToolNrm};
}
constexpr Entry Cmd(CommandId id) {
    return {false, id};
}

constexpr QSize kButtonSize(27, 26);

}  // namespace

QMenu* TQuillovaMainForm::Dynamic(DynamicMenu which) const {
    return dynamicMenus_[static_cast<std::size_t>(which)];
}

QMenu* TQuillovaMainForm::BuildDynamicMenu(QMenu* parent, const QString& caption,
                                           const QString& hint, DynamicMenu which) {
    // Empty: the command group that owns the list fills it as it opens.
    QMenu* menu = parent->addMenu(caption);
    menu->menuAction()->setStatusTip(hint);
    dynamicMenus_[static_cast<std::size_t>(which)] = menu;
    return menu;
}

void TQuillovaMainForm::BuildMenus() {
    auto add = [this](QMenu* menu, std::initializer_list<Entry> entries) {
        for (const Entry& e : entries) {
            if (e.Separator) {
                menu->addSeparator();
            } else {
                menu->addAction(commands_->Action(e.Id));
            }
        }
    };
    QMenuBar* bar = menuBar();
    const auto menu = [&](int index, std::string_view caption) {
        QMenu* m = bar->addMenu(texts::Q(caption));
        menus_[static_cast<std::size_t>(index)] = m;
        // Opening a menu is a moment to look at the rules again.
        connect(m, &QMenu::aboutToShow, this, &TQuillovaMainForm::UpdateCommands);
        return m;
    };

    QMenu* file = menu(0, texts::kMenuFile);
    add(file, {Cmd(C::FileNew), Cmd(C::FileOpen)});
    BuildDynamicMenu(file, texts::Q(texts::kMenuRecentFiles), QString(), DynamicMenu::RecentFiles);
    add(file, {Cmd(C::FileMerge), Cmd(C::FileSave), Cmd(C::FileSaveAs), Cmd(C::FileClose),
               Cmd(C::FileAllSaveEnd), Sep(), Cmd(C::FileImport), Cmd(C::FileExport), Sep(),
               Cmd(C::FilePrint), Cmd(C::FileImgOut), Sep(), Cmd(C::FileExit)});

    QMenu* edit = menu(1, texts::kMenuEdit);
    add(edit,
        {Cmd(C::EditCut), Cmd(C::EditCopy), Cmd(C::EditPaste), Cmd(C::EditPasteEx), Sep(),
         Cmd(C::EditNew), Cmd(C::EditNewClip), Cmd(C::EditDelete), Sep(), Cmd(C::EditSelAll)});
    BuildDynamicMenu(edit, texts::Q(texts::kMenuSelectGroup), texts::Q(texts::kHintSelectGroup),
                     DynamicMenu::EditSelectGroup);
    add(edit, {Cmd(C::EditSelBgCol), Sep(), Cmd(C::EditGather), Cmd(C::EditSpread),
               Cmd(C::EditStretch), Cmd(C::EditGrpStretch), Cmd(C::EditAway), Cmd(C::EditUndoPos),
               Cmd(C::EditRedoPos), Sep()});
    BuildDynamicMenu(edit, texts::Q(texts::kMenuMoveToGroup), texts::Q(texts::kHintMoveToGroup),
                     DynamicMenu::EditMoveToGroup);
    editMoveToWindow_ =
        BuildDynamicMenu(edit, texts::Q(texts::kMenuMoveToWindow),
                         texts::Q(texts::kHintMoveToWindow), DynamicMenu::EditMoveToWindow);
    add(edit, {Sep(), Cmd(C::EditFind), Cmd(C::EditPrevSel), Cmd(C::EditNextSel)});
    BuildCardStepMenu(edit);
    add(edit, {Sep(), Cmd(C::EditProperty)});
    connect(edit, &QMenu::aboutToShow, this, [this] { EditMenuOpening(editMoveToWindow_); });

    QMenu* go = menu(2, texts::kMenuGo);
    add(go, {Cmd(C::GoJump), Cmd(C::GoBack), Cmd(C::GoForward), Cmd(C::GoHome)});

    QMenu* tools = menu(3, texts::kMenuTool);
    add(tools, {Cmd(C::ToolNrm), Cmd(C::ToolGruop), Cmd(C::ToolGLine), Cmd(C::ToolBrush)});
    connect(tools, &QMenu::aboutToShow, this, &TQuillovaMainForm::ToolMenuOpening);

    QMenu* view = menu(4, texts::kMenuView);
    add(view, {Cmd(C::ShowGrpLst)});
    QMenu* bars = view->addMenu(texts::Q(texts::kMenuToolBars));
    for (int i = 0; i < 3; ++i) {
        QAction* item = bars->addAction(texts::Q(texts::kMenuToolBarItems[i]));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, i] {
            QToolBar* bar = toolBars_[static_cast<std::size_t>(i)];
            bar->setVisible(bar->isHidden());
        });
        toolBarItems_[static_cast<std::size_t>(i)] = item;
    }
    add(view, {Cmd(C::ShowStatusBar), Cmd(C::ShowMapViewer), Sep(), Cmd(C::ShowNamePlate),
               Cmd(C::ShowLinkMark), Cmd(C::ShowGFrame), Cmd(C::ShowGLine), Cmd(C::ShowDivLine),
               Sep(), Cmd(C::ViewZoomIn), Cmd(C::ViewZoomOut), Cmd(C::ViewZoomReset),
               Cmd(C::ViewZoomFit), Cmd(C::ViewZoomSelection)});
    // The same commands as one submenu for the card pop-up and the tool bar's button.
    zoomMenu_ = new QMenu(texts::Q(texts::kMenuZoom), this);
    add(zoomMenu_, {Cmd(C::ViewZoomIn), Cmd(C::ViewZoomOut), Cmd(C::ViewZoomReset),
                    Cmd(C::ViewZoomFit), Cmd(C::ViewZoomSelection)});
    connect(zoomMenu_, &QMenu::aboutToShow, this, &TQuillovaMainForm::UpdateCommands);
    // Not a command of its own: the switch of the options dialog, here so that a window
    // maximised without menu bar can be brought back from its menus. F11 is handled by the
    // window itself, so a command given F11 keeps it.
    view->addSeparator();
    hideTitleMenuItem_ =
        view->addAction(texts::Q(texts::kMenuHideTitleMenu) + QStringLiteral("\tF11"));
    hideTitleMenuItem_->setCheckable(true);
    connect(hideTitleMenuItem_, &QAction::triggered, this,
            [this](bool on) { SetHideTitleMenu(on); });
    for (CommandId id : {C::ShowGrpLst, C::ShowStatusBar, C::ShowMapViewer, C::ShowNamePlate,
                         C::ShowLinkMark, C::ShowGFrame, C::ShowGLine, C::ShowDivLine})
        commands_->Action(id)->setCheckable(true);
    connect(view, &QMenu::aboutToShow, this, &TQuillovaMainForm::ShowMenuOpening);

    QMenu* window = menu(5, texts::kMenuWindow);
    add(window,
        {Cmd(C::WindowTileH), Cmd(C::WindowTileV), Cmd(C::WindowCascade), Cmd(C::WindowArrange)});
    // The window list after it is made as the menu opens.
    windowListSeparator_ = window->addSeparator();
    connect(window, &QMenu::aboutToShow, this, &TQuillovaMainForm::WindowMenuOpening);

    QMenu* options = menu(6, texts::kMenuOption);
    add(options, {Cmd(C::OptionSetup), Sep(), Cmd(C::OptionScrSize)});

    QMenu* help = menu(7, texts::kMenuHelp);
    add(help, {Cmd(C::HelpContents), Sep(), Cmd(C::HelpHomePage), Sep(), Cmd(C::HelpAbout)});
}

void TQuillovaMainForm::BuildCardStepMenu(QMenu* parent) {
    QMenu* steps = parent->addMenu(texts::Q(texts::kMenuSelectNearCard));
    for (CommandId id : {C::SelectNextCard, C::SelectPrevCard, C::SelectLeftCard,
                         C::SelectRightCard, C::SelectUpCard, C::SelectDownCard})
        steps->addAction(commands_->Action(id));
}

void TQuillovaMainForm::BuildPopups() {
    fragmentPopup_ = new QMenu(this);
    const auto add = [this](QMenu* menu, std::initializer_list<Entry> entries) {
        for (const Entry& e : entries) {
            if (e.Separator) {
                menu->addSeparator();
            } else {
                menu->addAction(commands_->Action(e.Id));
            }
        }
    };
    QMenu* p = fragmentPopup_;
    add(p, {Cmd(C::EditCut), Cmd(C::EditCopy), Cmd(C::EditPaste), Cmd(C::EditPasteEx), Sep(),
            Cmd(C::EditNew), Cmd(C::EditNewClip), Cmd(C::EditDelete), Sep(), Cmd(C::EditSelAll)});
    BuildDynamicMenu(p, texts::Q(texts::kMenuSelectGroup), texts::Q(texts::kHintSelectGroup),
                     DynamicMenu::PopupSelectGroup);
    add(p, {Cmd(C::EditGather), Cmd(C::EditSpread), Cmd(C::EditStretch), Cmd(C::EditGrpStretch),
            Cmd(C::EditAway), Cmd(C::EditUndoPos), Cmd(C::EditRedoPos), Sep()});
    BuildDynamicMenu(p, texts::Q(texts::kMenuMoveToGroup), texts::Q(texts::kHintMoveToGroup),
                     DynamicMenu::PopupMoveToGroup);
    popupMoveToWindow_ =
        BuildDynamicMenu(p, texts::Q(texts::kMenuMoveToWindow), texts::Q(texts::kHintMoveToWindow),
                         DynamicMenu::PopupMoveToWindow);
    add(p, {Sep(), Cmd(C::EditFind)});
    BuildCardStepMenu(p);
    add(p, {Cmd(C::GoJump), Sep()});
    p->addMenu(zoomMenu_);
    add(p, {Sep(), Cmd(C::EditProperty)});
    connect(p, &QMenu::aboutToShow, this, [this] {
        UpdateCommands();
        EditMenuOpening(popupMoveToWindow_);
        RefreshViews();
    });

    groupToolPopup_ = new QMenu(this);
    groupToolPopup_->addAction(commands_->Action(C::ToolNrm));
    connect(groupToolPopup_, &QMenu::aboutToShow, this, &TQuillovaMainForm::UpdateCommands);
}

void TQuillovaMainForm::ShowDocumentPopup(TMDIChild* window, PopupKind kind, QPoint globalPos) {
    // The menus act on the active document: make sure it is the one clicked.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window ? window->parentWidget() : nullptr))
        if (mdiArea_->activeSubWindow() != sub) mdiArea_->setActiveSubWindow(sub);
    switch (kind) {
        case PopupKind::Fragment:
            fragmentPopup_->popup(globalPos);
            break;
        case PopupKind::GroupTool:
            groupToolPopup_->popup(globalPos);
            break;
        case PopupKind::GroupLine:
        case PopupKind::Brush:
            // The card commands own the group-line and brush menus.
            emit ToolPopupRequested(kind == PopupKind::GroupLine ? Tool::GroupLine : Tool::Brush,
                                    globalPos);
            break;
        case PopupKind::None:
            break;
    }
}

void TQuillovaMainForm::UpdateBrushPanel() {
    const QColor brush = qv::ToQColor(Env().Colors.BrushTool);
    brushPanel_->setStyleSheet(
        QStringLiteral("QToolButton#BrushPanel { background: %1; border: 2px inset palette(mid); }")
            .arg(brush.name()));
}

void TQuillovaMainForm::BuildToolBars() {
    const auto make = [this](int index, std::initializer_list<Entry> entries) {
        auto* bar = new QToolBar(texts::Q(texts::kToolBarTitles[index]), this);
        bar->setObjectName(QStringLiteral("Tool%1").arg(index + 1));
        bar->setIconSize(QSize(20, 20));
        // The tool-bar dock is the band at the top: tool bars dock there or float.
        bar->setAllowedAreas(Qt::TopToolBarArea);
        for (const Entry& e : entries) {
            if (e.Separator) {
                bar->addSeparator();
            } else {
                bar->addAction(commands_->Action(e.Id));
                if (QWidget* w = bar->widgetForAction(commands_->Action(e.Id)))
                    w->setFixedSize(kButtonSize);
            }
        }
        addToolBar(Qt::TopToolBarArea, bar);
        toolBars_[static_cast<std::size_t>(index)] = bar;
        return bar;
    };
    make(0, {Cmd(C::FileOpen), Cmd(C::FileSave), Sep(), Cmd(C::FilePrint), Sep(), Cmd(C::EditCut),
             Cmd(C::EditCopy), Cmd(C::EditPaste)});
    make(1, {Cmd(C::EditNew), Sep(), Cmd(C::EditGather), Cmd(C::EditSpread), Cmd(C::EditStretch),
             Cmd(C::EditGrpStretch), Cmd(C::EditAway), Sep(), Cmd(C::EditUndoPos),
             Cmd(C::EditRedoPos), Sep(), Cmd(C::EditFind), Cmd(C::EditPrevSel), Cmd(C::EditNextSel),
             Sep(), Cmd(C::GoBack), Cmd(C::GoForward), Cmd(C::GoHome)});
    QToolBar* modes =
        make(2, {Cmd(C::ToolNrm), Cmd(C::ToolGruop), Cmd(C::ToolGLine), Cmd(C::ToolBrush), Sep()});
    // The four tools are one group: exactly one is down.
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    for (CommandId id : {C::ToolNrm, C::ToolGruop, C::ToolGLine, C::ToolBrush}) {
        QAction* a = commands_->Action(id);
        a->setCheckable(true);
        group->addAction(a);
    }
    brushPanel_ = new QToolButton(modes);
    brushPanel_->setFixedSize(kButtonSize);
    brushPanel_->setToolTip(texts::Q(texts::kBrushPanelHint));
    brushPanel_->setStatusTip(texts::Q(texts::kBrushPanelHint));
    brushPanel_->setAccessibleName(texts::Q(texts::kBrushPanelHint));
    brushPanel_->setObjectName(QStringLiteral("BrushPanel"));
    modes->addWidget(brushPanel_);
    UpdateBrushPanel();
    // The zoom submenu, on a button that shows the active window's zoom.
    modes->addSeparator();
    zoomButton_ = new QToolButton(modes);
    zoomButton_->setObjectName(QStringLiteral("ZoomButton"));
    zoomButton_->setMenu(zoomMenu_);
    zoomButton_->setPopupMode(QToolButton::InstantPopup);
    zoomButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    zoomButton_->setText(QStringLiteral("100%"));
    {
        const QString hint = texts::Q(texts::kZoomButtonHint);
        const qsizetype bar = hint.indexOf(u'|');
        zoomButton_->setToolTip(hint.left(bar));
        zoomButton_->setStatusTip(hint.mid(bar + 1));
    }
    zoomButton_->setFixedHeight(kButtonSize.height());
    modes->addWidget(zoomButton_);
}

// ---- Menu-opening handlers ----

void TQuillovaMainForm::EditMenuOpening(QMenu* moveToWindow) {
    moveToWindow->setEnabled(qv::MoveToWindowEnabled(ActiveDocument(), DocumentCount()));
}

void TQuillovaMainForm::ToolMenuOpening() {
    // The check marks follow the buttons; the action group keeps them one and the same.
    commands_->Action(C::ToolNrm)->setChecked(CurrentTool() == Tool::Normal);
    commands_->Action(C::ToolGruop)->setChecked(CurrentTool() == Tool::Group);
    commands_->Action(C::ToolGLine)->setChecked(CurrentTool() == Tool::GroupLine);
    commands_->Action(C::ToolBrush)->setChecked(CurrentTool() == Tool::Brush);
}

void TQuillovaMainForm::ShowMenuOpening() {
    const qv::EnvData& env = Env();
    commands_->Action(C::ShowGrpLst)->setChecked(groupListShown_);
    for (int i = 0; i < 3; ++i)
        toolBarItems_[static_cast<std::size_t>(i)]->setChecked(
            !toolBars_[static_cast<std::size_t>(i)]->isHidden());
    commands_->Action(C::ShowStatusBar)->setChecked(!statusBar()->isHidden());
    commands_->Action(C::ShowMapViewer)->setChecked(mapViewerShown_);
    commands_->Action(C::ShowNamePlate)->setChecked(env.NamePlate);
    commands_->Action(C::ShowLinkMark)->setChecked(env.LinkMark);
    commands_->Action(C::ShowGFrame)->setChecked(env.GroupFrame);
    commands_->Action(C::ShowGLine)->setChecked(env.GroupLine);
    commands_->Action(C::ShowDivLine)->setChecked(env.DivLine);
    hideTitleMenuItem_->setChecked(env.HideTitleMenu);
    const qv::FragSet* d = ActiveDocument();
    commands_->Action(C::ShowDivLine)
        ->setEnabled(d && d->FixedSize && (d->DivColumns > 1 || d->DivRows > 1));
}

void TQuillovaMainForm::WindowMenuOpening() {
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    const QMdiSubWindow* active = mdiArea_->activeSubWindow();
    windowListSeparator_->setVisible(!windows.isEmpty());
    // One item per window, kept while the number of windows stays the same.
    while (windowItems_.size() > windows.size())
        delete windowItems_.takeLast();
    while (windowItems_.size() < windows.size()) {
        const int k = static_cast<int>(windowItems_.size());
        QAction* item = WindowMenu()->addAction(QString());
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, k] { SelectWindowItem(k); });
        windowItems_.append(item);
    }
    for (int k = 0; k < windowItems_.size(); ++k) {
        QAction* item = windowItems_[k];
        QString prefix;
        if (k < 10) {
            prefix = QStringLiteral("&%1: ").arg((k + 1) % 10);
        } else if (k < 20) {
            prefix = QStringLiteral("   ");
        }
        // A caption's own "&" is shown as it is, not taken as an access key. The list names
        // the documents without the title's modified mark.
        const auto* child = qobject_cast<const TMDIChild*>(windows[k]->widget());
        item->setText(prefix +
                      qv::PlainMenuText(child ? child->Caption() : windows[k]->windowTitle()));
        item->setChecked(windows[k] == active);
    }
}

void TQuillovaMainForm::SelectWindowItem(int index) {
    {
        const auto hold = services_.Refresh().HoldViews();
        const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
        if (index >= 0 && index < windows.size()) {
            ShowDocumentWindow(windows[index]);
            RefreshViews();
        }
    }
    UpdateCommands();
}
