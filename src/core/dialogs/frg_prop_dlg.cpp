#include "core/dialogs/frg_prop_dlg.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "core/content/html_head.h"
#include "core/content/link_content.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "core/text/text_helpers.h"

namespace qv {

namespace {

// "ｸﾞﾙｰﾌﾟ" in half-width letters: the name of a group whose plate has no text.
constexpr std::string_view kNarrowGroupWord = "\xb8\xde\xd9\xb0\xcc\xdf";

constexpr std::string_view kCrLf = "\r\n";

}  // namespace

bool FrgPropController::Open(const FrgPropRequest& request, LineCountFn lineCount) {
    request_ = request;
    lineCount_ = std::move(lineCount);
    single_ = nullptr;
    multi_ = false;
    groupChanged_ = widthChanged_ = heightChanged_ = false;
    textColourChanged_ = backColourChanged_ = false;
    groupGreyed_ = widthGreyed_ = heightGreyed_ = false;
    tristate_ = false;
    transparent_ = CheckState::Unchecked;
    text_.clear();
    initialText_.clear();
    link_.clear();
    FragSet* set = request_.Target;
    if (!set) return false;

    set->RebuildSelection();
    Fragment* q = set->SingleSelected();

    groupItems_.clear();
    groupItems_.reserve(kGroupItems);
    for (int g = 1; g <= kMaxGroup; ++g) {
        std::string name = set->GroupNameText(g);
        if (name.empty()) {
            char number[8];
            std::snprintf(number, sizeof number, "%2u", static_cast<unsigned>(g));
            name = std::string(kNarrowGroupWord) + number;
        }
        groupItems_.push_back(std::move(name));
    }
    groupItems_.emplace_back(kNoGroupName);

    if (request_.NewMode) {
        int g = env_.NewNoGroup ? 0 : set->CurrentGroup();
        if ((request_.AtPoint || request_.FromGroupList) && request_.PresetGroup >= 0 &&
            FragSet::IsGroupNumber(request_.PresetGroup))
            g = request_.PresetGroup;
        groupItem_ = ItemOfGroup(g);
        ApplyKindDefaults(FragmentKind::Text);
        if (q && q->Kind == FragmentKind::Text) {
            memoFore_ = q->ColFG;
            memoBack_ = q->ColBG;
        }
        width_ = env_.FrgWidth;
        height_ = env_.FrgHeight;
        if (request_.LinkPreset) {
            link_ = request_.LinkPresetText;
            request_.LinkPreset = false;
        }
        RunTextChange();
        return true;
    }

    if (q) {
        single_ = q;
        groupItem_ = ItemOfGroup(FragSet::IsGroupNumber(q->Group) ? q->Group : 0);
        ApplyKindDefaults(q->Kind);
        switch (q->Kind) {
            case FragmentKind::NamePlate:
                memoFont_ = FragmentKind::NamePlate;
                memoBack_ = q->ColBG;
                break;
            case FragmentKind::Symbol:
                memoFont_ = FragmentKind::Symbol;
                memoBack_ = env_.Colors.Background;
                break;
            case FragmentKind::Image:
                memoFont_ = FragmentKind::Text;
                memoBack_ = kSysWindow;
                transparent_ = q->ColBG == kNoColor ? CheckState::Checked : CheckState::Unchecked;
                break;
            case FragmentKind::Text:
                memoFont_ = FragmentKind::Text;
                memoBack_ = q->ColBG;
                break;
        }
        memoFore_ = q->ColFG;
        initialText_ = ReplaceAll(q->Text, env_.CR_String, kCrLf);
        text_ = initialText_;
        width_ = std::clamp(q->Columns, 1, WidthMax());
        height_ = std::clamp(q->Lines, 1, kMaxCardLines);
        link_ = q->Link;
        RunTextChange();
        return true;
    }

    // Several cards: only what the user touches will change.
    multi_ = true;
    const auto& sel = set->SelectionList;
    FragmentKind common = sel.empty() ? FragmentKind::Text : sel.front()->Kind;
    for (const Fragment* f : sel)
        if (f->Kind != common) common = FragmentKind::Text;
    ApplyKindDefaults(common);
    memoFont_ = FragmentKind::Text;
    memoFore_ = kSysGrayText;
    memoBack_ = kSysButtonFace;
    if (common == FragmentKind::Image) link_ = "*.*";

    const bool oneGroup =
        !sel.empty() && std::all_of(sel.begin(), sel.end(), [&](const Fragment* f) {
            return f->Group == sel.front()->Group;
        });
    if (oneGroup) {
        groupItem_ =
            ItemOfGroup(FragSet::IsGroupNumber(sel.front()->Group) ? sel.front()->Group : 0);
    } else {
        groupItem_ = -1;
        groupGreyed_ = true;
    }
    if (!sel.empty() && std::all_of(sel.begin(), sel.end(), [&](const Fragment* f) {
            return f->ColFG == sel.front()->ColFG;
        }))
        memoFore_ = sel.front()->ColFG;
    const bool oneBack =
        !sel.empty() && std::all_of(sel.begin(), sel.end(), [&](const Fragment* f) {
            return f->ColBG == sel.front()->ColBG;
        });
    if (common == FragmentKind::Image) {
        tristate_ = true;
        transparent_ = !oneBack                         ? CheckState::Undetermined
                       : sel.front()->ColBG == kNoColor ? CheckState::Checked
                                                        : CheckState::Unchecked;
    } else if (oneBack) {
        memoBack_ = sel.front()->ColBG;
    }
    width_ = 1;
    height_ = 1;
    for (const Fragment* f : sel) {
        width_ = std::max(width_, f->Columns);
        height_ = std::max(height_, f->Lines);
    }
    width_ = std::clamp(width_, 1, WidthMax());
    height_ = std::clamp(height_, 1, kMaxCardLines);
    widthGreyed_ = heightGreyed_ = true;
    return true;
}

void FrgPropController::Close() {
    request_.AtPoint = false;
    request_.FromGroupList = false;
    lineCount_ = nullptr;
}

bool FrgPropController::PlateAllowed(int g) const {
    if (g == 0 || !request_.Target) return false;
    Fragment* plate = request_.Target->NamePlateOf(g);
    return !plate || (!request_.NewMode && plate == single_);
}

bool FrgPropController::KindEnabled(FragmentKind k) const {
    if (multi_) return false;
    if (k == FragmentKind::NamePlate) return PlateAllowed(GroupOfItem(groupItem_));
    return true;
}

int FrgPropController::DefaultHeight() const {
    if (kind_ == FragmentKind::NamePlate) return env_.NamHeight;
    if (kind_ == FragmentKind::Text) return env_.FrgHeight;
    return kMaxCardLines;
}

bool FrgPropController::HeightAboveDefault() const {
    return (kind_ == FragmentKind::NamePlate || kind_ == FragmentKind::Text) &&
           height_ > DefaultHeight();
}

bool FrgPropController::OkEnabled() const {
    if (multi_) return true;
    if (kind_ == FragmentKind::Symbol && text_.empty()) return false;
    if (kind_ == FragmentKind::Image && link_.empty()) return false;
    return true;
}

void FrgPropController::ApplyKindDefaults(FragmentKind kind) {
    kind_ = kind;
    switch (kind) {
        case FragmentKind::Text:
            memoFont_ = FragmentKind::Text;
            memoFore_ = env_.Colors.DefFrgFG;
            memoBack_ = env_.Colors.DefFrgBG;
            width_ = env_.FrgWidth;
            height_ = env_.FrgHeight;
            break;
        case FragmentKind::NamePlate:
            memoFont_ = FragmentKind::NamePlate;
            memoFore_ = env_.Colors.NamFrgFG;
            memoBack_ = env_.Colors.NamFrgBG;
            width_ = env_.NamWidth;
            height_ = env_.NamHeight;
            break;
        case FragmentKind::Symbol:
            memoFont_ = FragmentKind::Symbol;
            memoFore_ = env_.Colors.SymbolFG;
            memoBack_ = env_.Colors.Background;
            width_ = 1;
            height_ = 1;
            break;
        case FragmentKind::Image:
            memoFont_ = FragmentKind::Text;
            memoFore_ = kSysWindowText;
            memoBack_ = kSysWindow;
            width_ = env_.ImgRatio1;
            height_ = env_.ImgRatio2;
            break;
    }
    width_ = std::clamp(width_, 1, WidthMax());
    height_ = std::clamp(height_, 1, kMaxCardLines);
}

void FrgPropController::ChooseKind(FragmentKind kind) {
    if (multi_ || !KindEnabled(kind)) return;
    ApplyKindDefaults(kind);
    RunTextChange();
}

int FrgPropController::LineCount() const {
    if (!lineCount_) return env_.FrgHeight;
    return lineCount_(text_, width_, memoFont_);
}

void FrgPropController::RunTextChange() {
    if (multi_) return;
    if (kind_ == FragmentKind::Symbol) {
        width_ = std::clamp(static_cast<int>((text_.size() + 1) / 2), 1, kMaxSymbolColumns);
        return;
    }
    if (!env_.AutoExpand || kind_ == FragmentKind::Image) return;
    const int n = LineCount();
    if ((kind_ == FragmentKind::NamePlate && n >= env_.NamHeight) ||
        (kind_ == FragmentKind::Text && n >= env_.FrgHeight))
        height_ = std::clamp(n, 1, kMaxCardLines);
}

void FrgPropController::ChangeText(std::string_view cp932) {
    text_.assign(cp932);
    RunTextChange();
}

int FrgPropController::ChangeWidth(int value) {
    width_ = std::clamp(value, 1, WidthMax());
    if (multi_) {
        widthChanged_ = true;
        widthGreyed_ = false;
    } else {
        RunTextChange();
    }
    return width_;
}

int FrgPropController::ChangeHeight(int value) {
    height_ = std::clamp(value, 1, kMaxCardLines);
    if (multi_) {
        heightChanged_ = true;
        heightGreyed_ = false;
    }
    return height_;
}

void FrgPropController::ChangeGroup(int item) {
    if (item < 0 || item >= kGroupItems) return;
    groupItem_ = item;
    if (multi_) {
        groupChanged_ = true;
        groupGreyed_ = false;
    } else if (kind_ == FragmentKind::NamePlate && !PlateAllowed(GroupOfItem(item))) {
        // A plate cannot go where it may not stand; it becomes a plain card.
        ChooseKind(FragmentKind::Text);
    }
}

void FrgPropController::Fit() {
    if (!FitEnabled()) return;
    height_ = std::clamp(LineCount(), 1, kMaxCardLines);
}

void FrgPropController::SetBackColour(Color c) {
    memoBack_ = c;
    if (multi_) backColourChanged_ = true;
}

void FrgPropController::SetTextColour(Color c) {
    memoFore_ = c;
    if (multi_) textColourChanged_ = true;
}

void FrgPropController::SetTransparent(CheckState state) {
    transparent_ = state;
    if (multi_) {
        backColourChanged_ = true;
        tristate_ = false;
        if (transparent_ == CheckState::Undetermined) transparent_ = CheckState::Unchecked;
    }
}

void FrgPropController::SetLink(std::string_view cp932) {
    if (multi_) return;
    link_.assign(cp932);
}

Fragment* FrgPropController::Apply(std::string_view cardText) {
    FragSet* set = request_.Target;
    if (!set || !OkEnabled()) return nullptr;
    const int g = GroupOfItem(groupItem_);
    const int w = width_;
    const int h = height_;
    const Color imageBack = transparent_ == CheckState::Checked ? kNoColor : Color{0xFFFFFF};
    Fragment* added = nullptr;

    if (request_.NewMode) {
        Fragment* f = set->AddFragment();
        if (f) {
            f->Group = g;
            f->Kind = kind_;
            f->Link = link_;
            f->Columns = w;
            f->Lines = h;
            if (request_.AtPoint) {
                f->Left = set->ScrollX() + request_.PointX;
                f->Top = set->ScrollY() + request_.PointY;
            } else {
                Point p = set->NewFragmentPosition(w, h, 0);
                auto taken = [&](Point at) {
                    return std::any_of(set->Fragments().begin(), set->Fragments().end(),
                                       [&](const auto& o) {
                                           return o.get() != f && o->Left == at.X && o->Top == at.Y;
                                       });
                };
                for (int k = 2; taken(p) && k < 2 * kMaxFragments + 2; k += 2)
                    p = set->NewFragmentPosition(w, h, k);
                f->Left = p.X;
                f->Top = p.Y;
            }
            f->ColFG = memoFore_;
            f->ColBG = kind_ == FragmentKind::Image ? imageBack : memoBack_;
            f->Text.assign(cardText);
            f->LoadPicture();
            set->GroupTable[static_cast<std::size_t>(g)].Shown = true;
            f->Visible = true;
            f->MarkStale();
            f->MeasureAndDraw();
            added = f;
        }
    } else if (!multi_) {
        if (Fragment* q = single_) {
            q->EraseFragment();
            q->Link = link_;
            q->Group = g;
            q->Kind = kind_;
            q->Columns = w;
            q->Lines = h;
            q->ColFG = memoFore_;
            q->Text.assign(cardText);
            q->ColBG = kind_ == FragmentKind::Image ? imageBack : memoBack_;
            q->LoadPicture();
            q->MarkStale();
            if (q->Visible) q->MeasureAndDraw();
        }
    } else {
        if (groupChanged_) set->MoveSelectionToGroup(g);
        for (Fragment* f : set->SelectionList) {
            f->EraseFragment();
            if (kind_ == FragmentKind::Image) {
                if (widthChanged_ || heightChanged_) {
                    f->Columns = w;
                    f->Lines = h;
                }
                if (backColourChanged_) f->ColBG = imageBack;
            } else {
                if (f->Kind != FragmentKind::Image) {
                    if (widthChanged_) f->Columns = w;
                    if (heightChanged_) f->Lines = h;
                }
                if (textColourChanged_) f->ColFG = memoFore_;
                if (backColourChanged_) f->ColBG = memoBack_;
            }
            f->LoadPicture();
            f->MarkStale();
            if (f->Visible) f->MeasureAndDraw();
        }
    }
    set->Recount();
    set->Modified = true;
    set->RefreshRequest();
    set->RedrawAll();
    return added;
}

std::vector<ExtractItem> ExtractItemsFor(std::string_view cp932Link, const std::string& file) {
    if (cp932Link.empty()) return {};
    switch (LinkContentForExtension(LinkExtension(cp932Link))) {
        case LinkContent::HtmlHead:
            return {ExtractItem::Title, ExtractItem::MetaDescription, ExtractItem::MetaKeywords};
        case LinkContent::HelpTitle:
            return {ExtractItem::Title};
        case LinkContent::Mp3Tag:
            return {ExtractItem::Mp3Track, ExtractItem::Mp3Artist, ExtractItem::Mp3Album,
                    ExtractItem::Mp3Year, ExtractItem::Mp3Comment};
        case LinkContent::FirstLine:
            if (IsTextFile(file)) return {ExtractItem::FirstLine};
            return {};
        case LinkContent::None:
            return {};
    }
    return {};
}

std::string ExtractLinkText(const std::string& file, ExtractItem item) {
    NameValueList list;
    switch (item) {
        case ExtractItem::Title:
            if (LinkContentForExtension(LinkExtension(file)) == LinkContent::HelpTitle)
                return ReadHelpTitle(file);
            ReadHtmlHead(file, list);
            return std::string(LookupValue(list, "title"));
        case ExtractItem::MetaDescription:
            ReadHtmlHead(file, list);
            return std::string(LookupValue(list, "description"));
        case ExtractItem::MetaKeywords:
            ReadHtmlHead(file, list);
            return std::string(LookupValue(list, "keywords"));
        case ExtractItem::FirstLine:
            return ReadFirstLine(file);
        case ExtractItem::Mp3Track:
        case ExtractItem::Mp3Artist:
        case ExtractItem::Mp3Album:
        case ExtractItem::Mp3Year:
        case ExtractItem::Mp3Comment: {
            static constexpr std::string_view kNames[] = {"TrackName", "ArtistName", "AlbumName",
                                                          "Year", "Comment"};
            if (!ReadMp3Tag(file, list)) return {};
            return std::string(LookupValue(
                list, kNames[static_cast<int>(item) - static_cast<int>(ExtractItem::Mp3Track)]));
        }
    }
    return {};
}

}  // namespace qv
