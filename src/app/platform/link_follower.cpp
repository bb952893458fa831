#include "app/platform/link_follower.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeDatabase>
#include <array>

#include "app/platform/scheme_handler.h"
#include "app/texts.h"
#include "core/commands/jump_history.h"
#include "core/io/fragment_file.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "core/settings/paths.h"
#include "render/text/qt_text.h"

namespace qv {

namespace {

// Content types the desktop would run rather than show, with their relatives.
constexpr std::array<const char*, 27> kProgramTypes = {
    "application/x-executable",
    "application/x-pie-executable",
    "application/x-sharedlib",
    "application/x-elf",
    "application/x-shellscript",
    "application/x-csh",
    "application/x-desktop",
    "application/x-ms-dos-executable",
    "application/x-msdownload",
    "application/vnd.microsoft.portable-executable",
    "application/x-msi",
    "application/x-ms-shortcut",
    "application/x-bat",
    "application/x-java-archive",
    "application/x-java-jnlp-file",
    "application/vnd.appimage",
    "application/x-iso9660-appimage",
    "application/x-perl",
    "text/x-python",
    "text/x-python3",
    "application/x-ruby",
    "application/x-php",
    "text/x-tcl",
    "application/javascript",
    "application/x-powershell",
    "application/vnd.flatpak.ref",
    "application/x-flatpak",
};

// Names the desktop runs by their ending, whatever their content looks like.
constexpr std::array<const char*, 16> kProgramSuffixes = {
    "desktop", "exe", "com", "bat", "cmd",      "scr", "msi", "ps1",
    "vbs",     "jar", "sh",  "run", "appimage", "pif", "lnk", "wsf",
};

bool HasProgramType(const QMimeType& type) {
    for (const char* name : kProgramTypes)
        if (type.inherits(QLatin1String(name))) return true;
    return false;
}

// "[" + link + a text of the program that starts with "]".
std::string Bracketed(const std::string& cp932, const QString& tail) {
    return "[" + cp932 + ToCp932(tail);
}

}  // namespace

ProgramCheck CheckProgram(const QString& localPath) {
    ProgramCheck check;
    const QFileInfo link(localPath);
    const QString target = link.isSymLink() ? link.canonicalFilePath() : link.absoluteFilePath();
    const QFileInfo info(target.isEmpty() ? localPath : target);
    if (info.isDir()) return check;
    QMimeDatabase db;
    const QMimeType byContent =
        db.mimeTypeForFile(info.absoluteFilePath(), QMimeDatabase::MatchContent);
    const QMimeType byBoth = db.mimeTypeForFile(info.absoluteFilePath());
    for (const QMimeType& t : {byContent, byBoth}) {
        if (HasProgramType(t)) {
            check.IsProgram = true;
            check.Description = t.comment();
            return check;
        }
    }
    // The first bytes tell a script or a binary whatever the name says.
    QFile file(info.absoluteFilePath());
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray head = file.read(4);
        if (head.startsWith("#!") ||
            head.startsWith("\x7f"
                            "ELF") ||
            head.startsWith("MZ")) {
            check.IsProgram = true;
            check.Description = byContent.comment();
            return check;
        }
    }
    // The ending matters too: the link itself and the file it leads to.
    for (const QFileInfo& name : {link, info}) {
        const QString suffix = name.suffix().toLower();
        for (const char* s : kProgramSuffixes) {
            if (suffix == QLatin1String(s)) {
                check.IsProgram = true;
                check.Description = byBoth.comment();
                return check;
            }
        }
    }
    return check;
}

LinkFollower::LinkFollower(EnvData& env, Prompts& prompts)
    : env_(env),
      prompts_(prompts),
      openExternally_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {}

void LinkFollower::OpenLink(FragSet& set, Fragment& fragment) {
    if (!fragment.Visible) return;
    set.Deselect(fragment);
    if (fragment.Link.empty()) return;
    const std::string link = fragment.Link;

    std::optional<std::string> path;
    if (const auto file = AsFileAddress(link)) {
        // A file address names a local file like a path and gets the same checks.
        if (!file->Path) {
            prompts_.Warning(Bracketed(link, texts::Q(texts::kLinkBadAddress)), PromptButtons::Ok);
            return;
        }
        path = file->Path;
    } else if (const auto web = AsWebAddress(link)) {
        OpenWeb(link, web->Scheme);
        return;
    } else {
        path = LinkFilePath(link, set.FileName);
    }
    if (!path || !QFileInfo::exists(QFile::decodeName(path->c_str()))) {
        prompts_.Warning(Bracketed(link, texts::Q(texts::kDoesNotExist)), PromptButtons::Ok);
        return;
    }
    if (CheckFragmentFile(*path) == FragmentFileCheck::FragmentFile) {
        jumps_.RecordJump(set.FileName);
        if (documents_) documents_->OpenLinkedDocument(AbsoluteDocumentPath(*path));
        return;
    }
    OpenFile(*path, link);
}

void LinkFollower::JumpSelection(FragSet& set) {
    // Following a link changes the selection, so walk a copy.
    const std::vector<Fragment*> selection = set.SelectionList;
    for (Fragment* f : selection) {
        const auto& all = set.Fragments();
        // A jump may have closed nothing, but stay safe if a card went away meanwhile.
        if (std::none_of(all.begin(), all.end(), [f](const auto& p) { return p.get() == f; }))
            continue;
        OpenLink(set, *f);
    }
    set.RefreshRequest();
}

void LinkFollower::GoBack(const FragSet* active) {
    const std::optional<std::string> path = jumps_.GoBack(active ? &active->FileName : nullptr);
    if (path && documents_) documents_->OpenLinkedDocument(*path);
}

void LinkFollower::GoForward() {
    const std::optional<std::string> path = jumps_.GoForward();
    if (path && documents_) documents_->OpenLinkedDocument(*path);
}

void LinkFollower::GoHome(const FragSet* active) {
    const std::optional<std::string> home = PathFromStorage(env_.HomeWindow);
    const std::optional<std::string> path =
        jumps_.GoHome(active ? &active->FileName : nullptr, home.value_or(std::string()));
    if (!path || !documents_) return;
    if (documents_->OpenLinkedDocument(*path) && env_.HomWinMaximize)
        documents_->MaximiseActiveDocument();
}

void LinkFollower::OpenFile(const std::string& path, const std::string& cp932Link) {
    // The desktop's opener does not read the keyboard, so a Shift still held from the gesture
    // needs no waiting for (waiting would freeze the window).
    const QString local = QFile::decodeName(path.c_str());
    const ProgramCheck program = CheckProgram(local);
    if (program.IsProgram) {
        const QString what =
            program.Description.isEmpty() ? texts::Q(texts::kProgramWord) : program.Description;
        const std::string question =
            Bracketed(cp932Link, texts::Q(texts::kLinkIsProgram).arg(what));
        if (prompts_.Question(question, PromptButtons::YesNoDefaultNo) != PromptAnswer::Yes) return;
    }
    if (!openExternally_ ||
        !openExternally_(QUrl::fromLocalFile(QFileInfo(local).absoluteFilePath())))
        prompts_.Warning(Bracketed(cp932Link, texts::Q(texts::kLinkNoApplication)),
                         PromptButtons::Ok);
}

void LinkFollower::OpenWeb(const std::string& cp932Link, const std::string& scheme) {
    const QUrl url(FromCp932(cp932Link), QUrl::TolerantMode);
    if (!url.isValid()) {
        prompts_.Warning(Bracketed(cp932Link, texts::Q(texts::kLinkBadAddress)), PromptButtons::Ok);
        return;
    }
    if (!IsBrowserScheme(scheme)) {
        // Another scheme may start any program the desktop has for it: say which.
        const QString handler = SchemeHandlerName(QString::fromStdString(scheme));
        const QString question = texts::Q(texts::kLinkOpenQuestion) +
                                 (handler.isEmpty() ? texts::Q(texts::kLinkHandlerUnknown)
                                                    : texts::Q(texts::kLinkHandler).arg(handler));
        if (prompts_.Question(Bracketed(cp932Link, question), PromptButtons::YesNoDefaultNo) !=
            PromptAnswer::Yes)
            return;
    }
    if (!openExternally_ || !openExternally_(url))
        prompts_.Warning(Bracketed(cp932Link, texts::Q(texts::kLinkNoApplication)),
                         PromptButtons::Ok);
}

}  // namespace qv
