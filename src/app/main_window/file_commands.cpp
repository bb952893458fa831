#include "app/main_window/file_commands.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include "app/file_chooser.h"
#include "app/main_form.h"
#include "app/mdi_child.h"
#include "core/io/file_access.h"
#include "core/io/fragment_file.h"
#include "core/io/text_exchange.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/text/text_helpers.h"
#include "render/qt_text.h"

namespace {

// "無題": the name that makes a new, empty document.
constexpr std::string_view kUntitledName = "\x96\xb3\x91\xe8";
constexpr int kMaxDocuments = 40;

void Warn(qv::Prompts& prompts, const QString& text) {
    prompts.Warning(qv::ToCp932(text), qv::PromptButtons::Ok);
}

QString Bracketed(const std::string& cp932Path) {
    return QLatin1Char('[') + qv::FromCp932(cp932Path) + QLatin1Char(']');
}

}  // namespace

bool FileCommands::DocumentPath(const QString& chosen, std::string& path) {
    bool complete = true;
    path = qv::ToCp932(chosen, &complete);
    if (complete) return true;
    // A name the documents cannot hold would be stored as another name.
    Warn(*form_.Services().Prompts,
         QLatin1Char('[') + chosen + QStringLiteral("]このファイル名は使えません"));
    return false;
}

QString FileCommands::Choose(const FileDialogSpec& spec) {
    FileChooser* chooser = form_.Services().Files;
    return chooser ? chooser->Choose(&form_, spec) : QString();
}

void FileCommands::FileNew() {
    form_.OpenDocument(std::string(kUntitledName));
}

void FileCommands::FileOpen() {
    if (form_.DocumentCount() >= kMaxDocuments) return;
    const QString chosen = Choose(OpenDocumentDialog());
    std::string path;
    if (chosen.isEmpty() || !DocumentPath(chosen, path)) return;
    form_.OpenDocument(path);
}

void FileCommands::FileHst(int index) {
    const auto& recent = form_.Env().RecentFiles;
    if (index < 0 || index >= static_cast<int>(recent.size())) return;
    std::vector<std::string> fields;
    if (qv::SplitFields(recent[static_cast<std::size_t>(index)], 1, fields) < 1 ||
        fields[0].empty())
        return;
    form_.OpenDocument(fields[0]);
}

QString FileCommands::RecentItemCaption(int index, const QString& path) {
    QString escaped = path;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
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
    std::string path;
    if (chosen.isEmpty() || !DocumentPath(chosen, path)) return;
    if (qv::CheckFragmentFile(path) != qv::FragmentFileCheck::FragmentFile) {
        const QString question =
            Bracketed(path) + QStringLiteral(
                                  "は断片ファイルではありません\n"
                                  "1番目の項目をテキスト内容としてマージしますか?");
        if (form_.Services().Prompts->Warning(qv::ToCp932(question), qv::PromptButtons::OkCancel) !=
            qv::PromptAnswer::Ok)
            return;
    }
    qv::ReadStatus status = qv::ReadStatus::Read;
    qv::ReadFragmentFile(*set, path, true, &status);
    if (status == qv::ReadStatus::Missing) {
        Warn(*form_.Services().Prompts, Bracketed(path) + QStringLiteral("は存在しません"));
        return;
    }
    if (status == qv::ReadStatus::Unreadable) {
        Warn(*form_.Services().Prompts, Bracketed(path) + QStringLiteral("を読み込めません"));
        return;
    }
    set->Modified = true;
    set->RedrawAll();
    set->RefreshRequest();
}

bool FileCommands::FileSave() {
    TMDIChild* child = form_.ActiveChild();
    if (!child || child->Set().ReadOnly) return false;
    if (child->Set().FileName.empty()) return FileSaveAs();
    if (!child->Save()) return false;
    form_.ShowMessage(qv::FromCp932(child->Set().FileName) + QStringLiteral(" を保存しました"));
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
    const std::string lastFile = active ? active->Set().FileName : std::string();
    form_.Env().LastFile = lastFile;
    const QList<QMdiSubWindow*> windows = form_.DocumentArea()->subWindowList();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (auto* child = qobject_cast<TMDIChild*>((*it)->widget()))
            child->Set().SaveOnClose = true;
        (*it)->close();
    }
    // The windows are closed by now; the one that was active is still the one to reopen.
    form_.CloseRemembering(lastFile);
}

void FileCommands::FileImport() {
    qv::FragSet* set = form_.ActiveDocument();
    if (!set || set->ReadOnly) return;
    const QString chosen = Choose(ImportTextDialog());
    std::string path;
    if (chosen.isEmpty() || !DocumentPath(chosen, path)) return;
    qv::ReadStatus status = qv::ReadStatus::Read;
    qv::ImportTextFile(*set, path, &status);
    if (status == qv::ReadStatus::Missing) {
        Warn(*form_.Services().Prompts, Bracketed(path) + QStringLiteral("は存在しません"));
    } else if (status == qv::ReadStatus::Unreadable) {
        Warn(*form_.Services().Prompts, Bracketed(path) + QStringLiteral("を読み込めません"));
    } else {
        set->RedrawAll();
    }
}

void FileCommands::FileExport() {
    qv::FragSet* set = form_.ActiveDocument();
    if (!set) return;
    const QString chosen = Choose(ExportTextDialog());
    std::string path;
    if (chosen.isEmpty() || !DocumentPath(chosen, path)) return;
    std::string error;
    if (!qv::ExportText(*set, path, &error)) {
        Warn(*form_.Services().Prompts, Bracketed(path) +
                                            QStringLiteral("に書き出せませんでした\n") +
                                            QString::fromStdString(error));
        return;
    }
    form_.ShowMessage(qv::FromCp932(path) + QStringLiteral(" に書き出しました"));
}
