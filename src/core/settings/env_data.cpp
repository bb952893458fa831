#include "core/settings/env_data.h"

#include "core/settings/file_history.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <type_traits>

#include "core/settings/paths.h"
#include "core/settings/usr_ini_file.h"
#include "core/text/sjis.h"
#include "core/text/text_helpers.h"

namespace qv {

namespace {

using E = EnvData;
using C = EnvData::ColorSettings;
using K = SettingKind;
using Slot = StoredSetting::CustomColorSlot;

// Held within ±kMaxSettingMagnitude; see there.
constexpr StoredSetting::IntRange kPixels{-kMaxSettingMagnitude, kMaxSettingMagnitude};

constexpr std::string_view kGeneral = "General";
constexpr std::string_view kFragment = "Fragment";
constexpr std::string_view kColor = "Color";
constexpr std::string_view kCustomColors = "CustomColors";
constexpr std::string_view kFileHistory = "FileHistory";
constexpr std::string_view kFindHistory = "FindHistory";

// Every stored setting, once, in the order Save writes them.
const StoredSetting kSettings[] = {
    // [General]
    {kGeneral, "HomeWindow", K::Text, &E::HomeWindow},
    {kGeneral, "HomWinMaximize", K::Bool, &E::HomWinMaximize},
    {kGeneral, "LastFile", K::Text, &E::LastFile},
    {kGeneral, "OpenLastFile", K::Bool, &E::OpenLastFile},
    {kGeneral, "ChildWinMaximize", K::Bool, &E::ChildWinMaximize},
    {kGeneral, "HideTitleMenu", K::Bool, &E::HideTitleMenu},
    {kGeneral, "RestoreScrPos", K::Bool, &E::RestoreScrPos},
    {kGeneral, "ScrollTracking", K::Bool, &E::ScrollTracking},
    {kGeneral, "AreaFrame", K::Bool, &E::AreaFrame},
    {kGeneral, "ActivateDistWin", K::Bool, &E::ActivateDistWin},
    {kGeneral, "FlatToolBar", K::Bool, &E::FlatToolBar},
    {kGeneral, "ClipPosSort", K::Bool, &E::ClipPosSort},
    {kGeneral, "DropLinkFile", K::Bool, &E::DropLinkFile},
    {kGeneral, "DropImgFile", K::Bool, &E::DropImgFile},
    {kGeneral, "ShowDstGrp", K::Bool, &E::ShowDstGrp},
    {kGeneral, "FrameAllSelect", K::Bool, &E::FrameAllSelect},
    {kGeneral, "ImageIsBack", K::Bool, &E::ImageIsBack},
    {kGeneral, "GroupFrame", K::Bool, &E::GroupFrame},
    {kGeneral, "GroupLine", K::Bool, &E::GroupLine},
    {kGeneral, "NamePlate", K::Bool, &E::NamePlate},
    {kGeneral, "LinkMark", K::Bool, &E::LinkMark},
    {kGeneral, "DivLine", K::Bool, &E::DivLine},
    {kGeneral, "GlstInterLine", K::Int, &E::GlstInterLine, kPixels},
    {kGeneral, "GFrameLineWidth", K::Int, &E::GFrameLineWidth, kPixels},
    {kGeneral, "GFrameMaxRnd", K::Int, &E::GFrameMaxRnd, kPixels},
    {kGeneral, "NewFixedScr", K::Bool, &E::NewFixedScr},
    {kGeneral, "DefScrWidth", K::Int, &E::DefScrWidth},
    {kGeneral, "DefScrHeight", K::Int, &E::DefScrHeight},
    {kGeneral, "DefGLineType", K::Int, &E::DefGLineType},
    {kGeneral, "DefGLineWidth", K::Int, &E::DefGLineWidth, kPixels},
    {kGeneral, "GLineArrowType", K::Int, &E::GLineArrowType},
    {kGeneral, "GLineArrowSize", K::Int, &E::GLineArrowSize, kPixels},
    {kGeneral, "GLineRightAngle", K::Bool, &E::GLineRightAngle},
    {kGeneral, "DoubleBuffered", K::Bool, &E::DoubleBuffered},
    {kGeneral, "PrintMonochrome", K::Bool, &E::PrintMonochrome},
    {kGeneral, "FindAndSw", K::Bool, &E::FindAndSw},
    {kGeneral, "FindCaseSw", K::Bool, &E::FindCaseSw},
    {kGeneral, "ImgFilterIdx", K::Int, &E::ImgFilterIdx},
    {kGeneral, "JpegQuality", K::Int, &E::JpegQuality},
    {kGeneral, "NewBlankDblClick", K::Bool, &E::NewBlankDblClick},
    {kGeneral, "SpiDir", K::Text, &E::SpiDir},
    // [Fragment]
    {kFragment, "FrgWidth", K::Int, &E::FrgWidth, kPixels},
    {kFragment, "FrgHeight", K::Int, &E::FrgHeight, kPixels},
    {kFragment, "NamWidth", K::Int, &E::NamWidth, kPixels},
    {kFragment, "NamHeight", K::Int, &E::NamHeight, kPixels},
    {kFragment, "ImgRatio1", K::Int, &E::ImgRatio1, kPixels},
    {kFragment, "ImgRatio2", K::Int, &E::ImgRatio2, kPixels},
    {kFragment, "NewPosition", K::Int, &E::NewPosition},
    {kFragment, "NewNoGroup", K::Bool, &E::NewNoGroup},
    {kFragment, "HideNamePlate", K::Bool, &E::HideNamePlate},
    {kFragment, "AutoExpand", K::Bool, &E::AutoExpand},
    {kFragment, "InputWordWrap", K::Bool, &E::InputWordWrap},
    {kFragment, "IME_On", K::Bool, &E::IME_On},
    {kFragment, "Accept_CR", K::Bool, &E::Accept_CR},
    {kFragment, "CR_ReturnKey", K::Bool, &E::CR_ReturnKey},
    {kFragment, "OK_CtrlReturn", K::Bool, &E::OK_CtrlReturn},
    {kFragment, "CR_String", K::Text, &E::CR_String},
    {kFragment, "LinkIsIcon", K::Bool, &E::LinkIsIcon},
    {kFragment, "MoveCurosr", K::Int, &E::MoveCurosr},
    {kFragment, "SpreadAlign", K::Bool, &E::SpreadAlign},
    {kFragment, "SpreadShuffle", K::Bool, &E::SpreadShuffle},
    {kFragment, "StretchMode", K::Int, &E::StretchMode},
    {kFragment, "AwayPosition", K::Int, &E::AwayPosition},
    {kFragment, "GfrmMovUpdate", K::Bool, &E::GfrmMovUpdate},
    {kFragment, "NoNpHideGfrm", K::Bool, &E::NoNpHideGfrm},
    {kFragment, "IfNpShowGfrm", K::Bool, &E::IfNpShowGfrm},
    {kFragment, "FrgFastDraw", K::Bool, &E::FrgFastDraw},
    {kFragment, "MapViewImage", K::Bool, &E::MapViewImage},
    // [GroupList]
    {"GroupList", "Align", K::Int, &E::Align},
    // [Color]
    {kColor, "DefFrgFG", K::Color, &C::DefFrgFG},
    {kColor, "DefFrgBG", K::Color, &C::DefFrgBG},
    {kColor, "FrgBorder", K::Color, &C::FrgBorder},
    {kColor, "SelFrgFG", K::Color, &C::SelFrgFG},
    {kColor, "SelFrgBG", K::Color, &C::SelFrgBG},
    {kColor, "NamFrgFG", K::Color, &C::NamFrgFG},
    {kColor, "NamFrgBG", K::Color, &C::NamFrgBG},
    {kColor, "SymbolFG", K::Color, &C::SymbolFG},
    {kColor, "Background", K::Color, &C::Background},
    {kColor, "SelectRect", K::Color, &C::SelectRect},
    {kColor, "GroupListFG", K::Color, &C::GroupListFG},
    {kColor, "GroupListBG", K::Color, &C::GroupListBG},
    {kColor, "GroupListOff", K::Color, &C::GroupListOff},
    {kColor, "AreaFrame", K::Color, &C::AreaFrame},
    {kColor, "GroupFrame", K::Color, &C::GroupFrame},
    {kColor, "GroupLine", K::Color, &C::GroupLine},
    {kColor, "DivLine", K::Color, &C::DivLine},
    {kColor, "BrushTool", K::Color, &C::BrushTool},
    // [CustomColors]
    {kCustomColors, "ColorA", K::Color, Slot{0}},
    {kCustomColors, "ColorB", K::Color, Slot{1}},
    {kCustomColors, "ColorC", K::Color, Slot{2}},
    {kCustomColors, "ColorD", K::Color, Slot{3}},
    {kCustomColors, "ColorE", K::Color, Slot{4}},
    {kCustomColors, "ColorF", K::Color, Slot{5}},
    {kCustomColors, "ColorG", K::Color, Slot{6}},
    {kCustomColors, "ColorH", K::Color, Slot{7}},
    {kCustomColors, "ColorI", K::Color, Slot{8}},
    {kCustomColors, "ColorJ", K::Color, Slot{9}},
    {kCustomColors, "ColorK", K::Color, Slot{10}},
    {kCustomColors, "ColorL", K::Color, Slot{11}},
    {kCustomColors, "ColorM", K::Color, Slot{12}},
    {kCustomColors, "ColorN", K::Color, Slot{13}},
    {kCustomColors, "ColorO", K::Color, Slot{14}},
    {kCustomColors, "ColorP", K::Color, Slot{15}},
};

const StoredFont kFonts[] = {
    {kFragment, &E::FragmentFont},    {"NamePlate", &E::NamePlateFont}, {"Symbol", &E::SymbolFont},
    {"GroupList", &E::GroupListFont}, {"StatusBar", &E::StatusBarFont},
};

// Mutable access to the member a setting names.
template <typename Env, typename Visitor>
void VisitMember(Env& env, const StoredSetting& s, Visitor&& visit) {
    std::visit(
        [&](auto member) {
            using M = decltype(member);
            if constexpr (std::is_same_v<M, Slot>) {
                visit(env.CustomColors[static_cast<std::size_t>(member.Index)]);
            } else if constexpr (std::is_same_v<M, Color EnvData::ColorSettings::*>) {
                visit(env.Colors.*member);
            } else {
                visit(env.*member);
            }
        },
        s.Field);
}

std::string FileKey(int i) {
    return "File" + std::to_string(i);
}
std::string FindKey(int i) {
    return "Find" + std::to_string(i);
}

}  // namespace

std::span<const StoredSetting> StoredSettings() {
    return kSettings;
}

std::span<const StoredFont> StoredFonts() {
    return kFonts;
}

SettingValue GetSetting(const EnvData& env, const StoredSetting& setting) {
    SettingValue value;
    VisitMember(env, setting, [&](auto& field) { value = field; });
    return value;
}

FontSpec MainWindowFont() {
    return FontSpec{kShiftJisCharset, std::string(kMainFontFace), 11, false, false};
}

std::array<FontSpec, 5> BaseFonts(const FontSpec& mainFont) {
    FontSpec base = mainFont;
    base.Face = std::string(kFixedFontFace);
    const FontSpec groupList = base;
    base.Face = std::string(kMainFontFace);
    const FontSpec statusBar = base;
    const FontSpec fragment = base;
    base.Bold = true;
    base.Size = -(std::abs(mainFont.Size) + 2);
    const FontSpec namePlate = base;
    base.Bold = false;
    base.Size = -20;
    const FontSpec symbol = base;
    return {fragment, namePlate, symbol, groupList, statusBar};
}

void EnvData::Load(const UsrIniFile& ini, const DocumentExistsFn& documentExists) {
    static const EnvData defaults;

    const auto bases = BaseFonts(MainWindowFont());
    for (std::size_t i = 0; i < std::size(kFonts); ++i)
        this->*kFonts[i].Field = ini.ReadFont(kFonts[i].Section, &bases[i]);

    for (const StoredSetting& s : kSettings) {
        const SettingValue fallback = GetSetting(defaults, s);
        VisitMember(*this, s, [&](auto& field) {
            using T = std::remove_cvref_t<decltype(field)>;
            if constexpr (std::is_same_v<T, bool>) {
                field = ini.ReadBool(s.Section, s.Key, std::get<bool>(fallback));
            } else if constexpr (std::is_same_v<T, int>) {
                field = std::clamp(ini.ReadInteger(s.Section, s.Key, std::get<int>(fallback)),
                                   s.Range.Min, s.Range.Max);
            } else if constexpr (std::is_same_v<T, Color>) {
                // The paint tool starts with the background of new fragments, as just loaded.
                const Color def =
                    &field == &Colors.BrushTool ? Colors.DefFrgBG : std::get<Color>(fallback);
                field = ini.ReadColor(s.Section, s.Key, def);
            } else {
                field = ini.ReadString(s.Section, s.Key, std::get<std::string>(fallback));
            }
        });
    }
    if (CR_String.empty()) CR_String = std::string(kDefaultCrString);
    if (PlatformId != kPlatformNt) FrgFastDraw = false;

    RecentFiles.clear();
    for (int i = 0; i < kMaxRecentFiles; ++i) {
        std::string record = ini.ReadString(kFileHistory, FileKey(i), "");
        if (record.empty()) break;
        const std::optional<std::string> path = FileHistoryRecord::Parse(record).Path();
        if (!path) continue;
        const bool exists = documentExists ? documentExists(*path) : DocumentExists(*path);
        if (exists) RecentFiles.push_back(std::move(record));
    }

    FindHistory.clear();
    for (int i = 0; i < kMaxFindHistory; ++i) {
        std::string text = TrimBlanks(ini.ReadString(kFindHistory, FindKey(i), ""));
        if (text.empty()) break;
        bool known = false;
        for (const auto& f : FindHistory)
            known = known || sjis::EqualsNoCase(f, text);
        if (!known) FindHistory.push_back(std::move(text));
    }
}

void EnvData::Store(UsrIniFile& ini) const {
    for (const StoredFont& f : kFonts)
        ini.WriteFont(f.Section, this->*f.Field);
    for (const StoredSetting& s : kSettings) {
        std::visit(
            [&](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, bool>) {
                    ini.WriteBool(s.Section, s.Key, v);
                } else if constexpr (std::is_same_v<T, int>) {
                    ini.WriteInteger(s.Section, s.Key, v);
                } else if constexpr (std::is_same_v<T, Color>) {
                    ini.WriteColor(s.Section, s.Key, v);
                } else {
                    ini.WriteString(s.Section, s.Key, v);
                }
            },
            GetSetting(*this, s));
    }
    for (int i = 0; i < kMaxRecentFiles; ++i) {
        const auto n = static_cast<std::size_t>(i);
        ini.WriteString(kFileHistory, FileKey(i), n < RecentFiles.size() ? RecentFiles[n] : "");
    }
    for (int i = 0; i < kMaxFindHistory; ++i) {
        const auto n = static_cast<std::size_t>(i);
        ini.WriteString(kFindHistory, FindKey(i), n < FindHistory.size() ? FindHistory[n] : "");
    }
}

bool EnvData::Save(UsrIniFile& ini) const {
    Store(ini);
    return ini.UpdateFile();
}

std::optional<FileHistoryRecord> EnvData::FindFileHistory(std::string_view path) const {
    const std::string wanted = AbsoluteDocumentPath(path);
    if (wanted.empty()) return std::nullopt;
    for (const std::string& line : RecentFiles) {
        FileHistoryRecord record = FileHistoryRecord::Parse(line);
        if (record.ComparablePath() == wanted) return record;
    }
    return std::nullopt;
}

void EnvData::AddRecentFile(const FileHistoryRecord& record) {
    if (record.StoredPath.empty()) return;
    const std::string path = record.ComparablePath();
    std::vector<std::string> kept;
    kept.reserve(static_cast<std::size_t>(kMaxRecentFiles));
    kept.push_back(record.Write());
    for (auto& line : RecentFiles) {
        if (kept.size() >= static_cast<std::size_t>(kMaxRecentFiles)) break;
        if (FileHistoryRecord::Parse(line).ComparablePath() != path)
            kept.push_back(std::move(line));
    }
    RecentFiles = std::move(kept);
}

std::vector<std::string> EnvData::CustomColorsToChooser() const {
    std::vector<std::string> lines;
    lines.reserve(CustomColors.size());
    for (std::size_t i = 0; i < CustomColors.size(); ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "Color%c=%06X", static_cast<char>('A' + i),
                      static_cast<unsigned>(CustomColors[i]));
        lines.emplace_back(line);
    }
    return lines;
}

void EnvData::CustomColorsFromChooser(const std::vector<std::string>& lines) {
    const std::size_t n = std::min(lines.size(), CustomColors.size());
    for (std::size_t i = 0; i < n; ++i) {
        const std::string& line = lines[i];
        const std::string digits = line.size() > 7 ? line.substr(7, 6) : std::string();
        CustomColors[i] = static_cast<Color>(ParseIniInteger("$" + digits).value_or(0xFFFFFF));
    }
}

}  // namespace qv
