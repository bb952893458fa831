#include "core/model/frag_buffer.h"

#include <algorithm>

#include "core/model/frag_set.h"
#include "core/settings/env_data.h"

namespace qv {

FragBuffer::FragBuffer(const EnvData& env, Prompts& prompts, Clipboard& clipboard,
                       ClipboardTextFn clipboardText)
    : env_(env),
      prompts_(prompts),
      clipboard_(clipboard),
      clipboardText_(std::move(clipboardText)) {
    frags_.reserve(kMaxFragments);
}

void FragBuffer::ClearBuffer() {
    frags_.clear();
    lines_.clear();
}

Fragment* FragBuffer::AddCopy() {
    if (Count() >= kMaxFragments) {
        prompts_.Warning(kTooManyFragmentsText, PromptButtons::OkCancel);
        return nullptr;
    }
    auto f = std::make_unique<Fragment>(env_, nullptr);
    f->ZOrder = ++zCounter_;
    f->Visible = true;
    frags_.push_back(std::move(f));
    return frags_.back().get();
}

void FragBuffer::CopySelection(FragSet& set) {
    if (set.SelectionList.empty()) return;
    ClearBuffer();
    for (const auto& p : set.Fragments()) {
        if (!p->Selected) continue;
        Fragment* copy = AddCopy();
        if (!copy) break;
        copy->CopyFields(*p);
        p->SetSelected(false);
    }
    // Copying leaves nothing selected.
    for (const auto& p : set.Fragments())
        p->SetSelected(false);
    set.SelectionList.clear();
    set.RedrawAll();
}

void FragBuffer::CutSelection(FragSet& set) {
    if (set.SelectionList.empty()) return;
    ClearBuffer();
    std::vector<Fragment*> cut;
    for (const auto& p : set.Fragments()) {
        if (!p->Selected) continue;
        Fragment* copy = AddCopy();
        if (!copy) break;
        copy->CopyFields(*p);
        cut.push_back(p.get());
    }
    // Only what reached the buffer leaves the document.
    for (Fragment* f : cut)
        set.DestroyFragment(f);
    for (const auto& p : set.Fragments())
        p->SetSelected(false);
    set.SelectionList.clear();
    set.Recount();
    set.Modified = true;
    set.RefreshRequest();
}

void FragBuffer::PasteBuffer(FragSet& set, bool atMouse, Point mouse) {
    if (frags_.empty()) return;
    int next = set.HighestZOrder() + 1;
    int dx = 4, dy = 4, target = 0;
    if (atMouse) {
        Point origin{frags_.front()->Left, frags_.front()->Top};
        for (const auto& c : frags_) {
            origin.X = std::min(origin.X, c->Left);
            origin.Y = std::min(origin.Y, c->Top);
        }
        const Point p{std::max(mouse.X, 0), std::max(mouse.Y, 0)};
        target = set.GroupFrameAt(p.X, p.Y);
        dx = p.X + set.ScrollX() - origin.X;
        dy = p.Y + set.ScrollY() - origin.Y;
    }
    for (const auto& c : frags_) {
        Fragment* f = set.AddFragment();
        if (!f) break;
        f->CopyFields(*c);
        f->Left += dx;
        f->Top += dy;
        f->Right += dx;
        f->Bottom += dy;
        f->SetSelected(true);
        f->Visible = true;
        f->ZOrder = next++;
        if (atMouse && target > 0) f->Group = target;
        f->LoadPicture();
        f->MeasureAndDraw();
    }
    set.SortByZOrder();
    set.Recount();
    set.RebuildSelection();
    set.Modified = true;
    set.RefreshRequest();
}

void FragBuffer::PutSelectionOnClipboard(FragSet& set) {
    if (set.SelectionList.empty() || !clipboardText_) return;
    const std::string text = clipboardText_(set);
    if (!text.empty()) clipboard_.SetText(text);
}

void FragBuffer::Copy(FragSet& set) {
    PutSelectionOnClipboard(set);
    CopySelection(set);
}

void FragBuffer::Cut(FragSet& set) {
    PutSelectionOnClipboard(set);
    CutSelection(set);
}

}  // namespace qv
