// The behaviour of the stretch dialog (TStretchDlg) without its widgets. The dialog forwards its
// events here and shows what the controller reports: the caption, whether the direction panel
// shows, which preset buttons are enabled, the slider position and the chosen direction.
//
//   show        -> Open(set, target, label)         then read Position(), Direction(), Caption()
//   slider      -> ChangePosition(value)            then show the returned position
//   direction   -> ChooseDirection(d)               then show Position()
//   preset k    -> PressPreset(k)                   then show Position()
//   Apply       -> Apply()                          then show Position()
//   OK / Cancel -> Close(true) / Close(false)       (closing the window counts as Cancel)
//
// Opening takes every card's rectangle as the base every slider position is computed from. Apply
// makes the layout one step of the document's edit history (named by the label) and the new base;
// OK does the same and closes; Cancel puts back the layout of the last step and records nothing.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/geom.h"
#include "core/layout/stretch.h"
#include "core/settings/window_state.h"

namespace qv {

class FragSet;
class UsrIniFile;

enum class StretchTarget { Fragments, Groups };

// Texts of the dialog, code page 932.
// "断片位置の伸縮" and "グループ位置の伸縮": the captions of fragment and group mode.
inline constexpr std::string_view kStretchFragmentsCaption =
    "\x92\x66\x95\xd0\x88\xca\x92\x75\x82\xcc\x90\x4c\x8f\x6b";
inline constexpr std::string_view kStretchGroupsCaption =
    "\x83\x4f\x83\x8b\x81\x5b\x83\x76\x88\xca\x92\x75\x82\xcc\x90\x4c\x8f\x6b";
// "方向": the caption of the direction choice.
inline constexpr std::string_view kStretchDirectionCaption = "\x95\xfb\x8c\xfc";
// The direction items in StretchDirection order: "放射(&C)", "斜め(&L)", "左右(&H)", "上下(&V)",
// "回転(&R)", "縦横(&X)".
inline constexpr std::array<std::string_view, kStretchDirectionCount> kStretchDirectionItems = {
    "\x95\xfa\x8e\xcb\x28\x26\x43\x29", "\x8e\xce\x82\xdf\x28\x26\x4c\x29",
    "\x8d\xb6\x89\x45\x28\x26\x48\x29", "\x8f\xe3\x89\xba\x28\x26\x56\x29",
    "\x89\xf1\x93\x5d\x28\x26\x52\x29", "\x8f\x63\x89\xa1\x28\x26\x58\x29"};
// The preset buttons' captions: the size of the factor each one sets.
inline constexpr std::array<std::string_view, 5> kStretchPresetCaptions = {"2", "1", "0", "1", "2"};

class StretchController {
  public:
    // The slider: factor = position / 100.
    static constexpr int kMinPosition = -200;
    static constexpr int kMaxPosition = 200;
    static constexpr int kPageSize = 25;
    static constexpr int kTickFrequency = 100;
    static constexpr int kPresetCount = 5;

    // Shows the dialog for `set`: closes what was edited before into a step of its own, takes the
    // base, then sets the neutral position of the mode (group mode: 100; fragment mode: the
    // direction stored in StretchMode, applied at once). `label` names the steps the dialog makes.
    // A controller that is still open is closed as by Cancel first.
    void Open(FragSet& set, StretchTarget target, std::string label = {});
    bool IsOpen() const { return set_ != nullptr; }
    FragSet* Document() const { return set_; }

    std::string_view Caption() const;
    // The direction choice shows in fragment mode only.
    bool DirectionsShown() const { return target_ == StretchTarget::Fragments; }
    // Group mode has no negative factors: the presets -2 and -1 (tags 0 and 1) are disabled.
    bool PresetEnabled(int tag) const;
    // The position preset `tag` (0..4) sets: -200, -100, 0, 100, 200.
    static int PresetPosition(int tag) { return tag * 100 - 200; }

    int Position() const { return position_; }
    StretchDirection Direction() const { return direction_; }

    // The slider moved: applies the new position at once (nothing when it did not change).
    // Positions are kept within the slider's range, and group mode sets a negative position back
    // to 0. Returns the position the slider must show.
    int ChangePosition(int position);
    // A direction was chosen: the slider goes to its neutral position and the stretch is applied,
    // even when the position stays the same.
    void ChooseDirection(StretchDirection direction);
    // A preset button: its position is set and applied, even when the position stays the same.
    // Disabled and unknown buttons do nothing.
    void PressPreset(int tag);
    // Commits the current layout: the document is modified, the layout becomes one step of the
    // edit history and the new base, and the slider goes back to the neutral position.
    void Apply();
    // Closes the dialog. OK keeps the layout as one step and marks the document modified; Cancel
    // (and closing the window) puts back the layout of the last step (the opening or the last
    // Apply) and leaves Modified as it was then. Fragment mode remembers the direction in
    // StretchMode. The document is repainted either way.
    void Close(bool accepted);

  private:
    int NeutralPosition() const;
    void ApplyCurrent();

    FragSet* set_ = nullptr;
    StretchTarget target_ = StretchTarget::Fragments;
    StretchDirection direction_ = StretchDirection::Radial;
    int position_ = 100;
    bool modifiedBefore_ = false;  // Modified at opening or at the last Apply
    std::string label_;            // the name of the steps the dialog makes
};

// Where the dialog opens: the stored position (prefix "Stretch" in [General]), by default 140
// pixels right of and below the main window's top-left corner. The dialog keeps its own size.
WindowPlacement StretchDialogPlacement(const UsrIniFile& ini, Point mainWindowTopLeft);
// Stores the dialog's position when it closes (nothing when the bounds are unknown).
void SaveStretchDialogPlacement(UsrIniFile& ini, const std::optional<Rect>& bounds);

}  // namespace qv
