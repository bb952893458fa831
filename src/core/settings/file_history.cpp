#include "core/settings/file_history.h"

#include <vector>

#include "core/settings/paths.h"
#include "core/text/text_helpers.h"

namespace qv {

namespace {

// Path, 100 group flags, vertical and horizontal scroll position, group.
constexpr std::size_t kFields = 1 + kFileHistoryGroups + 3;
// The older layout: 40 group flags before the last three.
constexpr std::size_t kOldGroups = 40;

int FieldAsInt(const std::string& field, int fallback) {
    return ParseInt(field).value_or(fallback);
}

}  // namespace

std::optional<FileHistoryRecord> FileHistoryRecord::ForDocument(std::string_view path) {
    const auto stored = PathForStorage(path);
    if (!stored.Exact || stored.Bytes.empty()) return std::nullopt;
    FileHistoryRecord record;
    record.StoredPath = stored.Bytes;
    return record;
}

FileHistoryRecord FileHistoryRecord::Parse(std::string_view line) {
    std::vector<std::string> fields;
    SplitFields(line, kFields, fields);
    fields.resize(kFields);
    if (fields[kFields - 1].empty()) {
        // The older layout: its last three fields stand where groups 41..43 do now.
        for (std::size_t k = 1; k <= 3; ++k) {
            fields[kFileHistoryGroups + k] = std::move(fields[kOldGroups + k]);
            fields[kOldGroups + k].clear();
        }
    }
    FileHistoryRecord record;
    record.StoredPath = fields[0];
    for (std::size_t g = 0; g < static_cast<std::size_t>(kFileHistoryGroups); ++g)
        record.GroupShown[g] = FieldAsInt(fields[1 + g], 1) == 1;
    constexpr std::size_t tail = 1 + kFileHistoryGroups;
    record.ScrollY = FieldAsInt(fields[tail], 0);
    record.ScrollX = FieldAsInt(fields[tail + 1], 0);
    const int group = FieldAsInt(fields[tail + 2], 1);
    record.GroupListGroup = (group < 0 || group > kFileHistoryGroups) ? 1 : group;
    return record;
}

std::string FileHistoryRecord::Write() const {
    const std::string quoted = ReplaceAll(StoredPath, "\"", "\"\"");
    std::string line;
    line.reserve(quoted.size() + 2 + 2 * kFileHistoryGroups + 24);
    line += '"';
    line += quoted;
    line += '"';
    for (bool shown : GroupShown)
        line += shown ? ",1" : ",0";
    line += ',' + std::to_string(ScrollY);
    line += ',' + std::to_string(ScrollX);
    line += ',' + std::to_string(GroupListGroup);
    return line;
}

std::optional<std::string> FileHistoryRecord::Path() const {
    return PathFromStorage(StoredPath);
}

std::string FileHistoryRecord::ComparablePath() const {
    if (StoredPath.empty()) return {};
    return AbsoluteDocumentPath(Path().value_or(std::string()));
}

}  // namespace qv
