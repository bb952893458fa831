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
// Ends a document window's title while the document has unsaved changes.
inline constexpr std::string_view kModifiedMark = " *";

// Messages, shown through the prompts port ("[" + name + "]" + text where a name leads).
inline constexpr std::string_view kDoesNotExist = "]は存在しません";
inline constexpr std::string_view kConvertedFromUtf8 =
    "]はUTF-8で保存された断片ファイルです。文字をShift-JISに変換しました";
inline constexpr std::string_view kConvertedFromUtf16 =
    "]はUTF-16で保存された断片ファイルです。文字をShift-JISに変換しました";
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
inline constexpr std::string_view kHelpLookedIn = "\n探した場所:";

// Following a card's link ("[" + link + text; %1: what kind of program, or which application).
inline constexpr std::string_view kLinkIsProgram =
    "]はプログラム (%1) です。開くとこのプログラムが実行されます。\n"
    "信頼できる文書のリンクでなければ開かないでください。開きますか?";
inline constexpr std::string_view kProgramWord = "プログラム";
inline constexpr std::string_view kLinkOpenQuestion = "]を開きますか?";
inline constexpr std::string_view kLinkHandler = "\n開くアプリケーション: %1";
inline constexpr std::string_view kLinkHandlerUnknown =
    "\nこのアドレスを開くアプリケーションは分かりません";
inline constexpr std::string_view kLinkNoApplication = "]を開くアプリケーションが見つかりません";
inline constexpr std::string_view kLinkBadAddress = "]は正しいアドレスではありません";

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

// Why a file could not be written or read, after a message that names it.
inline constexpr std::string_view kSaveFailedIn = "]\n";  // kSaveFailed + "\n[" + path + this
inline constexpr std::string_view kWhyNoName = "ファイル名がありません";
inline constexpr std::string_view kWhyReadOnly = "書き込み禁止のファイルです";
inline constexpr std::string_view kWhyFolder = "フォルダーです";
inline constexpr std::string_view kWhyDevice = "デバイスです。通常のファイルではありません";
inline constexpr std::string_view kWhyFifo = "FIFO です。通常のファイルではありません";
inline constexpr std::string_view kWhySocket = "ソケットです。通常のファイルではありません";
inline constexpr std::string_view kWhyNotRegular = "通常のファイルではありません";
inline constexpr std::string_view kWhyLinkLoop = "シンボリックリンクが循環しています";
inline constexpr std::string_view kWhyForeignLink =
    "共有フォルダーにある他のユーザーのシンボリックリンクです。たどりません";
inline constexpr std::string_view kWhyHardLinked =
    "他のハードリンクがあり、その場で書き換えることもできません";
inline constexpr std::string_view kWhyOthersFile =
    "他のユーザーまたはグループのファイルで、所有者を保つことも、その場で書き換えることもできませ"
    "ん";
inline constexpr std::string_view kWhyTooLargeToSave =
    "文書が大きすぎます。保存すると読み込めないファイルになります";
inline constexpr std::string_view kWhyIncomplete =
    "この文書はファイルの一部しか読み込んでいないため、上書きすると残りが失われます";
inline constexpr std::string_view kWhyMissing = "ファイルまたはフォルダーが見つかりません";
inline constexpr std::string_view kWhyPermission = "アクセスが許可されていません";
inline constexpr std::string_view kWhyTooLarge = "ファイルが大きすぎます";
inline constexpr std::string_view kWhyNoSpace = "ディスクの空き容量が足りません";
inline constexpr std::string_view kWhyQuota = "ディスクの使用量の制限を超えています";
inline constexpr std::string_view kWhyReadOnlyDisk = "読み取り専用のディスクです";
inline constexpr std::string_view kWhyNameTooLong = "ファイル名が長すぎます";
inline constexpr std::string_view kWhyIo = "ディスクの読み書きに失敗しました";
inline constexpr std::string_view kWhyBusy = "ファイルが使用中です";
inline constexpr std::string_view kWhyOther = "システムのエラー: %1";  // the system's own words
// Why a recovery copy cannot be restored.
inline constexpr std::string_view kWhyInfoMissing = "説明ファイル (%1) がありません";
inline constexpr std::string_view kWhyInfoUnreadable = "説明ファイルを読み込めません: %1";
inline constexpr std::string_view kWhyInfoDamaged = "説明ファイルが壊れています";
inline constexpr std::string_view kWhyNotFragmentFile = "断片ファイルではありません";

// A later start that could not hand its document to the running program, which then runs as a
// program of its own (the reason follows); and a hand-over the running program has no room for.
inline constexpr std::string_view kHandOverFailed =
    "起動中のプログラムに引き渡せなかったため、新しく起動しました\n";
inline constexpr std::string_view kInstanceNoFolder =
    "ロックファイルを置く自分専用のフォルダーを用意できません";
inline constexpr std::string_view kInstanceCannotLock = "ロックファイル %1 を作成できません";
inline constexpr std::string_view kInstanceForeignLock =
    "ロックファイル %1 はほかのユーザーのものです";
inline constexpr std::string_view kInstanceForeignSocket = "ソケット %1 はほかのユーザーのものです";
inline constexpr std::string_view kInstanceForeignPeer =
    "ソケット %1 で待っているのはほかのユーザーのプログラムです";
inline constexpr std::string_view kInstanceNoAnswer = "起動中のプログラムが応答しません";
inline constexpr std::string_view kInstanceCannotListen = "ソケット %1 を開けません";

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
inline constexpr std::string_view kFilterAllPictures = "すべての画像";
inline constexpr std::string_view kFilterAllFiles = "すべてのファイル (*)";
inline constexpr std::string_view kMenuHideTitleMenu = "最大化時にタイトルバーとメニューを隠す(&H)";
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
// Image output, exports and printing run beside the window behind a progress dialog: its caption
// is the command's (the export's dialog title, "画像として保存", "印刷"), its label what runs.
inline constexpr std::string_view kImageOutputTitle = "画像として保存";
inline constexpr std::string_view kSavingImage = "画像保存中...";
inline constexpr std::string_view kPrintTitle = "印刷";
inline constexpr std::string_view kPrinting = "印刷中...";
// "[" + path + kExportFailed + kPngTooLarge with the limit, the page's width and height.
inline constexpr std::string_view kPngTooLarge =
    "PNG 画像は 1 辺 %1 ピクセルまでです（このページは %2 × %3 ピクセル）";
inline constexpr std::string_view kOutputCancel = "キャンセル";
inline constexpr std::string_view kOutputCancelling = "中止しています...";
inline constexpr std::string_view kExported = " に書き出しました";              // after the path
inline constexpr std::string_view kExportFailed = "]を書き出せませんでした\n";  // "[" + path + this

// Image card text of a dropped picture.
inline constexpr std::string_view kImageCardText = "#画像";

// ---- Documents: opening, saving and the File menu (the document manager, file commands) ----
// "[" + path + this + why.
inline constexpr std::string_view kCannotRead = "]を読み込めません\n";
inline constexpr std::string_view kChangedElsewhere =
    "]は読み込んだ後でほかから変更されています\n上書きしますか?";  // "[" + path + this
inline constexpr std::string_view kMergeNotFragmentFile =
    "]は断片ファイルではありません\n1番目の項目をテキスト内容としてマージしますか?";
inline constexpr std::string_view kSavedMessage = " を保存しました";  // after the path
// "[" + path + this + why.
inline constexpr std::string_view kTextNotExported = "]に書き出せませんでした\n";

inline QString Q(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
// The code page 932 form of a program text (every program text is representable).
std::string Cp932(std::string_view utf8);

}  // namespace texts
