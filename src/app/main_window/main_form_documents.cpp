// The frame's side of the document windows: placing and showing them, their pop-ups and status,
// and files dropped on the frame. What is open, and the files, are the document manager's.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QStyle>
#include <algorithm>

#include "app/app_services.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/panels/group_list_panel.h"
#include "app/platform/program_icons.h"
#include "core/settings/env_data.h"

TMDIChild* TQuillovaMainForm::ActiveChild() const {
    return documents_->ActiveChild();
}

qv::FragSet* TQuillovaMainForm::ActiveDocument() const {
    return documents_->ActiveDocument();
}

int TQuillovaMainForm::DocumentCount() const {
    return documents_->DocumentCount();
}

QList<TMDIChild*> TQuillovaMainForm::Children() const {
    return documents_->Children();
}

void TQuillovaMainForm::TurnImeOff() {
    documents_->TurnImeOff();
}

void TQuillovaMainForm::AddDocumentWindow(TMDIChild& window) {
    TMDIChild* child = &window;
    connect(child, &TMDIChild::PopupRequested, this, &TQuillovaMainForm::ShowDocumentPopup);
    connect(child, &TMDIChild::StatusMessage, this, &TQuillovaMainForm::ShowMessage);
    connect(child, &TMDIChild::BrushColorPicked, this, &TQuillovaMainForm::UpdateBrushPanel);
    connect(child, &TMDIChild::InputHandled, this, [this] {
        // Not on every key and click: only when the input asked for a refresh (the Delete key,
        // say), its counts and frames show in the same repaint.
        if (!RefreshIfPending()) return;
        DispStatusUpdate();
        UpdateCommands();
    });
    connect(child, &TMDIChild::ZoomChanged, this, [this] { DispStatusUpdate(); });
    connect(child, &TMDIChild::EscapePressed, this, [this] {
        if (groupListShown_) groupList_->TakeFocus();
    });
    // A press, drag or key in the document may change the selection the rules look at.
    child->viewport()->installEventFilter(this);
    child->installEventFilter(this);
    QMdiSubWindow* sub = mdiArea_->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(DocumentIcon());
    if (DocumentCount() == 1 && Env().ChildWinMaximize) {
        sub->showMaximized();
    } else {
        sub->setGeometry(NewWindowPlace(sub));
        sub->show();
    }
    // A document made under another tool starts with that tool's pointer and line step.
    child->ApplyTool();
}

QRect TQuillovaMainForm::NewWindowPlace(const QMdiSubWindow* sub) const {
    // The default size, at the first place down the cascade (one title bar down and right from
    // the one before) that the fewest other windows take; all of it within the visible area.
    const QRect area = mdiArea_->viewport()->rect();
    const QSize size = QSize(kChildWidth, kChildHeight)
                           .boundedTo(area.size())
                           .expandedTo(QSize(kChildMinWidth, kChildMinHeight));
    const int step =
        std::max(8, sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub));
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    QPoint best(0, 0);
    qsizetype fewest = -1;
    for (QPoint at(0, 0); area.contains(QRect(at, size)); at += QPoint(step, step)) {
        const qsizetype taken =
            std::count_if(windows.begin(), windows.end(), [&](const QMdiSubWindow* other) {
                return other != sub && other->isVisible() && !other->isMinimized() &&
                       !other->isMaximized() && other->pos() == at;
            });
        if (fewest < 0 || taken < fewest) {
            fewest = taken;
            best = at;
        }
        if (taken == 0) break;
    }
    return QRect(best, size);
}

void TQuillovaMainForm::ShowDocumentWindow(QMdiSubWindow* sub) {
    if (!sub) return;
    if (sub->isMinimized()) sub->showNormal();
    if (!sub->isMaximized()) {
        // A window left outside the visible area (the frame got smaller, or it was moved away)
        // comes back into it.
        const QRect area = mdiArea_->viewport()->rect();
        QRect place = sub->geometry();
        if (!area.contains(place)) {
            place.setSize(place.size().boundedTo(area.size()));
            place.moveLeft(std::clamp(place.left(), 0, std::max(0, area.width() - place.width())));
            place.moveTop(std::clamp(place.top(), 0, std::max(0, area.height() - place.height())));
            sub->setGeometry(place);
        }
    }
    mdiArea_->setActiveSubWindow(sub);
}

void TQuillovaMainForm::RefreshDocumentViews() {
    RefreshViews();
    DispStatusUpdate();
    UpdateCommands();
}

void TQuillovaMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TQuillovaMainForm::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) paths.append(url.toLocalFile());
    }
    event->acceptProposedAction();
    documents_->DropFiles(paths);
}

bool TQuillovaMainForm::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonRelease:
        case QEvent::KeyRelease:
            // After the document has handled it; the counts and the title's modified mark
            // follow at once rather than at the next tick.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    DispStatusUpdate();
                    UpdateCommands();
                },
                Qt::QueuedConnection);
            break;
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}
