#include "app/commands/file_commands.h"

#include <QFile>
#include <QMenu>
#include <QWidget>

#include "app/app_services.h"
#include "app/commands/command_registry.h"
#include "app/commands/command_table.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/file_chooser.h"
#include "app/platform/plain_text.h"
#include "app/platform/reasons.h"
#include "app/texts.h"
#include "core/fs/atomic_file.h"
#include "core/io/fragment_file.h"
#include "core/io/read_result.h"
#include "core/io/text_exchange.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/settings/paths.h"
#include "core/text/text_helpers.h"
#include "render/text/qt_text.h"

namespace {

void Warn(qv::Prompts& prompts, const QString& text) {
    prompts.Warning(qv::ToCp932(text), qv::PromptButtons::Ok);
}

QString Shown(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

// "[" and the path: the texts that follow begin with "]".
QString Bracket(const std::string& path) {
    return QLatin1Char('[') + Shown(path);
}

}  // namespace

std::string FileCommands::DocumentPath(const QString& chosen) {
    // The file name stays the user's own bytes.
    return QFile::encodeName(chosen).toStdString();
}

FileCommands::FileCommands(CommandRegistry& commands, DocumentManager& documents,
                           AppServices& services, QWidget& window, QMenu& file, QMenu& recent)
    : documents_(documents), services_(services), window_(window) {
    using C = CommandId;
    commands.SetHandler(C::FileNew, [this] { FileNew(); });
    commands.SetHandler(C::FileOpen, [this] { FileOpen(); });
    commands.SetHandler(C::FileMerge, [this] { FileMerge(); });
    commands.SetHandler(C::FileSave, [this] { FileSave(); });
    commands.SetHandler(C::FileSaveAs, [this] { FileSaveAs(); });
    commands.SetHandler(C::FileClose, [this] { FileClose(); });
    commands.SetHandler(C::FileAllSaveEnd, [this] { FileAllSaveEnd(); });
    commands.SetHandler(C::FileImport, [this] { FileImport(); });
    commands.SetHandler(C::FileExport, [this] { FileExport(); });
    QObject::connect(&file, &QMenu::aboutToShow, &recent,
                     [this, &recent] { FillRecentMenu(recent); });
}

QString FileCommands::Choose(const FileDialogRequest& row) {
    return services_.Files().Choose(&window_, row);
}

bool FileCommands::ReportReadFailure(const qv::ReadResult& read, const std::string& path) {
    if (read.Status == qv::ReadStatus::Missing) {
        Warn(services_.Prompts(), Bracket(path) + texts::Q(texts::kDoesNotExist));
        return false;
    }
    if (read.Status == qv::ReadStatus::Unreadable) {
        Warn(services_.Prompts(), Bracket(path) + texts::Q(texts::kCannotRead) +
                                      qv::ReadFailureReason(read.Problem, read.Why));
        return false;
    }
    return true;
}

void FileCommands::FileNew() {
    documents_.NewDocument();
}

void FileCommands::FileOpen() {
    if (documents_.DocumentCount() >= kMaxDocuments) return;
    const QString chosen = Choose(OpenDocumentDialog());
    if (chosen.isEmpty()) return;
    const std::string path = DocumentPath(chosen);
    documents_.OpenDocument(path);
}

void FileCommands::FileHst(int index) {
    const auto& recent = services_.Env().RecentFiles;
    if (index < 0 || index >= static_cast<int>(recent.size())) return;
    const auto record = qv::FileHistoryRecord::Parse(recent[static_cast<std::size_t>(index)]);
    if (record.StoredPath.empty()) return;
    // The history keeps paths as the settings file does; one it cannot give back is not opened.
    if (const auto path = record.Path()) documents_.OpenDocument(*path);
}

QString FileCommands::RecentItemCaption(int index, const QString& path) {
    const QString escaped = qv::PlainMenuText(path);
    if (index < 10) return QStringLiteral("&%1: ").arg((index + 1) % 10) + escaped;
    return QStringLiteral("   ") + escaped;
}

void FileCommands::FillRecentMenu(QMenu& submenu) {
    submenu.clear();
    const auto& recent = services_.Env().RecentFiles;
    for (int i = 0; i < kRecentItems && i < static_cast<int>(recent.size()); ++i) {
        const auto record = qv::FileHistoryRecord::Parse(recent[static_cast<std::size_t>(i)]);
        if (record.StoredPath.empty()) continue;
        submenu.addAction(RecentItemCaption(i, qv::FromCp932(record.StoredPath)),
                          [this, i] { FileHst(i); });
    }
    submenu.setEnabled(documents_.DocumentCount() <= kMaxDocuments - 1 && !recent.empty());
}

void FileCommands::FileMerge() {
    qv::FragSet* set = documents_.ActiveDocument();
    if (!set || set->ReadOnly) return;
    const QString chosen = Choose(MergeDocumentDialog());
    if (chosen.isEmpty()) return;
    const std::string path = DocumentPath(chosen);
    if (qv::CheckFragmentFile(path) != qv::FragmentFileCheck::FragmentFile) {
        const QString question = Bracket(path) + texts::Q(texts::kMergeNotFragmentFile);
        if (services_.Prompts().Warning(qv::ToCp932(question), qv::PromptButtons::OkCancel) !=
            qv::PromptAnswer::Ok)
            return;
    }
    if (!ReportReadFailure(qv::ReadFragmentFile(*set, path, true), path)) return;
    set->MarkModified();
    set->RedrawAll();
    set->RefreshRequest();
}

bool FileCommands::FileSave() {
    TMDIChild* child = documents_.ActiveChild();
    if (!child || child->Set().ReadOnly) return false;
    if (child->Set().FileName.empty()) return FileSaveAs();
    if (!documents_.Save(*child)) return false;
    documents_.ShowMessage(Shown(child->Set().FileName) + texts::Q(texts::kSavedMessage));
    return true;
}

bool FileCommands::FileSaveAs() {
    TMDIChild* child = documents_.ActiveChild();
    return child && documents_.SaveAs(*child);
}

void FileCommands::FileClose() {
    documents_.CloseActive();
}

void FileCommands::FileAllSaveEnd() {
    const std::string lastFile = documents_.SaveAndCloseAll();
    // The windows are closed by now; the one that was active is still the one to reopen.
    documents_.RememberAtExit(lastFile);
    window_.close();
    documents_.RememberAtExit(std::nullopt);
}

void FileCommands::FileImport() {
    qv::FragSet* set = documents_.ActiveDocument();
    if (!set || set->ReadOnly) return;
    const QString chosen = Choose(ImportTextDialog());
    if (chosen.isEmpty()) return;
    const std::string path = DocumentPath(chosen);
    if (ReportReadFailure(qv::ImportTextFile(*set, path), path)) set->RedrawAll();
}

void FileCommands::FileExport() {
    qv::FragSet* set = documents_.ActiveDocument();
    if (!set) return;
    const QString chosen = Choose(ExportTextDialog());
    if (chosen.isEmpty()) return;
    const std::string path = DocumentPath(chosen);
    if (const qv::WriteResult written = qv::ExportText(*set, path); !written) {
        Warn(services_.Prompts(), Bracket(path) + texts::Q(texts::kTextNotExported) +
                                      qv::WriteFailureReason(written, path));
        return;
    }
    documents_.ShowMessage(Shown(path) + texts::Q(texts::kExported));
}
