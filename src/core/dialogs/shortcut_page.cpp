#include "core/dialogs/shortcut_page.h"

#include <algorithm>

namespace qv {

void ShortcutList::Fill(CommandKeyTable& table) {
    table_ = &table;
    categories_.clear();
    rows_.clear();
    const int n = table.CommandCount();
    rows_.reserve(static_cast<std::size_t>(std::max(n, 0)));
    for (int i = 0; i < n; ++i) {
        const std::string_view category = table.CommandCategory(i);
        if (std::find(categories_.begin(), categories_.end(), category) == categories_.end())
            categories_.emplace_back(category);
        std::string row(table.CommandCaption(i));
        row += '\t';
        row += ShortCutToText(table.CommandKey(i));
        rows_.push_back(std::move(row));
    }
}

int ShortcutList::FirstRowOf(std::string_view category) const {
    if (!table_) return -1;
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i)
        if (table_->CommandCategory(i) == category) return i;
    return -1;
}

std::string_view ShortcutList::CategoryOf(int row) const {
    if (!table_ || row < 0 || row >= static_cast<int>(rows_.size())) return {};
    return table_->CommandCategory(row);
}

std::string ShortcutList::BuildText(bool shift, bool ctrl, bool alt, std::string_view keyName) {
    std::string text;
    if (shift) text += "Shift+";
    if (ctrl) text += "Ctrl+";
    if (alt) text += "Alt+";
    text += keyName;
    return text;
}

void ShortcutList::SetRowShortcut(int row, std::string_view text) {
    std::string& r = rows_[static_cast<std::size_t>(row)];
    const std::size_t tab = r.rfind('\t');
    r.erase(tab == std::string::npos ? r.size() : tab + 1);
    if (tab == std::string::npos) r += '\t';
    r += text;
}

void ShortcutList::Change(int row, bool shift, bool ctrl, bool alt, std::string_view keyName) {
    if (!table_ || row < 0 || row >= static_cast<int>(rows_.size())) return;
    const std::string text = BuildText(shift, ctrl, alt, keyName);
    SetRowShortcut(row, text);
    table_->SetCommandKey(row, TextToShortCut(text));
}

void ShortcutList::Clear(int row) {
    if (!table_ || row < 0 || row >= static_cast<int>(rows_.size())) return;
    SetRowShortcut(row, {});
    table_->SetCommandKey(row, 0);
}

}  // namespace qv
