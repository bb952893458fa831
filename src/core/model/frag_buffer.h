// FragBuffer (カットバッファ): the one program-wide store of fragment copies behind cut, copy and
// paste, shared by every open document.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/geom.h"
#include "core/model/arrow_line.h"
#include "core/model/fragment.h"
#include "core/model/ports.h"

namespace qv {

class EnvData;
class FragSet;

// Builds the clipboard text of a document's selection (the text form of import and export). The
// file helpers provide it; the buffer only calls it.
using ClipboardTextFn = std::function<std::string(FragSet&)>;

class FragBuffer {
  public:
    // `prompts` shows the limit warning; `clipboard` and `clipboardText` serve Cut and Copy.
    FragBuffer(const EnvData& env, Prompts& prompts, Clipboard& clipboard,
               ClipboardTextFn clipboardText = {});
    FragBuffer(const FragBuffer&) = delete;
    FragBuffer& operator=(const FragBuffer&) = delete;

    void SetClipboardText(ClipboardTextFn fn) { clipboardText_ = std::move(fn); }

    const std::vector<std::unique_ptr<Fragment>>& Fragments() const { return frags_; }
    int Count() const { return static_cast<int>(frags_.size()); }
    bool Empty() const { return frags_.empty(); }
    // Always empty: the buffer keeps no relation lines.
    const TArrowList& GroupLines() const { return lines_; }

    // Destroys every copy.
    void ClearBuffer();
    // A new copy without owner (Visible, numbered by a counter that is never reset), or nullptr
    // with the "これ以上断片を作れません" warning at kMaxFragments copies.
    Fragment* AddCopy();

    // The buffer operations on a document's selection. Each does nothing when nothing is selected.
    // CopySelection leaves nothing selected; CutSelection removes the cards from the document.
    void CopySelection(FragSet& set);
    void CutSelection(FragSet& set);
    // Duplicates the buffer into `set`: plainly 4 pixels right of and below the copies' places, or
    // with the copies' common top-left corner under `mouse` (client coordinates) and into the
    // group whose frame is there. The new cards are selected and on top.
    void PasteBuffer(FragSet& set, bool atMouse, Point mouse = {});

    // The Copy and Cut commands: the selection's clipboard text goes to the clipboard (when the
    // text builder gives one that is not empty), then CopySelection / CutSelection.
    void Copy(FragSet& set);
    void Cut(FragSet& set);

  private:
    void PutSelectionOnClipboard(FragSet& set);

    const EnvData& env_;
    Prompts& prompts_;
    Clipboard& clipboard_;
    ClipboardTextFn clipboardText_;
    std::vector<std::unique_ptr<Fragment>> frags_;
    TArrowList lines_;
    int zCounter_ = -1;
};

}  // namespace qv
