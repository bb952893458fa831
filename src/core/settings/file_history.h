// One document's line in the recent-file history ([FileHistory] File0 … File19): where the
// document is and how it was left — the groups shown, the scroll position and the group-list
// group. The settings keep the lines exactly as stored; every reader goes through Parse and the
// only writer is Write.
//
// A line: the path in double quotes (inner quotes doubled, code page 932), 1 or 0 for each of the
// groups 1..100 (shown or hidden), the vertical and horizontal scroll positions and the group.
// An older layout had 40 group fields before the last three.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// Groups a record has a shown flag for (groups 1..100).
inline constexpr int kFileHistoryGroups = 100;

struct FileHistoryRecord {
    // The path as the settings file holds it (code page 932); empty when the line names none.
    std::string StoredPath;
    // Group g (1..100) at [g - 1]; a missing or unreadable flag counts as shown, any number but 1
    // as hidden.
    std::array<bool, kFileHistoryGroups> GroupShown = MakeAllShown();
    int ScrollY = 0;
    int ScrollX = 0;
    // 0..100; anything else reads as 1.
    int GroupListGroup = 1;

    // The record of the document at the file-system path `path`, with every group shown and no
    // scrolling; none when code page 932 cannot hold the path exactly (such a document gets no
    // record rather than one naming another file) or it is empty.
    static std::optional<FileHistoryRecord> ForDocument(std::string_view path);
    // Reads a stored line; never fails: what is missing or malformed takes the defaults above.
    static FileHistoryRecord Parse(std::string_view line);
    // The line as it is stored.
    std::string Write() const;

    // The document's file-system path; none when the stored path cannot be given back.
    std::optional<std::string> Path() const;
    // The absolute path records are compared by; empty when the line names none.
    std::string ComparablePath() const;

    friend bool operator==(const FileHistoryRecord&, const FileHistoryRecord&) = default;

  private:
    static constexpr std::array<bool, kFileHistoryGroups> MakeAllShown() {
        std::array<bool, kFileHistoryGroups> all{};
        all.fill(true);
        return all;
    }
};

}  // namespace qv
