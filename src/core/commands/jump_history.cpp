#include "core/commands/jump_history.h"

#include <algorithm>
#include <cctype>

#include "core/settings/env_data.h"
#include "core/settings/paths.h"

namespace qv {

void JumpHistory::RecordCurrent(std::string_view path) {
    const int size = static_cast<int>(entries_.size());
    if (position_ < 0) position_ = 0;
    if (position_ >= size) {
        position_ = size;
        entries_.emplace_back(path);
    } else {
        entries_[static_cast<std::size_t>(position_)] = std::string(path);
    }
}

void JumpHistory::RecordJump(std::string_view activePath) {
    RecordCurrent(activePath);
    ++position_;
}

bool CanGoHome(const EnvData& env) {
    return !env.HomeWindow.empty();
}

std::optional<std::string> JumpHistory::GoBack(const std::string* activePath) {
    if (!CanGoBack()) return std::nullopt;
    if (activePath) RecordCurrent(*activePath);
    --position_;
    return entries_[static_cast<std::size_t>(position_)];
}

std::optional<std::string> JumpHistory::GoForward() {
    if (!CanGoForward()) return std::nullopt;
    ++position_;
    return entries_[static_cast<std::size_t>(position_)];
}

std::optional<std::string> JumpHistory::GoHome(const std::string* activePath,
                                               const std::string& homePath) {
    if (homePath.empty()) return std::nullopt;
    if (activePath && *activePath != homePath) RecordJump(*activePath);
    return homePath;
}

std::optional<WebAddress> AsWebAddress(std::string_view link) {
    if (link.empty() || !std::isalpha(static_cast<unsigned char>(link[0]))) return std::nullopt;
    std::size_t i = 1;
    while (i < link.size()) {
        const auto c = static_cast<unsigned char>(link[i]);
        if (std::isalnum(c) || c == '+' || c == '-' || c == '.') {
            ++i;
            continue;
        }
        break;
    }
    if (link.substr(i, 3) != "://") return std::nullopt;
    WebAddress web;
    for (std::size_t k = 0; k < i; ++k)
        web.Scheme += static_cast<char>(std::tolower(static_cast<unsigned char>(link[k])));
    return web;
}

bool IsBrowserScheme(std::string_view lowerScheme) {
    return lowerScheme == "http" || lowerScheme == "https";
}

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

}  // namespace

std::optional<FileAddress> AsFileAddress(std::string_view link) {
    constexpr std::string_view kScheme = "file:";
    if (!StartsWithNoCase(link, kScheme)) return std::nullopt;
    FileAddress address;
    // The unescaped characters are code page 932 like any link; escapes stand for the bytes of
    // the file's name on this system.
    const std::optional<std::string> native = PathFromStorage(link);
    if (!native) return address;
    std::string_view rest = std::string_view(*native).substr(kScheme.size());
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        const bool local =
            host.empty() || (host.size() == 9 && StartsWithNoCase(host, "localhost"));
        if (slash == std::string_view::npos || !local) return address;
        rest.remove_prefix(slash);
    }
    if (rest.empty() || rest.front() != '/') return address;
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string path;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 &&
            HexValue(rest[i + 2]) >= 0) {
            path += static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2]));
            i += 2;
        } else {
            path += rest[i];
        }
    }
    if (path.find('\0') != std::string::npos) return address;
    address.Path = std::move(path);
    return address;
}

std::optional<std::string> LinkFilePath(std::string_view link, std::string_view documentPath) {
    std::optional<std::string> native = PathFromStorage(link);
    if (!native) return std::nullopt;
    // Converted first, so that a backslash is a character of its own and never a trail byte.
    std::string path = std::move(*native);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path.front() == '/' || documentPath.empty()) return path;
    const std::size_t slash = documentPath.rfind('/');
    if (slash == std::string_view::npos) return path;
    const std::string candidate =
        AbsoluteDocumentPath(path, documentPath.substr(0, slash == 0 ? 1 : slash));
    if (DocumentExists(candidate)) return candidate;
    return path;
}

}  // namespace qv
