// Every text the program shows: captions, messages and status lines, in one place so that a
// wording is changed once and found by anyone looking for it. Kept as UTF-8; Cp932() gives the
// code page 932 form the prompts and the model work with.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace texts {

inline constexpr std::string_view kProgramName = "Quillovarsta";
inline constexpr std::string_view kVersion = "Version 2.70";
inline constexpr std::string_view kFreeSoftware = "フリーソフトウェア";
// The project's home page, opened by the Web page command.
inline constexpr std::string_view kHomePageUrl = "https://quillovarsta.example.org/";

inline constexpr std::string_view kUntitled = "無題";

// Why a picture card shows the missing-picture image (status bar, card hint).
inline constexpr std::string_view kPictureMissing = "画像ファイルが見つかりません";
inline constexpr std::string_view kPictureUnreadable = "画像ファイルを読み込めません";
inline constexpr std::string_view kPictureTooLarge = "画像が大きすぎるため表示できません";
// Why a picture file could not be opened, after kPictureUnreadable and ": ".
inline constexpr std::string_view kPictureIsFolder = "フォルダです";
inline constexpr std::string_view kPictureNotRegular =
    "通常のファイルではありません (FIFO・デバイス・ソケットなど)";
inline constexpr std::string_view kPictureLinkLoop = "シンボリックリンクが循環しています";
inline constexpr std::string_view kPictureNoPermission = "読み取りが許可されていません";
inline constexpr std::string_view kReadOnlyMark = " : 編集禁止";

// Messages, shown through the prompts port ("[" + name + "]" + text where a name leads).
inline constexpr std::string_view kDoesNotExist = "]は存在しません";
inline constexpr std::string_view kConvertedFromUtf8 =
    "]はUTF-8で保存された断片ファイルです。文字をShift-JISに変換しました";
inline constexpr std::string_view kUnconvertibleLines =
    "\nShift-JISで表せない文字を含む行があるため、編集禁止で開きます: ";
inline constexpr std::string_view kNotFragmentFile =
    "]は断片ファイルではありません\n1番目の項目をテキスト内容として読み込みますか?";
inline constexpr std::string_view kSaveQuestion = "]変更内容を保存しますか";
inline constexpr std::string_view kSaveFailed = "保存できませんでした";
inline constexpr std::string_view kSaved = " を保存しました";
inline constexpr std::string_view kCannotOpenMore = "これ以上開けません";
inline constexpr std::string_view kAlreadyLinked =
    "]はすでにリンクされています\nさらにリンク断片を作成しますか?";
inline constexpr std::string_view kSettingsUnreadable =
    "]設定ファイルを読み込めません。設定は保存されません\n";
inline constexpr std::string_view kSettingsReadOnly =
    "]設定ファイルは書き込み禁止です。設定は保存されません";
inline constexpr std::string_view kSettingsNotSaved = "]設定を保存できませんでした\n";
inline constexpr std::string_view kHelpMissing = "]ヘルプが見つかりません";

// Recovery copies of unsaved changes (%1: the copy's time; the path leads the question).
inline constexpr std::string_view kRecoveryQuestion =
    "]\n前回正常に終了しなかったため、保存されていない変更が残っています\n"
    "%1 の時点の内容を復元しますか\n\n"
    "復元しない場合、この内容は削除されます\n"
    "キャンセルすると、次回の起動時にもう一度確認します";
inline constexpr std::string_view kRecoveryUnreadable = "]の復元用コピーを読み込めません\n";
inline constexpr std::string_view kRecoveryMovedTo = "\nコピーは次の場所に移しました: ";
inline constexpr std::string_view kRecoveryLeftIn = "\nコピーは次の場所に残っています: ";
inline constexpr std::string_view kRecoveryTooMany =
    "これ以上開けません。残りの復元用コピーは次回の起動時に確認します";
inline constexpr std::string_view kRecoveryNotWritten = "復元用のコピーを保存できませんでした: ";

// Menus beyond the command captions.
inline constexpr std::string_view kMenuFile = "ファイル(&F)";
inline constexpr std::string_view kMenuEdit = "編集(&E)";
inline constexpr std::string_view kMenuGo = "ジャンプ(&G)";
inline constexpr std::string_view kMenuTool = "ツール(&T)";
inline constexpr std::string_view kMenuView = "表示(&V)";
inline constexpr std::string_view kMenuWindow = "ウィンドウ(&W)";
inline constexpr std::string_view kMenuOption = "オプション(&O)";
inline constexpr std::string_view kMenuHelp = "ヘルプ(&H)";
inline constexpr std::string_view kMenuRecentFiles = "最近開いたファイル(&H)";
inline constexpr std::string_view kMenuSelectGroup = "グループ選択(&G)";
inline constexpr std::string_view kHintSelectGroup = "指定したグループの断片を選択します";
inline constexpr std::string_view kMenuMoveToGroup = "他グループへ移動(&M)";
inline constexpr std::string_view kHintMoveToGroup = "選択中の断片を他のグループへ移動します";
inline constexpr std::string_view kMenuMoveToWindow = "他ウィンドウへ移動(&V)";
inline constexpr std::string_view kHintMoveToWindow = "選択中の断片を他のウィンドウへ移動します";
inline constexpr std::string_view kMenuToolBars = "ツールバー(&T)";
inline constexpr std::string_view kMenuToolBarItems[3] = {"標準(&S)", "断片操作(&F)",
                                                          "モード切り替え(&M)"};
inline constexpr std::string_view kToolBarTitles[3] = {"標準", "断片操作", "モード切替"};
inline constexpr std::string_view kAboutTitle = "バージョン情報";
inline constexpr std::string_view kFragmentFileFilter = "断片ファイル (*.csv *.CSV)";

// Status bar.
inline constexpr std::string_view kStatusCards = "断片数=%1  /選択中=%2";
inline constexpr std::string_view kShuttingDown = "終了処理中...";
inline constexpr std::string_view kStatusPanel0Sample = "00/00 ";
inline constexpr std::string_view kStatusPanel1Sample = "断片数=1000  /選択中=1000 ";
inline constexpr std::string_view kStatusHeightSample = "断片";
inline constexpr std::string_view kBrushPanelHint = "背景塗り色";

// Document window.
inline constexpr std::string_view kNoFreeGroup = "これ以上グループ化できません";
inline constexpr std::string_view kSettingGroupLine = "グループ関係線を設定中...";
inline constexpr std::string_view kMenuBrushColour = "背景塗り色の選択(&C)";
inline constexpr std::string_view kMenuBrushFromCards = "既存背景色から塗り色を選択(&A)";

// Export to open formats (File menu submenu). Each format: caption, dialog title, filter.
inline constexpr std::string_view kMenuExport = "エクスポート(&E)";
inline constexpr std::string_view kHintExport =
    "文書を SVG・PDF・PNG・JSON Canvas のファイルに書き出します";
inline constexpr std::string_view kExportSvg[3] = {"SVG(&S)...", "SVG として書き出し",
                                                   "SVG 画像 (*.svg *.SVG)"};
inline constexpr std::string_view kExportPdf[3] = {"PDF(&P)...", "PDF として書き出し",
                                                   "PDF 文書 (*.pdf *.PDF)"};
inline constexpr std::string_view kExportPng[3] = {"PNG(&N)...", "PNG として書き出し",
                                                   "PNG 画像 (*.png *.PNG)"};
inline constexpr std::string_view kExportCanvas[3] = {
    "JSON Canvas(&J)...", "JSON Canvas として書き出し", "JSON Canvas (*.canvas)"};
inline constexpr std::string_view kExporting = "書き出し中...";
inline constexpr std::string_view kExported = " に書き出しました";              // after the path
inline constexpr std::string_view kExportFailed = "]を書き出せませんでした\n";  // "[" + path + this

// Image card text of a dropped picture.
inline constexpr std::string_view kImageCardText = "#画像";

inline QString Q(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
// The code page 932 form of a program text (every program text is representable).
std::string Cp932(std::string_view utf8);

}  // namespace texts
