// Opening, finding and closing document windows.
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/main_form.h"
#include "app/mdi_child.h"
#include "app/qt_ports.h"
#include "core/io/fragment_file.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/settings/paths.h"
#include "core/text/cp932.h"
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

// "]はUTF-8で保存された断片ファイルです。文字をShift-JISに変換しました" and
// "\nShift-JISで表せない文字を含む行があるため、編集禁止で開きます: ".
constexpr std::string_view kConvertedFromUtf8 =
    "]\x82\xcdUTF-8\x82\xc5\x95\xdb\x91\xb6\x82\xb3\x82\xea\x82\xbd\x92"
    "f\x95\xd0\x83t\x83@\x83"
    "C\x83\x8b\x82\xc5\x82\xb7\x81"
    "B\x95\xb6\x8e\x9a\x82\xf0Shift-JIS\x82\xc9\x95\xcf\x8a\xb7\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
constexpr std::string_view kUnconvertibleLines =
    "\nShift-"
    "JIS\x82\xc5\x95\x5c\x82\xb9\x82\xc8\x82\xa2\x95\xb6\x8e\x9a\x82\xf0\x8a\xdc\x82\xde\x8ds\x82"
    "\xaa\x82\xa0\x82\xe9\x82\xbd\x82\xdf\x81"
    "A\x95\xd2\x8fW\x8b\xd6\x8e~\x82\xc5\x8aJ\x82\xab\x82\xdc\x82\xb7: ";

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

TMDIChild* TQuillovaMainForm::FindChild(const std::string& path) const {
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        auto* child = qobject_cast<TMDIChild*>((*it)->widget());
        if (child && !child->Set().FileName.empty() &&
            qv::SameDocumentPath(child->Set().FileName, path)) {
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

TMDIChild* TQuillovaMainForm::OpenDocument(const std::string& filePath) {
    ++env_->RefreshLock;
    struct Unlock {
        qv::EnvData& env;
        ~Unlock() { --env.RefreshLock; }
    } unlock{*env_};

    if (filePath == kUntitledName) {
        if (DocumentCount() >= kMaxDocuments) return nullptr;
        TMDIChild* child = NewChildWindow();
        if (env_->NewFixedScr) child->Set().FixedSize = true;
        child->Set().RedrawAll();
        return child;
    }

    const std::string path = qv::AbsoluteDocumentPath(filePath);
    // Messages are code page 932 text; the path is shown as near as it can be.
    const std::string shownPath = qv::Utf8ToCp932(path).Bytes;
    if (TMDIChild* open = FindChild(path)) {
        QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(open->parentWidget());
        if (sub) {
            if (sub->isMinimized()) sub->showNormal();
            mdiArea_->setActiveSubWindow(sub);
        }
        return open;
    }
    if (DocumentCount() >= kMaxDocuments) return nullptr;
    if (!qv::DocumentExists(path)) {
        services_.Prompts->Warning("[" + shownPath + std::string(kDoesNotExist),
                                   qv::PromptButtons::Ok);
        return nullptr;
    }
    if (qv::CheckFragmentFile(path) != qv::FragmentFileCheck::FragmentFile) {
        if (services_.Prompts->Warning("[" + shownPath + std::string(kNotFragmentFile),
                                       qv::PromptButtons::YesNo) != qv::PromptAnswer::Yes) {
            return nullptr;
        }
    }

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

    const bool foreign = qv::CheckFragmentFile(path) != qv::FragmentFileCheck::FragmentFile;
    const qv::ReadResult read = child->Load(path);
    if (foreign) set.Modified = true;
    if (read.ConvertedFromUtf8) {
        std::string text = "[" + shownPath + std::string(kConvertedFromUtf8);
        if (!read.UnconvertibleLines.empty()) {
            text += kUnconvertibleLines;
            for (std::size_t i = 0; i < read.UnconvertibleLines.size(); ++i)
                text += (i ? ", " : "") + std::to_string(read.UnconvertibleLines[i]);
        }
        services_.Prompts->Warning(text, qv::PromptButtons::Ok);
    }
    set.RefreshVisibility();
    if (env_->RestoreScrPos) {
        child->SetScrollPosition(qv::ScrollAxis::Vertical, scrollY);
        child->SetScrollPosition(qv::ScrollAxis::Horizontal, scrollX);
    }
    return child;
}

void TQuillovaMainForm::OpenStartDocument() {
    if (!startFile_.empty()) {
        OpenDocument(startFile_);
    } else if (env_->OpenLastFile && !env_->LastFile.empty()) {
        if (const auto path = qv::PathFromStorage(env_->LastFile)) OpenDocument(*path);
    } else if (const auto home = qv::PathFromStorage(env_->HomeWindow); home && !home->empty()) {
        TMDIChild* child = OpenDocument(*home);
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
    // A path the settings file cannot hold exactly is left out rather than stored as another.
    env_->LastFile = active ? qv::PathForStorage(active->Set().FileName).Bytes : std::string();
    for (QMdiSubWindow* sub : windows) {
        if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) child->ApproveClose();
        sub->close();
    }
    return true;
}
