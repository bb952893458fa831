#include "core/dialogs/stretch_dlg.h"

#include <algorithm>

#include "core/model/frag_set.h"
#include "core/settings/env_data.h"

namespace qv {

namespace {

constexpr std::string_view kPlacementPrefix = "Stretch";
constexpr int kDefaultOffset = 140;

}  // namespace

void StretchController::Open(FragSet& set, StretchTarget target, std::string label) {
    if (IsOpen()) Close(false);
    set_ = &set;
    target_ = target;
    label_ = std::move(label);
    set.History().Commit();
    modifiedBefore_ = set.Modified;
    set.TakeStretchBase();
    if (target == StretchTarget::Groups) {
        position_ = 100;
        ApplyCurrent();
    } else {
        ChooseDirection(StretchDirectionFrom(set.Env().StretchMode));
    }
}

std::string_view StretchController::Caption() const {
    return target_ == StretchTarget::Groups ? kStretchGroupsCaption : kStretchFragmentsCaption;
}

bool StretchController::PresetEnabled(int tag) const {
    if (tag < 0 || tag >= kPresetCount) return false;
    return target_ == StretchTarget::Fragments || PresetPosition(tag) >= 0;
}

int StretchController::NeutralPosition() const {
    return target_ == StretchTarget::Groups ? 100 : NeutralFactor(direction_);
}

void StretchController::ApplyCurrent() {
    if (!set_) return;
    if (target_ == StretchTarget::Groups)
        StretchGroups(*set_, position_);
    else
        StretchFragments(*set_, position_, direction_);
}

int StretchController::ChangePosition(int position) {
    position = std::clamp(position, kMinPosition, kMaxPosition);
    if (target_ == StretchTarget::Groups) position = std::max(position, 0);
    if (!IsOpen() || position == position_) return position_;
    position_ = position;
    ApplyCurrent();
    return position_;
}

void StretchController::ChooseDirection(StretchDirection direction) {
    if (!IsOpen() || target_ != StretchTarget::Fragments) return;
    direction_ = StretchDirectionFrom(static_cast<int>(direction));
    position_ = NeutralPosition();
    ApplyCurrent();
}

void StretchController::PressPreset(int tag) {
    if (!IsOpen() || !PresetEnabled(tag)) return;
    position_ = PresetPosition(tag);
    ApplyCurrent();
}

void StretchController::Apply() {
    if (!IsOpen()) return;
    set_->Modified = true;
    set_->History().Commit(label_);
    modifiedBefore_ = set_->Modified;
    set_->TakeStretchBase();
    // The new base at its neutral position is the layout itself: nothing to apply.
    position_ = NeutralPosition();
}

void StretchController::Close(bool accepted) {
    if (!IsOpen()) return;
    FragSet& set = *set_;
    set_ = nullptr;
    if (target_ == StretchTarget::Fragments) set.Env().StretchMode = static_cast<int>(direction_);
    if (accepted) {
        set.Modified = true;
        set.History().Commit(label_);
        set.RedrawAll();
    } else {
        // Reverting redraws the document itself; a cancelled stretch leaves the document as it
        // was at the last commit, modified or not.
        set.History().Revert();
        set.Modified = modifiedBefore_;
    }
}

WindowPlacement StretchDialogPlacement(const UsrIniFile& ini, Point mainWindowTopLeft) {
    return ReadPlacement(ini, kPlacementPrefix, 0, 0, mainWindowTopLeft.Y + kDefaultOffset,
                         mainWindowTopLeft.X + kDefaultOffset);
}

void SaveStretchDialogPlacement(UsrIniFile& ini, const std::optional<Rect>& bounds) {
    WritePlacement(ini, kPlacementPrefix, bounds, false);
}

}  // namespace qv
