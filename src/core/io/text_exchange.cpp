#include "core/io/text_exchange.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <vector>

#include "core/fs/file_identity.h"
#include "core/fs/read_file.h"
#include "core/io/fragment_file.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/text/text_helpers.h"

namespace qv {

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

// The plate that names a group: its first name plate in list order.
const Fragment* FirstNamePlate(const std::vector<const Fragment*>& members) {
    for (const Fragment* f : members)
        if (f->Kind == FragmentKind::NamePlate) return f;
    return nullptr;
}

// Members of every group in list (stacking) order.
std::array<std::vector<const Fragment*>, kGroupRows> MembersByGroup(const FragSet& set) {
    std::array<std::vector<const Fragment*>, kGroupRows> members;
    for (const auto& p : set.Fragments())
        if (FragSet::IsGroupNumber(p->Group))
            members[static_cast<std::size_t>(p->Group)].push_back(p.get());
    return members;
}

}  // namespace

std::vector<std::string> ExportLines(const FragSet& set) {
    const auto members = MembersByGroup(set);
    std::vector<std::string> lines;
    for (int g = kNoGroup; g <= kMaxGroup; ++g) {
        const auto& list = members[static_cast<std::size_t>(g)];
        if (list.empty()) continue;
        if (g == kNoGroup) {
            lines.emplace_back(kNoGroupSection);
        } else if (const Fragment* plate = FirstNamePlate(list)) {
            lines.push_back(";" + plate->Text);
        } else {
            lines.push_back(std::string(kGroupSection) + std::to_string(g));
        }
        for (const Fragment* f : list)
            if (f->Kind == FragmentKind::Text) lines.push_back(f->Text);
        lines.emplace_back(kGroupEndLine);
    }
    return lines;
}

std::string ExportTextBytes(const FragSet& set) {
    std::string text;
    for (const std::string& line : ExportLines(set)) {
        text += line;
        text += "\r\n";
    }
    return text;
}

WriteResult ExportText(const FragSet& set, std::string_view path, int* lines) {
    const std::string text = ExportTextBytes(set);
    if (text.size() > kMaxDocumentFileSize)
        return {WriteProblem::TooLarge, "not writing " + std::string(path) +
                                            ": the text would be larger than an import can read"};
    WriteResult written = ReplaceFileAtomically(std::filesystem::path(path), text);
    if (written && lines) *lines = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    return written;
}

std::string ClipboardText(const FragSet& set) {
    if (set.SelectionList.empty()) return {};
    std::vector<Fragment*> selection = set.SelectionList;
    if (set.Env().ClipPosSort)
        FragSet::SortByPosition(selection);
    else
        set.SortByStacking(selection);
    const auto members = MembersByGroup(set);
    std::string text;
    for (int g = kNoGroup; g <= kMaxGroup; ++g) {
        const auto& list = members[static_cast<std::size_t>(g)];
        if (list.empty()) continue;
        if (g == kNoGroup) {
            text += kNoGroupSection;
            text += '\n';
        } else if (const Fragment* plate = FirstNamePlate(list); plate && plate->Selected) {
            text += ';';
            text += plate->Text;
            text += '\n';
        }
        for (const Fragment* f : selection) {
            if (f->Group != g || f->Kind != FragmentKind::Text) continue;
            text += f->Text;
            text += '\n';
        }
    }
    return text;
}

int ImportLines(FragSet& set, std::span<const std::string_view> lines, int group, int* dropped) {
    const EnvData& env = set.Env();
    int g = std::clamp(group, kNoGroup, kMaxGroup);
    bool plate = false;
    int created = 0;
    int left = 0;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string_view line = lines[k];
        if (line.empty()) continue;
        if (line == kGroupEndLine) {
            plate = false;
            g = std::min(g + 1, kMaxGroup);
            continue;
        }
        if (StartsWith(line, kGroupSection)) {
            const int n = ParseInt(line.substr(kGroupSection.size())).value_or(0);
            if (n >= 1 && n <= kMaxGroup) {
                g = n;
                plate = false;  // a new group can have its own name plate
                continue;
            }
        } else if (StartsWith(line, kNoGroupSection)) {
            g = kNoGroup;
            plate = false;
            continue;
        }
        // Past the limit the lines that would have made cards are only counted.
        Fragment* f = left > 0 ? nullptr : set.AddFragment();
        if (!f) {
            ++left;
            continue;
        }
        // No group has no name plate: its ";" line names nothing, so it becomes that name as text.
        if (line.front() == ';' && !plate) {
            f->Text = std::string(line.substr(1));
            f->Kind = g == kNoGroup ? FragmentKind::Text : FragmentKind::NamePlate;
            f->ColFG = env.Colors.NamFrgFG;
            f->ColBG = env.Colors.NamFrgBG;
            f->Columns = env.NamWidth;
            f->Lines = env.NamHeight;
            plate = true;
        } else {
            f->Text = std::string(line);
            f->Kind = FragmentKind::Text;
            f->ColFG = env.Colors.DefFrgFG;
            f->ColBG = env.Colors.DefFrgBG;
            f->Columns = env.FrgWidth;
            f->Lines = env.FrgHeight;
        }
        f->Group = g;
        set.GroupTable[static_cast<std::size_t>(g)].Shown = true;
        const int index =
            static_cast<int>(std::min<std::size_t>(k, std::numeric_limits<int>::max()));
        const Point p = set.NewFragmentPosition(f->Columns, f->Lines, index);
        f->Left = p.X;
        f->Top = p.Y;
        f->Measure();
        ++created;
    }
    if (dropped) *dropped = left;
    set.Recount();
    set.Modified = true;
    set.RefreshRequest();
    return created;
}

int ImportStartGroup(const FragSet& set) {
    return set.Env().NewNoGroup ? kNoGroup : set.CurrentGroup();
}

ReadResult ImportTextFile(FragSet& set, std::string_view path, std::optional<int> group) {
    const std::filesystem::path file(path);
    const WholeFile bytes = ReadWholeFile(file, kMaxDocumentFileSize);
    if (bytes.Status != WholeFile::Result::Read) return ReadResult::Failed(bytes);
    ReadResult result;
    std::string converted;
    const std::string_view text = Cp932Text(bytes.Bytes, converted, result);
    const std::vector<std::string_view> lines = SplitLines(text);
    result.CardsRead =
        ImportLines(set, lines, group ? *group : ImportStartGroup(set), &result.CardsDropped);
    result.Status = result.CardsDropped > 0 ? ReadStatus::CutShort : ReadStatus::Read;
    if (!result.Complete()) {
        if (const auto id = IdentityOf(file)) set.IncompleteSources.push_back(*id);
    }
    return result;
}

int ImportClipboard(FragSet& set) {
    const Clipboard& clipboard = set.Context().clipboard;
    const std::string text = clipboard.Text();
    const std::vector<std::string> unheld = clipboard.UnheldLines();
    if (!unheld.empty()) {
        // Lines the cards cannot hold are left out rather than stored with "?" in them.
        constexpr std::size_t kShownLines = 10;
        std::string message(kUnheldClipboardLines);
        for (std::size_t i = 0; i < unheld.size() && i < kShownLines; ++i)
            message += "\n" + unheld[i];
        if (unheld.size() > kShownLines) message += "\n...";
        set.Context().prompts.Warning(message, PromptButtons::Ok);
    }
    const std::vector<std::string_view> lines = SplitLines(text);
    ImportLines(set, lines, ImportStartGroup(set));
    return set.Count();
}

}  // namespace qv
