// The status bar with its four panels, hints, the 250 ms refresh timer and the wheel over the
// window's frame.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include "app/app_services.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/platform/plain_text.h"
#include "app/texts.h"
#include "core/model/frag_set.h"
#include "core/model/zoom.h"
#include "core/settings/env_data.h"
#include "render/text/fonts.h"
#include "render/text/qt_text.h"

void TQuillovaMainForm::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    for (int i = 0; i < 4; ++i) {
        statusPanels_[i] = new QLabel(this);
        // Messages name documents, whose paths may hold markup.
        qv::MakePlain(statusPanels_[i]);
        statusPanels_[i]->setFrameShape(QFrame::Panel);
        statusPanels_[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(statusPanels_[i], i == 2 ? 1 : 0);
    }
    statusPanels_[0]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusPanels_[3]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ApplyStatusBarFont();
    DispStatusUpdate();
}

void TQuillovaMainForm::ApplyStatusBarFont() {
    QStatusBar* bar = statusBar();
    const QFont font = qv::MakeFont(Env().StatusBarFont);
    bar->setFont(font);
    for (QLabel* panel : statusPanels_)
        panel->setFont(font);
    const QFontMetrics fm(font);
    statusPanels_[0]->setFixedWidth(fm.horizontalAdvance(texts::Q(texts::kStatusPanel0Sample)) + 4);
    statusPanels_[1]->setFixedWidth(fm.horizontalAdvance(texts::Q(texts::kStatusPanel1Sample)) + 4);
    statusPanels_[3]->setFixedWidth(fm.horizontalAdvance(texts::Q(texts::kStatusZoomSample)) + 8);
    bar->setFixedHeight(fm.height() + 4 + 4);
}

void TQuillovaMainForm::DispStatusUpdate() {
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    const qv::FragSet* active = ActiveDocument();
    int modified = 0;
    for (QMdiSubWindow* sub : windows) {
        auto* child = qobject_cast<TMDIChild*>(sub->widget());
        if (!child) continue;
        if (child->Set().Modified) ++modified;
        // The title's modified mark follows every change, whatever made it.
        child->UpdateCaption();
    }
    QString counts;
    QString cards;
    if (!active) {
        counts = QStringLiteral("0/%1").arg(windows.size());
    } else {
        counts = QStringLiteral("%1/%2 ").arg(modified).arg(windows.size());
        cards =
            texts::Q(texts::kStatusCards).arg(active->Count()).arg(active->SelectionList.size());
    }
    // Only what changed is set: a label repaints on every setText.
    if (statusPanels_[0]->text() != counts) statusPanels_[0]->setText(counts);
    if (statusPanels_[1]->text() != cards) statusPanels_[1]->setText(cards);
    const TMDIChild* child = ActiveChild();
    const QString zoom =
        child ? QString::fromStdString(qv::ZoomPercentText(child->Zoom())) : QString();
    if (statusPanels_[3]->text() != zoom) statusPanels_[3]->setText(zoom);
    if (zoomButton_ && zoomButton_->text() != (child ? zoom : QStringLiteral("100%")))
        zoomButton_->setText(child ? zoom : QStringLiteral("100%"));
}

void TQuillovaMainForm::ShowMessage(const QString& text) {
    statusPanels_[2]->setText(text);
}

QString TQuillovaMainForm::StatusPanelText(int panel) const {
    return panel >= 0 && panel < 4 ? statusPanels_[panel]->text() : QString();
}

namespace {

// Tab and Shift+Tab step through the cards of a document window, but only there: elsewhere in
// the window (the group list, say) they move the keyboard on to the next control as usual.
bool KeepsFocusKey(const QKeyEvent& key) {
    if (key.key() != Qt::Key_Tab && key.key() != Qt::Key_Backtab) return false;
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (qobject_cast<TMDIChild*>(w)) return false;
    return true;
}

}  // namespace

bool TQuillovaMainForm::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        KeepsFocusKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::StatusTip) {
        // Hints go to panel 2, and only with a document that is not in the middle of drawing a
        // group line; the status bar's own message line would cover panels 0 and 1.
        const qv::FragSet* d = ActiveDocument();
        if (d && d->LineStep() == qv::LineToolStep::Off)
            ShowMessage(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TQuillovaMainForm::RefreshViews() {
    if (!started_) return;
    if (qv::FragSet* set = ActiveDocument()) {
        set->RefreshVisibility();
        set->RepaintTouchedFrames();
    }
    documents_->RefreshGroupList();
}

bool TQuillovaMainForm::RefreshIfPending() {
    qv::ViewRefresh& refresh = services_.Refresh();
    if (!refresh.Pending() || refresh.Held()) return false;
    RefreshViews();
    refresh.Done();
    return true;
}

void TQuillovaMainForm::TimerTick() {
    // Edits that ended no step themselves (a group-list action, a menu of groups) become one
    // before the rules look at undo.
    documents_->CloseStepsWhenIdle();
    DispStatusUpdate();
    UpdateCommands();
    if (isActiveWindow()) RefreshIfPending();
}

void TQuillovaMainForm::wheelEvent(QWheelEvent* event) {
    // A wheel over the frame scrolls the active document; the event always counts as handled.
    if (TMDIChild* child = ActiveChild()) child->WheelScroll(*event);
    event->accept();
}
