#include "core/dialogs/scr_size_dlg.h"

#include <algorithm>

#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/text/text_helpers.h"

namespace qv {

void WholeSizeController::Open(FragSet* target) {
    target_ = target;
    fixed_ = false;
    int w = env_.DefScrWidth;
    int h = env_.DefScrHeight;
    int columns = 0;
    int rows = 0;
    minimum_ = {kMinSize, kMinSize, 0, 0};
    if (target) {
        fixed_ = target->FixedSize;
        if (fixed_) {
            w = target->FixedWidth;
            h = target->FixedHeight;
        } else {
            w = std::max(env_.DefScrWidth, target->WholeWidth);
            h = std::max(env_.DefScrHeight, target->WholeHeight);
        }
        minimum_[Width] = std::min(target->UsedWidth, kMaxSize);
        minimum_[Height] = std::min(target->UsedHeight, kMaxSize);
        columns = target->DivColumns;
        rows = target->DivRows;
    }
    texts_ = {std::to_string(w), std::to_string(h), std::to_string(columns), std::to_string(rows)};
}

bool WholeSizeController::SetText(Field f, std::string_view text) {
    if (text.size() > static_cast<std::size_t>(MaxDigits(f))) return false;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    texts_[f] = std::string(text);
    return true;
}

int WholeSizeController::Number(Field f, int fallback) const {
    return ParseInt(texts_[f]).value_or(fallback);
}

bool WholeSizeController::CanStep(Field f, int steps) const {
    const int value = Number(f, Minimum(f));
    return steps > 0 ? value < Maximum(f) : value > Minimum(f);
}

const std::string& WholeSizeController::Step(Field f, int steps) {
    // A value typed outside the bounds steps from the bound it lies beyond.
    const int value = std::clamp(Number(f, Minimum(f)), Minimum(f), Maximum(f));
    texts_[f] = std::to_string(std::clamp(value + steps, Minimum(f), Maximum(f)));
    return texts_[f];
}

bool WholeSizeController::DivisionActive() const {
    return Number(Columns, 0) > 1 || Number(Rows, 0) > 1;
}

bool WholeSizeController::Accept() {
    if (!target_) return false;
    target_->FixedSize = fixed_;
    // A size of 0 is no page at all: it counts as not typed, like an empty edit.
    const int w = Number(Width, 0);
    const int h = Number(Height, 0);
    if (w > 0) env_.DefScrWidth = w;
    if (h > 0) env_.DefScrHeight = h;
    target_->FixedWidth = env_.DefScrWidth;
    target_->FixedHeight = env_.DefScrHeight;
    target_->DivColumns = Number(Columns, 0);
    target_->DivRows = Number(Rows, 0);
    target_->Modified = true;
    target_->RedrawAll();
    return true;
}

}  // namespace qv
