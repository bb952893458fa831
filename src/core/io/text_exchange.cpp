#include "core/io/text_exchange.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include "core/model/frag_set.h"
#include "core/settings/env_data.h"

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

int ImportLinesImpl(FragSet& set, std::span<const std::string_view> lines, int group,
                    bool* cutShort);

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

std::optional<int> ExportText(const FragSet& set, std::string_view path, std::string* error) {
    const std::vector<std::string> lines = ExportLines(set);
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    if (!WriteFileAtomically(path, text, error)) return std::nullopt;
    return static_cast<int>(lines.size());
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

int ImportLines(FragSet& set, std::span<const std::string_view> lines, int group) {
    return ImportLinesImpl(set, lines, group, nullptr);
}

namespace {

int ImportLinesImpl(FragSet& set, std::span<const std::string_view> lines, int group,
                    bool* cutShort) {
    const EnvData& env = set.Env();
    int g = std::clamp(group, kNoGroup, kMaxGroup);
    bool plate = false;
    int created = 0;
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
        Fragment* f = set.AddFragment();
        if (!f) {
            if (cutShort) *cutShort = true;
            break;
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
    set.Recount();
    set.Modified = true;
    set.RefreshRequest();
    return created;
}

}  // namespace

int ImportStartGroup(const FragSet& set) {
    return set.Env().NewNoGroup ? kNoGroup : set.CurrentGroup();
}

int ImportTextFile(FragSet& set, std::string_view path, ReadStatus* status) {
    const FileBytes file = ReadFileBytes(path);
    if (status) *status = file.Status;
    if (file.Status != ReadStatus::Read) return set.Count();
    const std::vector<std::string_view> lines = SplitLines(file.Bytes);
    bool cutShort = false;
    ImportLinesImpl(set, lines, ImportStartGroup(set), &cutShort);
    if (status && cutShort) *status = ReadStatus::CutShort;
    return set.Count();
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
