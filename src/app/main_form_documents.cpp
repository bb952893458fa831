// Opening, finding and closing document windows.
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/main_form.h"
#include "app/mdi_child.h"
#include "app/qt_ports.h"
#include "core/io/file_access.h"
#include "core/io/fragment_file.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/text/text_helpers.h"

namespace {

// At most this many documents are open at once.
constexpr int kMaxDocuments = 40;

// "無題", "]は存在しません",
// "]は断片ファイルではありません\n1番目の項目をテキスト内容として読み込みますか?"
constexpr std::string_view kUntitledName = "\x96\xb3\x91\xe8";
constexpr std::string_view kDoesNotExist =
    "]\x82\xcd\x91\xb6\x8d\xdd\x82\xb5\x82\xdc\x82\xb9\x82\xf1";
constexpr std::string_view kNotFragmentFile =
    "]\x82\xcd\x92\x66\x95\xd0\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xc5\x82\xcd\x82\xa0\x82\xe8\x82"
    "\xdc\x82\xb9\x82\xf1\n1\x94\xd4\x96\xda\x82\xcc\x8d\x80\x96\xda\x82\xf0\x83\x65\x83\x4c\x83"
    "\x58"
    "\x83\x67\x93\xe0\x97\x65\x82\xc6\x82\xb5\x82\xc4\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xdc\x82"
    "\xb7"
    "\x82\xa9?";

// "]を読み込めません".
constexpr std::string_view kCannotRead =
    "]\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1";

int FieldAsInt(const std::string& field, int fallback) {
    return qv::ParseInt(field).value_or(fallback);
}

}  // namespace

TMDIChild* TQuillovaMainForm::ActiveChild() const {
    QMdiSubWindow* sub = mdiArea_->activeSubWindow();
    if (!sub) sub = mdiArea_->currentSubWindow();
    return sub ? qobject_cast<TMDIChild*>(sub->widget()) : nullptr;
}

qv::FragSet* TQuillovaMainForm::ActiveDocument() const {
    TMDIChild* child = ActiveChild();
    return child ? &child->Set() : nullptr;
}

int TQuillovaMainForm::DocumentCount() const {
    return static_cast<int>(mdiArea_->subWindowList().size());
}

TMDIChild* TQuillovaMainForm::FindChild(const std::string& cp932Path) const {
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        auto* child = qobject_cast<TMDIChild*>((*it)->widget());
        if (child && !child->Set().FileName.empty() &&
            qv::SameDocumentPath(child->Set().FileName, cp932Path)) {
            return child;
        }
    }
    return nullptr;
}

TMDIChild* TQuillovaMainForm::NewChildWindow() {
    auto* child = new TMDIChild(services_);
    QMdiSubWindow* sub = mdiArea_->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    if (DocumentCount() == 1 && env_->ChildWinMaximize) {
        sub->showMaximized();
    } else {
        sub->resize(std::max(429, mdiArea_->width() * 9 / 10),
                    std::max(257, mdiArea_->height() * 9 / 10));
        sub->show();
    }
    return child;
}

TMDIChild* TQuillovaMainForm::OpenDocument(const std::string& cp932Path) {
    ++env_->RefreshLock;
    struct Unlock {
        qv::EnvData& env;
        ~Unlock() { --env.RefreshLock; }
    } unlock{*env_};

    if (cp932Path == kUntitledName) {
        if (DocumentCount() >= kMaxDocuments) return nullptr;
        TMDIChild* child = NewChildWindow();
        if (env_->NewFixedScr) child->Set().FixedSize = true;
        child->Set().RedrawAll();
        return child;
    }

    const std::string path = qv::AbsoluteDocumentPath(cp932Path);
    if (TMDIChild* open = FindChild(path)) {
        QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(open->parentWidget());
        if (sub) {
            if (sub->isMinimized()) sub->showNormal();
            mdiArea_->setActiveSubWindow(sub);
        }
        return open;
    }
    if (DocumentCount() >= kMaxDocuments) return nullptr;
    // The file is read once: the check of its first line and the reading use the same bytes.
    const qv::FileBytes file = qv::ReadFileBytes(path);
    if (file.Status == qv::ReadStatus::Missing) {
        services_.Prompts->Warning("[" + path + std::string(kDoesNotExist), qv::PromptButtons::Ok);
        return nullptr;
    }
    if (file.Status != qv::ReadStatus::Read) {
        // A folder, a device or a file this user may not read would open as an empty document.
        services_.Prompts->Warning("[" + path + std::string(kCannotRead), qv::PromptButtons::Ok);
        return nullptr;
    }
    const bool foreign =
        qv::CheckFragmentBytes(path, file.Bytes) != qv::FragmentFileCheck::FragmentFile;
    if (foreign && services_.Prompts->Warning("[" + path + std::string(kNotFragmentFile),
                                              qv::PromptButtons::YesNo) != qv::PromptAnswer::Yes)
        return nullptr;

    TMDIChild* child = NewChildWindow();
    qv::FragSet& set = child->Set();

    // The view of the document as it was left: shown groups, scroll position, group-list group.
    int scrollY = 0;
    int scrollX = 0;
    std::vector<std::string> fields;
    if (env_->FindFileHistory(path, fields) >= 0) {
        for (int g = 1; g <= qv::kMaxGroup; ++g) {
            auto& entry = set.GroupTable[static_cast<std::size_t>(g)];
            entry.Shown = FieldAsInt(fields[static_cast<std::size_t>(g)], 1) == 1;
            entry.HasSelected = false;
        }
        scrollY = FieldAsInt(fields[101], 0);
        scrollX = FieldAsInt(fields[102], 0);
        int group = FieldAsInt(fields[103], 1);
        set.GroupListGroup = (group < 0 || group > qv::kMaxGroup) ? 1 : group;
    }

    child->Load(path, file);
    if (foreign) set.Modified = true;
    set.RefreshVisibility();
    if (env_->RestoreScrPos) {
        child->SetScrollPosition(qv::ScrollAxis::Vertical, scrollY);
        child->SetScrollPosition(qv::ScrollAxis::Horizontal, scrollX);
    }
    return child;
}

bool TQuillovaMainForm::CloseRemembering(const std::string& lastFile) {
    exitLastFile_ = lastFile;
    const bool closed = close();
    exitLastFile_.reset();
    return closed;
}

void TQuillovaMainForm::OpenStartDocument() {
    if (!startFile_.empty()) {
        OpenDocument(startFile_);
    } else if (env_->OpenLastFile && !env_->LastFile.empty()) {
        OpenDocument(env_->LastFile);
    } else if (!env_->HomeWindow.empty()) {
        TMDIChild* child = OpenDocument(env_->HomeWindow);
        if (child && env_->HomWinMaximize && child->parentWidget())
            child->parentWidget()->showMaximized();
    }
}

bool TQuillovaMainForm::CloseAllDocuments() {
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    for (QMdiSubWindow* sub : windows) {
        auto* child = qobject_cast<TMDIChild*>(sub->widget());
        if (child && !child->CloseQuery()) return false;
    }
    TMDIChild* active = ActiveChild();
    env_->LastFile =
        exitLastFile_ ? *exitLastFile_ : (active ? active->Set().FileName : std::string());
    for (QMdiSubWindow* sub : windows) {
        if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) child->ApproveClose();
        sub->close();
    }
    return true;
}
