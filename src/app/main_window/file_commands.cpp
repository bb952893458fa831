#include "app/main_window/file_commands.h"

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include "app/app_services.h"
#include "app/document/mdi_child.h"
#include "app/file_chooser.h"
#include "app/main_window/main_form.h"
#include "app/platform/plain_text.h"
#include "app/platform/reasons.h"
#include "core/fs/atomic_file.h"
#include "core/io/fragment_file.h"
#include "core/io/read_result.h"
#include "core/io/text_exchange.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/settings/paths.h"
#include "core/text/text_helpers.h"
#include "render/qt_text.h"

namespace {

// "無題": the name that makes a new, empty document.
constexpr std::string_view kUntitledName = "\x96\xb3\x91\xe8";

void Warn(qv::Prompts& prompts, const QString& text) {
    prompts.Warning(qv::ToCp932(text), qv::PromptButtons::Ok);
}

QString Shown(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

QString Bracketed(const std::string& path) {
    return QLatin1Char('[') + Shown(path) + QLatin1Char(']');
}

}  // namespace

std::string FileCommands::DocumentPath(const QString& chosen) {
    // The file name stays the user's own bytes.
    return QFile::encodeName(chosen).toStdString();
}

QString FileCommands::Choose(const FileDialogRequest& row) {
    return form_.Services().Files().Choose(&form_, row);
}

bool FileCommands::ReportReadFailure(const qv::ReadResult& read, const std::string& path) {
    if (read.Status == qv::ReadStatus::Missing) {
        Warn(form_.Services().Prompts(), Bracketed(path) + QStringLiteral("は存在しません"));
        return false;
    }
    if (read.Status == qv::ReadStatus::Unreadable) {
        Warn(form_.Services().Prompts(), Bracketed(path) + QStringLiteral("を読み込めません\n") +
                                             qv::ReadFailureReason(read.Problem, read.Why));
        return false;
    }
    return true;
}

void FileCommands::FileNew() {
    form_.OpenDocument(std::string(kUntitledName));
}

void FileCommands::FileOpen() {
    if (form_.DocumentCount() >= kMaxDocuments) return;
    const QString chosen = Choose(OpenDocumentDialog());
    if (chosen.isEmpty()) return;
    const std::string path = DocumentPath(chosen);
    form_.OpenDocument(path);
}

void FileCommands::FileHst(int index) {
    const auto& recent = form_.Env().RecentFiles;
    if (index < 0 || index >= static_cast<int>(recent.size())) return;
    std::vector<std::string> fields;
    if (qv::SplitFields(recent[static_cast<std::size_t>(index)], 1, fields) < 1 ||
        fields[0].empty())
        return;
    // The history keeps paths as the settings file does; one it cannot give back is not opened.
    if (const auto path = qv::PathFromStorage(fields[0])) form_.OpenDocument(*path);
}

QString FileCommands::RecentItemCaption(int index, const QString& path) {
    const QString escaped = qv::PlainMenuText(path);
    if (index < 10) return QStringLiteral("&%1: ").arg((index + 1) % 10) + escaped;
    return QStringLiteral("   ") + escaped;
}

void FileCommands::FillRecentMenu(QMenu& submenu) {
    submenu.clear();
    const auto& recent = form_.Env().RecentFiles;
    std::vector<std::string> fields;
    for (int i = 0; i < kRecentItems && i < static_cast<int>(recent.size()); ++i) {
        if (qv::SplitFields(recent[static_cast<std::size_t>(i)], 1, fields) < 1 ||
            fields[0].empty())
            continue;
        submenu.addAction(RecentItemCaption(i, qv::FromCp932(fields[0])),
                          [this, i] { FileHst(i); });
    }
    submenu.setEnabled(form_.DocumentCount() <= kMaxDocuments - 1 && !recent.empty());
}

void FileCommands::FileMerge() {
    qv::FragSet* set = form_.ActiveDocument();
    if (!set || set->ReadOnly) return;
    const QString chosen = Choose(MergeDocumentDialog());
    if (chosen.isEmpty()) return;
    const std::string path = DocumentPath(chosen);
    if (qv::CheckFragmentFile(path) != qv::FragmentFileCheck::FragmentFile) {
        const QString question =
            Bracketed(path) + QStringLiteral(
                                  "は断片ファイルではありません\n"
                                  "1番目の項目をテキスト内容としてマージしますか?");
        if (form_.Services().Prompts().Warning(qv::ToCp932(question),
                                               qv::PromptButtons::OkCancel) != qv::PromptAnswer::Ok)
            return;
    }
    if (!ReportReadFailure(qv::ReadFragmentFile(*set, path, true), path)) return;
    set->MarkModified();
    set->RedrawAll();
    set->RefreshRequest();
}

bool FileCommands::FileSave() {
    TMDIChild* child = form_.ActiveChild();
    if (!child || child->Set().ReadOnly) return false;
    if (child->Set().FileName.empty()) return FileSaveAs();
    if (!child->Save()) return false;
    form_.ShowMessage(Shown(child->Set().FileName) + QStringLiteral(" を保存しました"));
    return true;
}

bool FileCommands::FileSaveAs() {
    TMDIChild* child = form_.ActiveChild();
    return child && child->SaveAs();
}

void FileCommands::FileClose() {
    if (QMdiSubWindow* sub = form_.DocumentArea()->activeSubWindow()) sub->close();
}

void FileCommands::FileAllSaveEnd() {
    TMDIChild* active = form_.ActiveChild();
    // A path the settings file cannot hold exactly is left out rather than stored as another.
    const std::string lastFile =
        active ? qv::PathForStorage(active->Set().FileName).Bytes : std::string();
    form_.Env().LastFile = lastFile;
    const QList<QMdiSubWindow*> windows = form_.DocumentArea()->subWindowList();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (auto* child = qobject_cast<TMDIChild*>((*it)->widget())) child->SaveOnClose();
        (*it)->close();
    }
    // The windows are closed by now; the one that was active is still the one to reopen.
    form_.CloseRemembering(lastFile);
}

void FileCommands::FileImport() {
    qv::FragSet* set = form_.ActiveDocument();
    if (!set || set->ReadOnly) return;
    const QString chosen = Choose(ImportTextDialog());
    if (chosen.isEmpty()) return;
    const std::string path = DocumentPath(chosen);
    if (ReportReadFailure(qv::ImportTextFile(*set, path), path)) set->RedrawAll();
}

void FileCommands::FileExport() {
    qv::FragSet* set = form_.ActiveDocument();
    if (!set) return;
    const QString chosen = Choose(ExportTextDialog());
    if (chosen.isEmpty()) return;
    const std::string path = DocumentPath(chosen);
    if (const qv::WriteResult written = qv::ExportText(*set, path); !written) {
        Warn(form_.Services().Prompts(), Bracketed(path) +
                                             QStringLiteral("に書き出せませんでした\n") +
                                             qv::WriteFailureReason(written, path));
        return;
    }
    form_.ShowMessage(Shown(path) + QStringLiteral(" に書き出しました"));
}
