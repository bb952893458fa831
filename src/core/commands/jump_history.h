// The browser-like history of documents (file-system paths) left by link jumps, and how a card's
// link text is read: a web address or a path. The main window opens the documents; this keeps the
// history rules.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class EnvData;

// The documents left by jumps, oldest first, and the place of the active one among them. It lives
// as long as the program runs and is never stored.
class JumpHistory {
  public:
    const std::vector<std::string>& Entries() const { return entries_; }
    int Position() const { return position_; }

    // Records the current document (its path, empty for an untitled one) at the current
    // position: appended at the end, else replacing the entry there. Later entries stay.
    void RecordCurrent(std::string_view path);
    // A jump leaves the active document: record it, then step forward.
    void RecordJump(std::string_view activePath);

    bool CanGoBack() const { return position_ > 0; }
    bool CanGoForward() const { return position_ + 1 < static_cast<int>(entries_.size()); }

    // The document Back opens (the active document, when there is one, is recorded first); none
    // when there is no earlier entry.
    std::optional<std::string> GoBack(const std::string* activePath);
    // The document Forward opens; nothing is recorded.
    std::optional<std::string> GoForward();
    // The home document `homePath` (a file-system path; none when empty); an active document
    // other than home is recorded as a jump.
    std::optional<std::string> GoHome(const std::string* activePath, const std::string& homePath);

  private:
    std::vector<std::string> entries_;
    int position_ = 0;
};

// Whether the settings name a home document.
bool CanGoHome(const EnvData& env);

// A link is a web address only when it starts with a scheme (a letter, then letters, digits,
// "+", "-" or ".") followed by "://".
struct WebAddress {
    std::string Scheme;  // lower case
};
std::optional<WebAddress> AsWebAddress(std::string_view link);
// http and https open in the browser without asking.
bool IsBrowserScheme(std::string_view lowerScheme);

// A "file:" address as a link ("file:///home/u/a.txt", "file://localhost/...", "file:/..."),
// which names a local file just as a path does and is checked like one.
struct FileAddress {
    // The file, percent escapes decoded, query and fragment dropped, as a file-system path. None
    // when the address names another host, is relative, holds a NUL or is not valid code page 932.
    std::optional<std::string> Path;
};
std::optional<FileAddress> AsFileAddress(std::string_view link);

// The file a path link (code page 932, as a card keeps it) names, as a file-system path:
// backslashes become folder separators (a trail byte 0x5C is part of its character), and a
// relative path is taken from the folder of `documentPath` when a file is there. None when the
// link is not valid code page 932 (it would name another file).
std::optional<std::string> LinkFilePath(std::string_view link, std::string_view documentPath);

}  // namespace qv
