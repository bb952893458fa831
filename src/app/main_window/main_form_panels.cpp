// The group list and the overview map: made with the main window, bound to the documents,
// and stored at shut-down.
#include <QMenu>

#include "app/app_services.h"
#include "app/commands/command_registry.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/panels/group_list_panel.h"
#include "app/panels/map_viewer.h"
#include "core/model/frag_set.h"

namespace {

// What the group list asks of the main window.
class FormGroupListHost final : public GroupListHost {
  public:
    explicit FormGroupListHost(TQuillovaMainForm& form) : form_(form) {}
    qv::FragSet* ActiveDocument() const override { return form_.ActiveDocument(); }
    void RefreshViews() override { form_.RefreshViews(); }
    void FocusMainWindow() override {
        form_.activateWindow();
        if (TMDIChild* child = form_.ActiveChild())
            child->setFocus();
        else
            form_.setFocus();
    }
    void NewFragmentInGroup(qv::FragSet& set, int group) override {
        // As a double click on the page, never a new card in a read-only document.
        if (set.ReadOnly) return;
        qv::NewFragmentRequest request;
        request.FromGroupList = true;
        request.PresetGroup = group;
        form_.Documents().NewFragment(set, request);
        form_.TurnImeOff();
    }

  private:
    TQuillovaMainForm& form_;
};

}  // namespace

void TQuillovaMainForm::BuildPanels() {
    groupListHost_ = std::make_unique<FormGroupListHost>(*this);
    groupList_ = new TGroupListPanel(*this, Env(), *groupListHost_, services_.Refresh());
    groupList_->Restore(Ini());
    groupListShown_ = !groupList_->isHidden();
    mapViewer_ = new TMapViewer(
        Env(), Ini(), [this] { return ActiveDocument(); }, this);

    connect(documents_, &DocumentManager::GroupListRefreshRequested, this, [this] {
        // New counts for the group list are new counts for the status bar too.
        DispStatusUpdate();
        groupList_->RefreshGroupList();
    });
    connect(documents_, &DocumentManager::MapRefreshRequested, mapViewer_,
            [this] { mapViewer_->MapUpdate(); });
    documents_->SetGroupListRows(groupList_);
    connect(mdiArea_, &QMdiArea::subWindowActivated, mapViewer_,
            [this] { mapViewer_->MapUpdate(); });
}

void TQuillovaMainForm::NotePanelsShown() {
    groupListShown_ = !groupList_->isHidden();
    mapViewerShown_ = mapViewer_->isVisible();
}

void TQuillovaMainForm::StorePanels() {
    groupList_->Store(Ini());
    groupListShown_ = !groupList_->isHidden();
    mapViewerShown_ = mapViewer_->isVisible();
    mapViewer_->StorePlacement();
}
