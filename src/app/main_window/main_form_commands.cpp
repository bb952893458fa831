// The handlers of the commands that belong to the main window itself: tools, clipboard and
// layout commands on the active document, view switches, window arrangement, edge moves and
// help. The other areas register theirs the same way (Commands().SetHandler).
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
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
#include "app/main_window/main_form.h"
#include "app/texts.h"
#include "core/io/text_exchange.h"
#include "core/layout/arrange.h"
#include "core/model/frag_buffer.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "render/qt_text.h"

namespace {
using C = CommandId;
}  // namespace

EnablingState TQuillovaMainForm::CurrentState() const {
    EnablingState s;
    s.Documents = DocumentCount();
    if (const qv::FragSet* d = ActiveDocument()) {
        s.HasDocument = true;
        s.ReadOnly = d->ReadOnly;
        s.Selected = static_cast<int>(d->SelectionList.size());
        s.UndoAvailable = d->UndoAvailable;
        s.RedoAvailable = d->RedoAvailable;
        s.SelCursor = d->SelCursor;
    }
    s.BufferEmpty = services_.Buffer().Empty();
    s.ClipboardHasText = clipboardHasText_;
    const qv::EnvData& env = services_.Env();
    s.JumpPosition = env.JumpPosition;
    s.JumpCount = static_cast<int>(env.JumpHistory.size());
    s.HomeWindowSet = !env.HomeWindow.empty();
    return s;
}

void TQuillovaMainForm::UpdateCommands() {
    commands_->UpdateEnabling();
}

void TQuillovaMainForm::SetTool(Tool tool) {
    tool_ = tool;
    commands_->Action(C::ToolNrm)->setChecked(tool == Tool::Normal);
    commands_->Action(C::ToolGruop)->setChecked(tool == Tool::Group);
    commands_->Action(C::ToolGLine)->setChecked(tool == Tool::GroupLine);
    commands_->Action(C::ToolBrush)->setChecked(tool == Tool::Brush);
    TMDIChild* child = ActiveChild();
    if (!child) return;
    qv::FragSet& set = child->Set();
    switch (tool) {
        case Tool::Normal:
            child->SetCursor(qv::CursorShape::Default);
            set.CurrentTool = 0;
            break;
        case Tool::Group:
            child->SetCursor(qv::CursorShape::GroupTool);
            set.CurrentTool = 0;
            break;
        case Tool::GroupLine:
            set.SelectAll(false);
            child->SetCursor(qv::CursorShape::LineTool);
            set.CurrentTool = 1;
            break;
        case Tool::Brush:
            child->SetCursor(qv::CursorShape::PaintTool);
            set.CurrentTool = 0;
            break;
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
    // The file commands that the document window already carries out.
    r.SetHandler(C::FileNew, [this] { OpenDocument(texts::Cp932(texts::kUntitled)); });
    r.SetHandler(C::FileSave, [this] {
        TMDIChild* child = ActiveChild();
        if (child && child->Save())
            ShowMessage(QFile::decodeName(child->Set().FileName.c_str()) + texts::Q(texts::kSaved));
    });
    r.SetHandler(C::FileSaveAs, [this] {
        TMDIChild* child = ActiveChild();
        if (child && child->SaveAs())
            ShowMessage(QFile::decodeName(child->Set().FileName.c_str()) + texts::Q(texts::kSaved));
    });
    r.SetHandler(C::FileClose, [this] {
        if (QMdiSubWindow* sub = mdiArea_->activeSubWindow()) sub->close();
    });

    r.SetHandler(C::EditCut, onDocument([this](qv::FragSet& d) { services_.Buffer().Cut(d); }));
    r.SetHandler(C::EditCopy, onDocument([this](qv::FragSet& d) { services_.Buffer().Copy(d); }));
    r.SetHandler(C::EditPaste,
                 onDocument([this](qv::FragSet& d) { services_.Buffer().PasteBuffer(d, false); }));
    r.SetHandler(C::EditPasteEx, [this] {
        TMDIChild* child = ActiveChild();
        if (!child) return;
        const QPoint at = child->viewport()->mapFromGlobal(QCursor::pos());
        services_.Buffer().PasteBuffer(child->Set(), true, qv::Point{at.x(), at.y()});
    });
    r.SetHandler(C::EditNewClip, onDocument([](qv::FragSet& d) { qv::ImportClipboard(d); }));
    r.SetHandler(C::EditDelete, onDocument([](qv::FragSet& d) { d.DeleteSelected(); }));
    r.SetHandler(C::EditSelAll, onDocument([](qv::FragSet& d) { d.SelectAll(true); }));
    r.SetHandler(C::EditGather, onDocument([](qv::FragSet& d) { qv::Gather(d); }));
    r.SetHandler(C::EditSpread, onDocument([](qv::FragSet& d) { qv::Spread(d); }));
    r.SetHandler(C::EditAway, onDocument([](qv::FragSet& d) { qv::PutAway(d); }));
    const auto positions = [this](bool undo) {
        return [this, undo] {
            qv::FragSet* d = ActiveDocument();
            if (!d) return;
            d->View().InvalidateAll();
            if (undo) {
                d->UndoPositions();
            } else {
                d->RedoPositions();
            }
            host_.RefreshGroupList();
            Env().RefreshPending = true;
        };
    };
    r.SetHandler(C::EditUndoPos, positions(true));
    r.SetHandler(C::EditRedoPos, positions(false));

    r.SetHandler(C::ShowStatusBar, [this] { statusBar()->setVisible(statusBar()->isHidden()); });
    r.SetHandler(C::ShowGrpLst, [this] {
        groupListShown_ = !groupListShown_;
        if (OnShowGroupList) OnShowGroupList(groupListShown_);
    });
    r.SetHandler(C::ShowMapViewer, [this] {
        mapViewerShown_ = !mapViewerShown_;
        if (OnShowMapViewer) OnShowMapViewer(mapViewerShown_);
    });
    r.SetHandler(C::ShowNamePlate, [this] { ToggleShowFlag(&qv::EnvData::NamePlate); });
    r.SetHandler(C::ShowGFrame, [this] { ToggleShowFlag(&qv::EnvData::GroupFrame); });
    r.SetHandler(C::ShowGLine, [this] { ToggleShowFlag(&qv::EnvData::GroupLine); });
    r.SetHandler(C::ShowLinkMark, [this] {
        Env().LinkMark = !Env().LinkMark;
        for (TMDIChild* child : Children()) {
            for (const auto& f : child->Set().Fragments())
                f->MarkStale();
            child->Set().RefreshVisibility();
            child->InvalidateAll();
        }
    });
    r.SetHandler(C::ShowDivLine, [this] {
        Env().DivLine = !Env().DivLine;
        if (TMDIChild* child = ActiveChild()) child->InvalidateAll();
    });

    r.SetHandler(C::WindowTileH, [this] { TileWindows(true); });
    r.SetHandler(C::WindowTileV, [this] { TileWindows(false); });
    r.SetHandler(C::WindowCascade, [this] { mdiArea_->cascadeSubWindows(); });
    r.SetHandler(C::WindowArrange, [this] { ArrangeMinimised(); });

    r.SetHandler(C::HelpContents, [this] { HelpContents(); });
    r.SetHandler(C::HelpHomePage,
                 [] { QDesktopServices::openUrl(QUrl(texts::Q(texts::kHomePageUrl))); });
    r.SetHandler(C::HelpAbout, [this] { HelpAbout(); });

    r.SetHandler(C::ExMovTop, [this] { EdgeMove(0); });
    r.SetHandler(C::ExMovBottom, [this] { EdgeMove(1); });
    r.SetHandler(C::ExMovLeft, [this] { EdgeMove(2); });
    r.SetHandler(C::ExMovRight, [this] { EdgeMove(3); });
}

void TQuillovaMainForm::ToggleShowFlag(bool qv::EnvData::*flag) {
    Env().*flag = !(Env().*flag);
    if (TMDIChild* child = ActiveChild()) {
        // The active document shows the change now; the others when they are next activated.
        child->Set().RefreshVisibility();
        child->Set().RedrawAll();
    }
    RefreshViews();
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

void TQuillovaMainForm::EdgeMove(int edge) {
    TMDIChild* child = ActiveChild();
    if (!child) return;
    switch (edge) {
        case 0:
            child->SetScrollPosition(qv::ScrollAxis::Vertical, 0);
            break;
        case 1:
            child->SetScrollPosition(qv::ScrollAxis::Vertical,
                                     child->ScrollRange(qv::ScrollAxis::Vertical));
            break;
        case 2:
            child->SetScrollPosition(qv::ScrollAxis::Horizontal, 0);
            break;
        default:
            child->SetScrollPosition(qv::ScrollAxis::Horizontal,
                                     child->ScrollRange(qv::ScrollAxis::Horizontal));
            break;
    }
}

void TQuillovaMainForm::HelpContents() {
    // The guide lies beside the program (installed or built) or in the source tree it came from.
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QStringList candidates = {
        exeDir + QStringLiteral("/docs/guide/index.html"),
        exeDir + QStringLiteral("/../docs/guide/index.html"),
        exeDir + QStringLiteral("/../share/quillovarsta/docs/guide/index.html"),
        exeDir + QStringLiteral("/../../../docs/guide/index.html"),
    };
    for (const QString& path : candidates) {
        if (QFileInfo::exists(path)) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::cleanPath(path)));
            return;
        }
    }
    services_.Prompts().Warning("[" + qv::ToCp932(QStringLiteral("docs/guide/index.html")) +
                                    texts::Cp932(texts::kHelpMissing),
                                qv::PromptButtons::Ok);
}

void TQuillovaMainForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        HelpContents();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TQuillovaMainForm::HelpAbout() {
    TAboutBox box(this);
    box.exec();
}
