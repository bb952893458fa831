// The shortcut page of the options dialog without its widgets: the categories, one row per
// command ("caption<TAB>Shift+Ctrl+F5"), and the change and clear buttons, which act on the
// commands at once (the options dialog's Cancel does not undo them).
//
// The commands come from a CommandKeyTable, so the page works on whatever command list the
// program has; the texts are shown as given.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/settings/shortcut.h"

namespace qv {

class CommandKeyTable {
  public:
    virtual ~CommandKeyTable() = default;
    virtual int CommandCount() const = 0;
    virtual std::string_view CommandCategory(int index) const = 0;
    virtual std::string_view CommandCaption(int index) const = 0;
    virtual ShortCut CommandKey(int index) const = 0;
    // Gives the command its new key at once (0: none).
    virtual void SetCommandKey(int index, ShortCut key) = 0;
};

class ShortcutList {
  public:
    // Rows and categories of `table`, in command order; `table` must outlive this.
    void Fill(CommandKeyTable& table);

    const std::vector<std::string>& Categories() const { return categories_; }
    const std::vector<std::string>& Rows() const { return rows_; }

    // The first command of a category, or -1.
    int FirstRowOf(std::string_view category) const;
    // The category of a row, or an empty text.
    std::string_view CategoryOf(int row) const;

    // The shortcut text the change button builds: "Shift+", "Ctrl+", "Alt+" as checked, then the
    // chosen key name (possibly empty).
    static std::string BuildText(bool shift, bool ctrl, bool alt, std::string_view keyName);
    // "変更": the row shows the built text and the command takes its code at once (a text without
    // a key name gives no shortcut). Nothing without a valid row.
    void Change(int row, bool shift, bool ctrl, bool alt, std::string_view keyName);
    // "解除": the row loses its shortcut text and the command its key. Nothing without a row.
    void Clear(int row);

  private:
    void SetRowShortcut(int row, std::string_view text);

    CommandKeyTable* table_ = nullptr;
    std::vector<std::string> categories_;
    std::vector<std::string> rows_;
};

}  // namespace qv
