// The handlers of the commands that belong to the main window itself: tools, clipboard and
// layout commands on the active document, view switches, window arrangement, edge moves and
// help. The other areas register theirs the same way (Commands().SetHandler).
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QStatusBar>
#include <QUrl>
#include <algorithm>

#include "app/app_services.h"
#include "app/commands/command_registry.h"
#include "app/dialogs/about_box.h"
#include "app/document/mdi_child.h"
#include "app/document/view_toggles.h"
#include "app/main_window/main_form.h"
#include "app/platform/link_follower.h"
#include "app/texts.h"
#include "core/commands/jump_history.h"
#include "core/io/text_exchange.h"
#include "core/layout/arrange.h"
#include "core/model/frag_buffer.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "render/text/qt_text.h"

namespace {
using C = CommandId;

// "元に戻す: 集合": the step undo or redo would take, by its name or else by what it changed.
QString StepHint(const qv::EditHistory& history, bool redo) {
    const std::string& label = redo ? history.RedoLabel() : history.UndoLabel();
    std::string_view name = label;
    if (name.empty()) {
        switch (redo ? history.RedoKind() : history.UndoKind()) {
            case qv::StepKind::Create:
                name = texts::kStepCreate;
                break;
            case qv::StepKind::Delete:
                name = texts::kStepDeleteCards;
                break;
            case qv::StepKind::Move:
                name = texts::kStepMove;
                break;
            case qv::StepKind::Group:
                name = texts::kStepGroup;
                break;
            case qv::StepKind::Paint:
                name = texts::kStepPaint;
                break;
            case qv::StepKind::Properties:
                name = texts::kStepProperties;
                break;
            case qv::StepKind::Lines:
                name = texts::kStepLines;
                break;
            case qv::StepKind::Page:
                name = texts::kStepPage;
                break;
            case qv::StepKind::Edit:
                name = texts::kStepEdit;
                break;
        }
    }
    return texts::Q(redo ? texts::kRedoPrefix : texts::kUndoPrefix) + QStringLiteral(": ") +
           texts::Q(name);
}

}  // namespace

EnablingState TQuillovaMainForm::CurrentState() const {
    EnablingState s;
    s.Documents = DocumentCount();
    if (const qv::FragSet* d = ActiveDocument()) {
        s.HasDocument = true;
        s.ReadOnly = d->ReadOnly;
        s.Selected = static_cast<int>(d->SelectionList.size());
        s.UndoAvailable = d->UndoAvailable();
        s.RedoAvailable = d->RedoAvailable();
        s.SelCursor = d->SelCursor;
    }
    s.BufferEmpty = services_.Buffer().Empty();
    s.ClipboardHasText = clipboardHasText_;
    const qv::EnvData& env = services_.Env();
    const qv::JumpHistory& jumps = services_.Links().Jumps();
    s.JumpPosition = jumps.Position();
    s.JumpCount = static_cast<int>(jumps.Entries().size());
    s.HomeWindowSet = qv::CanGoHome(env);
    return s;
}

void TQuillovaMainForm::UpdateCommands() {
    commands_->UpdateEnabling();
    // The hints of undo and redo name the step they would take.
    const qv::FragSet* d = ActiveDocument();
    for (const bool redo : {false, true}) {
        QAction* action = commands_->Action(redo ? C::EditRedoPos : C::EditUndoPos);
        const bool named = d && (redo ? d->RedoAvailable() : d->UndoAvailable());
        const QString hint = named ? StepHint(d->History(), redo)
                                   : texts::Q(redo ? texts::kRedoPrefix : texts::kUndoPrefix);
        if (action->toolTip() != hint) {
            action->setToolTip(hint);
            action->setStatusTip(hint);
        }
    }
}

TQuillovaMainForm::Tool TQuillovaMainForm::CurrentTool() const {
    return services_.Tool();
}

void TQuillovaMainForm::SetTool(Tool tool) {
    commands_->Action(C::ToolNrm)->setChecked(tool == Tool::Normal);
    commands_->Action(C::ToolGruop)->setChecked(tool == Tool::Group);
    commands_->Action(C::ToolGLine)->setChecked(tool == Tool::GroupLine);
    commands_->Action(C::ToolBrush)->setChecked(tool == Tool::Brush);
    if (TMDIChild* child = ActiveChild()) {
        child->SetTool(tool);
    } else {
        services_.SetTool(tool);
    }
}

void TQuillovaMainForm::RegisterHandlers() {
    CommandRegistry& r = *commands_;
    const auto onDocument = [this](auto fn) {
        return [this, fn] {
            if (qv::FragSet* d = ActiveDocument()) fn(*d);
        };
    };

    r.SetHandler(C::ToolNrm, [this] { SetTool(Tool::Normal); });
    r.SetHandler(C::ToolGruop, [this] { SetTool(Tool::Group); });
    r.SetHandler(C::ToolGLine, [this] { SetTool(Tool::GroupLine); });
    r.SetHandler(C::ToolBrush, [this] { SetTool(Tool::Brush); });
    r.SetHandler(C::FileExit, [this] { close(); });
    r.SetHandler(C::EditCut, onDocument([this](qv::FragSet& d) { services_.Buffer().Cut(d); }));
    r.SetHandler(C::EditCopy, onDocument([this](qv::FragSet& d) { services_.Buffer().Copy(d); }));
    const auto onWindow = [this](auto fn) {
        return [this, fn] {
            if (TMDIChild* child = ActiveChild()) fn(*child);
        };
    };
    r.SetHandler(C::EditPaste, onWindow([](TMDIChild& w) { w.Paste(); }));
    r.SetHandler(C::EditPasteEx, onWindow([](TMDIChild& w) { w.PasteAtMouse(); }));
    r.SetHandler(C::EditNewClip, onDocument([](qv::FragSet& d) { qv::ImportClipboard(d); }));
    r.SetHandler(C::EditDelete, onWindow([](TMDIChild& w) { w.DeleteSelectionOrLine(); }));
    r.SetHandler(C::EditSelAll, onDocument([](qv::FragSet& d) { d.SelectAll(true); }));
    r.SetHandler(C::EditGather, onDocument([](qv::FragSet& d) { qv::Gather(d); }));
    r.SetHandler(C::EditSpread, onDocument([](qv::FragSet& d) { qv::Spread(d); }));
    r.SetHandler(C::EditAway, onDocument([](qv::FragSet& d) { qv::PutAway(d); }));
    // Undo and redo say in the status bar which step they took.
    const auto step = [this](bool redo) {
        return [this, redo] {
            TMDIChild* child = ActiveChild();
            if (!child) return;
            qv::EditHistory& history = child->Set().History();
            history.Commit();
            if (!(redo ? history.CanRedo() : history.CanUndo())) return;
            const QString hint = StepHint(history, redo);
            if (redo ? child->Redo() : child->Undo()) ShowMessage(hint);
        };
    };
    r.SetHandler(C::EditUndoPos, step(false));
    r.SetHandler(C::EditRedoPos, step(true));

    r.SetHandler(C::ShowStatusBar, [this] { statusBar()->setVisible(statusBar()->isHidden()); });
    // ShowGrpLst and ShowMapViewer belong to the panels (main_form_panels.cpp).
    const auto toggle = [this](qv::ViewToggle which) {
        return [this, which] {
            qv::ToggleView(Env(), which, Children(), ActiveChild());
            RefreshViews();
        };
    };
    r.SetHandler(C::ShowNamePlate, toggle(qv::ViewToggle::NamePlate));
    r.SetHandler(C::ShowLinkMark, toggle(qv::ViewToggle::LinkMark));
    r.SetHandler(C::ShowGFrame, toggle(qv::ViewToggle::GroupFrame));
    r.SetHandler(C::ShowGLine, toggle(qv::ViewToggle::GroupLine));
    r.SetHandler(C::ShowDivLine, toggle(qv::ViewToggle::DivLine));

    r.SetHandler(C::WindowTileH, [this] { TileWindows(true); });
    r.SetHandler(C::WindowTileV, [this] { TileWindows(false); });
    r.SetHandler(C::WindowCascade, [this] { mdiArea_->cascadeSubWindows(); });
    r.SetHandler(C::WindowArrange, [this] { ArrangeMinimised(); });

    r.SetHandler(C::HelpContents, [this] { HelpContents(); });
    // The program has no web page of its own yet: its guide stands in for one.
    r.SetHandler(C::HelpHomePage, [this] { HelpContents(); });
    r.SetHandler(C::HelpAbout, [this] { HelpAbout(); });

    r.SetHandler(C::ExMovTop, onWindow([](TMDIChild& w) { w.MoveToEdge(PageEdge::Top); }));
    r.SetHandler(C::ExMovBottom, onWindow([](TMDIChild& w) { w.MoveToEdge(PageEdge::Bottom); }));
    r.SetHandler(C::ExMovLeft, onWindow([](TMDIChild& w) { w.MoveToEdge(PageEdge::Left); }));
    r.SetHandler(C::ExMovRight, onWindow([](TMDIChild& w) { w.MoveToEdge(PageEdge::Right); }));
    r.SetHandler(C::ViewZoomIn, onWindow([](TMDIChild& w) { w.ZoomIn(); }));
    r.SetHandler(C::ViewZoomOut, onWindow([](TMDIChild& w) { w.ZoomOut(); }));
    r.SetHandler(C::ViewZoomReset, onWindow([](TMDIChild& w) { w.ZoomReset(); }));
    r.SetHandler(C::ViewZoomFit, onWindow([](TMDIChild& w) { w.ZoomToFit(); }));
    r.SetHandler(C::ViewZoomSelection, onWindow([](TMDIChild& w) { w.ZoomToSelection(); }));

    r.SetHandler(C::SelectNextCard,
                 onWindow([](TMDIChild& w) { w.SelectCardInReadingOrder(true); }));
    r.SetHandler(C::SelectPrevCard,
                 onWindow([](TMDIChild& w) { w.SelectCardInReadingOrder(false); }));
    using D = qv::CardDirection;
    r.SetHandler(C::SelectLeftCard, onWindow([](TMDIChild& w) { w.SelectCardTowards(D::Left); }));
    r.SetHandler(C::SelectRightCard, onWindow([](TMDIChild& w) { w.SelectCardTowards(D::Right); }));
    r.SetHandler(C::SelectUpCard, onWindow([](TMDIChild& w) { w.SelectCardTowards(D::Up); }));
    r.SetHandler(C::SelectDownCard, onWindow([](TMDIChild& w) { w.SelectCardTowards(D::Down); }));
}

void TQuillovaMainForm::TileWindows(bool stacked) {
    // Stacked: one above another, each the full width; otherwise side by side, each the full
    // height. Minimised windows keep their place; a maximised one is brought back first.
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
        if (sub->isMaximized()) sub->showNormal();
        if (!sub->isMinimized() && sub->isVisible()) windows.append(sub);
    }
    if (windows.isEmpty()) return;
    const QRect area = mdiArea_->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        QRect r;
        if (stacked) {
            const int top = area.height() * i / n;
            const int bottom = area.height() * (i + 1) / n;
            r = QRect(0, top, area.width(), bottom - top);
        } else {
            const int left = area.width() * i / n;
            const int right = area.width() * (i + 1) / n;
            r = QRect(left, 0, right - left, area.height());
        }
        windows[i]->setGeometry(r);
    }
}

void TQuillovaMainForm::ArrangeMinimised() {
    // Minimised windows in a row along the bottom, left to right, wrapping upwards.
    const QRect area = mdiArea_->viewport()->rect();
    int x = 0;
    int y = area.bottom() + 1;
    int rowHeight = 0;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
        if (!sub->isMinimized()) continue;
        const QSize size = sub->size();
        if (rowHeight == 0) {
            rowHeight = size.height();
            y -= rowHeight;
        }
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= rowHeight;
        }
        sub->move(x, y);
        x += size.width();
    }
}

QStringList TQuillovaMainForm::GuidePlaces() const {
    if (!guidePlaces_.isEmpty()) return guidePlaces_;
    // The guide lies beside the program (installed or built) or in the source tree it came from.
    const QString exeDir = QCoreApplication::applicationDirPath();
    QStringList places;
    for (const char* relative :
         {"/docs/guide/index.html", "/../docs/guide/index.html",
          "/../share/quillovarsta/docs/guide/index.html", "/../../../docs/guide/index.html"})
        places << QDir::cleanPath(exeDir + QLatin1String(relative));
    return places;
}

void TQuillovaMainForm::HelpContents() {
    const QStringList places = GuidePlaces();
    for (const QString& path : places) {
        if (QFileInfo::exists(path)) {
            services_.Links().OpenExternally(QUrl::fromLocalFile(path));
            return;
        }
    }
    // Say where it was looked for, so that a broken installation can be put right.
    std::string message = std::string("[")
                              .append(qv::ToCp932(QStringLiteral("docs/guide/index.html")))
                              .append(texts::Cp932(texts::kHelpMissing))
                              .append(texts::Cp932(texts::kHelpLookedIn));
    for (const QString& path : places)
        message.append("\n").append(qv::ToCp932(path));
    services_.Prompts().Warning(message, qv::PromptButtons::Ok);
}

void TQuillovaMainForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        HelpContents();
        event->accept();
        return;
    }
    // No command uses F11 by default: it leaves (or enters) the maximised state without
    // caption and menu bar, the one way out that needs neither.
    if (event->key() == Qt::Key_F11 && event->modifiers() == Qt::NoModifier) {
        SetHideTitleMenu(!Env().HideTitleMenu);
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TQuillovaMainForm::HelpAbout() {
    TAboutBox box(this);
    box.exec();
}
