// EnvData: every preference of the program with its default, the five fonts, the recent-file and
// find histories and the program-wide run-time flags.
//
// Every stored setting is a public member named exactly as its key in the settings file and is read
// and assigned directly. The colours of [Color] live in `Colors` so that they never clash with the
// [General] switches of the same name (`Colors.GroupFrame` is a colour, `GroupFrame` the switch).
//
// Life cycle:
//   qv::EnvData env;             // every default, as if loaded from an empty settings file
//   qv::EnvData env(ini);        // loads everything from a UsrIniFile (same as env.Load(ini))
//   env.Save(ini);               // writes every stored setting, then ini.UpdateFile()
// Loading never fails: a missing, empty or malformed value gives that setting's default.
//
// The list of stored settings (section, key, kind, member) is declared once, in env_data.cpp, and
// drives loading, saving and listing (StoredSettings()). Defaults are the member initialisers
// below.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/color.h"
#include "core/settings/file_history.h"
#include "core/settings/font_setting.h"
#include "core/settings/tool_mode.h"

namespace qv {

class UsrIniFile;

// Number of records kept in [FileHistory] (File0 … File19) and [FindHistory] (Find0 … Find39).
inline constexpr int kMaxRecentFiles = 20;
inline constexpr int kMaxFindHistory = 40;

// The default line-break marker "＼" (full-width reverse solidus, code page 932 0x81 0x5F).
inline constexpr std::string_view kDefaultCrString = "\x81\x5F";

// Face names of the default fonts: "ＭＳ Ｐゴシック" (proportional) and "ＭＳ ゴシック" (fixed
// pitch), code page 932.
inline constexpr std::string_view kMainFontFace =
    "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";
inline constexpr std::string_view kFixedFontFace =
    "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";

// Platform id of the family this program runs on; FrgFastDraw is honoured only there.
inline constexpr int kPlatformNt = 2;

// Checks whether a document (a file-system path) exists; used to drop stale recent-file records.
using DocumentExistsFn = std::function<bool(std::string_view path)>;

class EnvData {
  public:
    // The colours of section [Color], in their stored order.
    struct ColorSettings {
        Color DefFrgFG = 0x000000;
        Color DefFrgBG = 0xFFFFFF;
        Color FrgBorder = 0x000000;
        Color SelFrgFG = 0xFFFFFF;
        Color SelFrgBG = 0x800000;
        Color NamFrgFG = 0x000000;
        Color NamFrgBG = 0xC0C0C0;
        Color SymbolFG = 0xFFFFFF;
        Color Background = 0x808000;
        Color SelectRect = 0x0000FF;
        Color GroupListFG = kSysWindowText;
        Color GroupListBG = kSysWindow;
        Color GroupListOff = kSysWindowText;
        Color AreaFrame = 0x0000FF;
        Color GroupFrame = 0x00FFFF;
        Color GroupLine = 0xFFFF00;
        Color DivLine = 0x808080;
        Color BrushTool = 0xFFFFFF;  // defaults to the loaded DefFrgBG

        friend bool operator==(const ColorSettings&, const ColorSettings&) = default;
    };

    EnvData() = default;
    explicit EnvData(const UsrIniFile& ini) { Load(ini); }

    // Loads every stored setting and both histories. PlatformId and PrinterAvailable are kept.
    // Recent-file records whose document does not exist, or whose path is not valid code page 932,
    // are dropped (`documentExists` defaults to a check of the file system).
    void Load(const UsrIniFile& ini, const DocumentExistsFn& documentExists = {});

    // Writes the five fonts, every stored setting, File0 … File19 and Find0 … Find39 into `ini`
    // (changing only lines that differ), then ini.UpdateFile(). Returns UpdateFile's result: false
    // when the file had to be written and could not be.
    bool Save(UsrIniFile& ini) const;

    // The same without UpdateFile, for callers that write more entries before the file goes out.
    void Store(UsrIniFile& ini) const;

    // The recent-file record of the file-system path `path` (compared as absolute paths, letter
    // case included), or none.
    std::optional<FileHistoryRecord> FindFileHistory(std::string_view path) const;

    // Puts a recent-file record at the front of RecentFiles, dropping any record of the same
    // document and any beyond kMaxRecentFiles. A record without a path is left out.
    void AddRecentFile(const FileHistoryRecord& record);

    // The 16 custom colours as colour-chooser lines "ColorA=A0A0FF" … "ColorP=FFFFFF".
    std::vector<std::string> CustomColorsToChooser() const;
    // Takes the custom colours back from the first 16 chooser lines: the six characters after
    // "ColorX=" read as hexadecimal, 0xFFFFFF when unreadable. Missing lines leave a colour as is.
    void CustomColorsFromChooser(const std::vector<std::string>& lines);

    // ---- Run-time items (never stored) ----
    int PlatformId = kPlatformNt;
    bool PrinterAvailable = false;

    // ---- [Fragment] sizes ----
    int FrgWidth = 12;
    int FrgHeight = 3;
    int NamWidth = 10;
    int NamHeight = 1;
    int ImgRatio1 = 1;
    int ImgRatio2 = 1;

    // ---- [Color] and [CustomColors] ----
    ColorSettings Colors;
    std::array<Color, 16> CustomColors = {
        0xA0A0FF, 0x80C0FF, 0xA0FFFF, 0xA0FFA0, 0xFFFFC0, 0xFFC0C0, 0xFFC0FF, 0xD0D0D0,
        0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};

    // ---- Fonts of [Fragment], [NamePlate], [Symbol], [GroupList], [StatusBar] ----
    FontSpec FragmentFont{kShiftJisCharset, std::string(kMainFontFace), 11, false, false};
    FontSpec NamePlateFont{kShiftJisCharset, std::string(kMainFontFace), -13, true, false};
    FontSpec SymbolFont{kShiftJisCharset, std::string(kMainFontFace), -20, false, false};
    FontSpec GroupListFont{kShiftJisCharset, std::string(kFixedFontFace), 11, false, false};
    FontSpec StatusBarFont{kShiftJisCharset, std::string(kMainFontFace), 11, false, false};

    // ---- [General] group frames ----
    int GlstInterLine = 0;
    int GFrameLineWidth = 1;
    int GFrameMaxRnd = 60;

    // ---- [Fragment] new fragments ----
    int NewPosition = 1;
    bool NewNoGroup = false;
    int MoveCurosr = 0;  // sic: the key is spelled this way in the file

    // ---- [General] what is shown ----
    bool GroupFrame = true;
    bool GroupLine = true;
    bool NamePlate = true;
    bool LinkMark = true;
    bool DivLine = true;

    // ---- [GroupList] ----
    int Align = 3;  // 1 top, 2 bottom, 3 left, 4 right

    // ---- [Fragment] ----
    bool HideNamePlate = true;

    // ---- [General] group lines ----
    int DefGLineType = 1;
    int DefGLineWidth = 1;
    int GLineArrowType = 0;
    int GLineArrowSize = 12;
    bool GLineRightAngle = false;

    // ---- [Fragment] text input ----
    bool AutoExpand = false;
    bool InputWordWrap = true;
    bool IME_On = false;
    bool Accept_CR = false;
    bool CR_ReturnKey = false;
    bool OK_CtrlReturn = false;
    std::string CR_String{kDefaultCrString};  // never empty after loading
    bool LinkIsIcon = false;

    // ---- [General] documents and windows ----
    std::string HomeWindow;
    bool HomWinMaximize = false;
    std::string LastFile;
    bool OpenLastFile = false;
    bool ChildWinMaximize = false;
    bool HideTitleMenu = false;
    bool RestoreScrPos = true;
    bool ScrollTracking = true;
    bool AreaFrame = true;
    bool ActivateDistWin = false;
    int DefScrWidth = 2000;
    int DefScrHeight = 1500;
    bool NewFixedScr = false;
    bool DoubleBuffered = true;
    bool PrintMonochrome = false;

    // ---- [Fragment] layout ----
    bool SpreadShuffle = false;
    bool SpreadAlign = true;
    int StretchMode = 0;
    int AwayPosition = 0;
    bool GfrmMovUpdate = true;
    bool FrgFastDraw = false;  // read only when PlatformId is 2
    bool MapViewImage = false;
    bool NoNpHideGfrm = false;
    bool IfNpShowGfrm = false;

    // ---- [General] more switches ----
    bool FlatToolBar = false;
    bool ClipPosSort = false;
    bool DropLinkFile = false;
    bool DropImgFile = false;
    bool ShowDstGrp = false;
    bool FrameAllSelect = false;
    bool ImageIsBack = false;
    bool NewBlankDblClick = false;
    bool FindAndSw = false;
    bool FindCaseSw = false;
    int ImgFilterIdx = 1;
    int JpegQuality = 100;
    std::string SpiDir;

    // ---- Histories ----
    std::vector<std::string> FindHistory;  // [FindHistory] Find0 …, most recent first
    std::vector<std::string>
        RecentFiles;  // [FileHistory] File0 … as stored (FileHistoryRecord), newest first
};

// ---- The list of stored settings ----

enum class SettingKind { Bool, Int, Color, Text };

// One stored setting: where it lives in the file and which member holds it.
struct StoredSetting {
    // Custom colour number 0..15 (ColorA … ColorP).
    struct CustomColorSlot {
        int Index;
    };
    using Member = std::variant<bool EnvData::*, int EnvData::*, std::string EnvData::*,
                                Color EnvData::ColorSettings::*, CustomColorSlot>;

    // The values an Int setting may hold; loading clamps into it. Most settings take any value,
    // and what lies outside the options' own ranges is loaded unchanged.
    struct IntRange {
        int Min = std::numeric_limits<int>::min();
        int Max = std::numeric_limits<int>::max();
    };

    std::string_view Section;
    std::string_view Key;
    SettingKind Kind;
    Member Field;
    IntRange Range = {};
};

// Sizes, widths and counts that enter pixel arithmetic (columns times the font height, pen and
// arrowhead sizes, corner radii) keep at most this magnitude, so that no sum or product of them
// leaves 32 bits; the options offer at most a few dozen.
inline constexpr int kMaxSettingMagnitude = 10000;

using SettingValue = std::variant<bool, int, Color, std::string>;

// Every stored setting except the fonts and the histories, in the order they are written:
// [General], [Fragment], [GroupList] Align, [Color], [CustomColors].
std::span<const StoredSetting> StoredSettings();

SettingValue GetSetting(const EnvData& env, const StoredSetting& setting);

// The five font sections, in the order they are written, with the member each one fills.
struct StoredFont {
    std::string_view Section;
    FontSpec EnvData::*Field;
};
std::span<const StoredFont> StoredFonts();

// The main window's font, the base of the default fonts.
FontSpec MainWindowFont();

// The base fonts of the five font sections, built from `mainFont` step by step: [GroupList] takes
// the fixed-pitch face; [StatusBar] and [Fragment] the main face; [NamePlate] is bold with a cell
// height two points above the main font; [Symbol] not bold with a cell height of 20 points.
// Order as StoredFonts().
std::array<FontSpec, 5> BaseFonts(const FontSpec& mainFont);

}  // namespace qv
