// Following a card's link. A fragment file opens inside the program (recorded in the jump
// history); a web address with http or https goes to the browser, any other scheme only after
// asking, naming the application that would take it; a file address is a path; any other file goes
// to the desktop's default application, and a program (an executable of any system, a script, a
// desktop entry: told by its content, through symbolic links) only after the user agreed. The
// program itself never runs a file. Missing targets and files no application takes are reported.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <string>

#include "core/commands/jump_history.h"
#include "core/model/ports.h"

namespace qv {

class EnvData;

// What the desktop would do with a local file: run it, or show it.
struct ProgramCheck {
    bool IsProgram = false;
    QString Description;  // the content type's description, for the question
};
// Looks at the file's content type (following symbolic links), not its execute bit, which every
// file on some mounted disks has.
ProgramCheck CheckProgram(const QString& localPath);

// What following a link needs of the program's open documents.
class LinkDocuments {
  public:
    virtual ~LinkDocuments() = default;
    // Opens a document (file-system path) inside the program; false when no window came of it.
    virtual bool OpenLinkedDocument(const std::string& path) = 0;
    // Maximises the active document window (Home with HomWinMaximize).
    virtual void MaximiseActiveDocument() = 0;
};

class LinkFollower final : public LinkOpener {
  public:
    // Hands an address to the desktop; false when no application took it.
    using OpenExternallyFn = std::function<bool(const QUrl& url)>;

    LinkFollower(EnvData& env, Prompts& prompts);

    // Where documents open; null: nowhere (links to documents then open nothing).
    void SetDocuments(LinkDocuments* documents) { documents_ = documents; }
    void SetOpenExternally(OpenExternallyFn fn) { openExternally_ = std::move(fn); }
    // Hands `url` to the desktop the way links are (the guide, for one).
    bool OpenExternally(const QUrl& url) const { return openExternally_ && openExternally_(url); }

    // Follows the link of `fragment` in `set` (deselecting it first).
    void OpenLink(FragSet& set, Fragment& fragment) override;
    // The jump command: the links of every selected card, in selection order.
    void JumpSelection(FragSet& set);
    // Back, Forward and Home; `active` is the active document, or null.
    void GoBack(const FragSet* active);
    void GoForward();
    void GoHome(const FragSet* active);
    // The documents the jumps left.
    const JumpHistory& Jumps() const { return jumps_; }

  private:
    void OpenFile(const std::string& path, const std::string& cp932Link);
    // `scheme` is lower case; anything but http and https is opened only after asking.
    void OpenWeb(const std::string& cp932Link, const std::string& scheme);

    EnvData& env_;
    Prompts& prompts_;
    JumpHistory jumps_;
    LinkDocuments* documents_ = nullptr;
    OpenExternallyFn openExternally_;
};

}  // namespace qv
