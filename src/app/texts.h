// Every text the program shows: captions, messages and status lines, in one place so that a
// wording is changed once and found by anyone looking for it. Kept as UTF-8; Cp932() gives the
// code page 932 form the prompts and the model work with.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <string>
#include <string_view>

namespace texts {

inline constexpr std::string_view kProgramName = "Quillovarsta";
inline constexpr std::string_view kVersion = "Version 2.70";
inline constexpr std::string_view kFreeSoftware = "フリーソフトウェア";

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
// Opening a JSON Canvas: "[" + path + one of these.
inline constexpr std::string_view kCanvasUnreadable = "]はJSON Canvasとして読み込めません\n";
inline constexpr std::string_view kCanvasImported = "]をJSON Canvasから読み込みました";
inline constexpr std::string_view kCanvasDropped =
    "\n入りきらないため、グループ%1個と断片%2個を読み込まず、編集禁止で開きます";
inline constexpr std::string_view kCanvasUnconvertibleCards =
    "\nShift-JISで表せない文字を含む断片があるため、編集禁止で開きます: ";
inline constexpr std::string_view kCanvasSkipped = "\n壊れた要素%1個を読み飛ばしました";
inline constexpr std::string_view kCanvasTextsCut = "\n長すぎるテキスト%1個を切り詰めました";
inline constexpr std::string_view kNotFragmentFile =
    "]は断片ファイルではありません\n1番目の項目をテキスト内容として読み込みますか?";
inline constexpr std::string_view kSaveQuestion = "]変更内容を保存しますか";
inline constexpr std::string_view kSaveFailed = "保存できませんでした";
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
// Why the folder of recovery copies is not used (%1: the folder; %2: the system's reason).
inline constexpr std::string_view kWhyRecoveryFolderNoName =
    "復元用コピーのフォルダー名がありません";
inline constexpr std::string_view kWhyRecoveryFolderCannotMake =
    "フォルダー %1 を作成できません: %2";
inline constexpr std::string_view kWhyRecoveryFolderLink = "フォルダー %1 はシンボリックリンクです";
inline constexpr std::string_view kWhyRecoveryFolderNotFolder = "%1 はフォルダーではありません";
inline constexpr std::string_view kWhyRecoveryFolderCannotOpen = "フォルダー %1 を開けません: %2";
inline constexpr std::string_view kWhyRecoveryFolderOthers =
    "フォルダー %1 はほかのユーザーのものです";
inline constexpr std::string_view kWhyRecoveryFolderCannotNarrow =
    "フォルダー %1 をほかのユーザーから読めないようにできません: %2";
inline constexpr std::string_view kWhyRecoveryFolderCannotExamine =
    "フォルダー %1 の所有者を確かめられません";

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
// The Edit menu's and the card pop-up's submenu of the keyboard moves between cards.
inline constexpr std::string_view kMenuSelectNearCard = "隣の断片を選択(&L)";
// How assistive tools describe a card: a group without name plate is this word and its number;
// a link follows the group after this lead.
inline constexpr std::string_view kCardGroupWord = "グループ";
inline constexpr std::string_view kCardLinkLead = "、リンク: ";
inline constexpr std::string_view kMenuToolBars = "ツールバー(&T)";
inline constexpr std::string_view kFilterAllPictures = "すべての画像";
inline constexpr std::string_view kFilterAllFiles = "すべてのファイル (*)";
inline constexpr std::string_view kMenuHideTitleMenu = "最大化時にタイトルバーとメニューを隠す(&H)";
inline constexpr std::string_view kMenuToolBarItems[3] = {"標準(&S)", "断片操作(&F)",
                                                          "モード切り替え(&M)"};
inline constexpr std::string_view kToolBarTitles[3] = {"標準", "断片操作", "モード切替"};
inline constexpr std::string_view kAboutTitle = "バージョン情報";

// Status bar.
inline constexpr std::string_view kStatusCards = "断片数=%1  /選択中=%2";
inline constexpr std::string_view kShuttingDown = "終了処理中...";
inline constexpr std::string_view kStatusPanel0Sample = "00/00 ";
inline constexpr std::string_view kStatusPanel1Sample = "断片数=1000  /選択中=1000 ";
// The widest text of the zoom panel.
inline constexpr std::string_view kStatusZoomSample = "400%";
// The submenu of the zoom commands (View menu, card pop-up) and the tool bar's button for it.
inline constexpr std::string_view kMenuZoom = "表示倍率(&Z)";
inline constexpr std::string_view kZoomButtonHint = "表示倍率|ウィンドウの表示倍率を変えます";
inline constexpr std::string_view kBrushPanelHint = "背景塗り色";

// Document window.
inline constexpr std::string_view kNoFreeGroup = "これ以上グループ化できません";
inline constexpr std::string_view kSettingGroupLine = "グループ関係線を設定中...";
inline constexpr std::string_view kMenuBrushColour = "背景塗り色の選択(&C)";
inline constexpr std::string_view kMenuBrushFromCards = "既存背景色から塗り色を選択(&A)";
// The relation line pop-up menu: the line types and widths in the menu's order, and the removal
// of the selected line.
inline constexpr std::string_view kLineTypes[4] = {"タイプ : 線 (&L)", "タイプ : 矢印(&A)",
                                                   "タイプ : 両矢印(&B)", "タイプ : 逆両矢印(&C)"};
inline constexpr std::string_view kLineWidths[5] = {"点線 (&T)", "細線 (&1)", "中太線 (&3)",
                                                    "太線 (&5)", "極太線(9)"};
inline constexpr std::string_view kLineDelete = "関係線の削除(&D)";

// Export to open formats (File menu submenu). Each format: caption, dialog title, filter.
inline constexpr std::string_view kMenuExport = "エクスポート(&E)";
inline constexpr std::string_view kHintExport =
    "文書を SVG・PDF・PNG・JSON Canvas・Markdown のファイルに書き出します";
inline constexpr std::string_view kExportSvg[3] = {"SVG(&S)...", "SVG として書き出し",
                                                   "SVG 画像 (*.svg *.SVG)"};
inline constexpr std::string_view kExportPdf[3] = {"PDF(&P)...", "PDF として書き出し",
                                                   "PDF 文書 (*.pdf *.PDF)"};
inline constexpr std::string_view kExportPng[3] = {"PNG(&N)...", "PNG として書き出し",
                                                   "PNG 画像 (*.png *.PNG)"};
inline constexpr std::string_view kExportCanvas[3] = {
    "JSON Canvas(&J)...", "JSON Canvas として書き出し", "JSON Canvas (*.canvas)"};
inline constexpr std::string_view kExportMarkdown[3] = {
    "&Markdown (*.md)", "Markdown として書き出し", "Markdown (*.md *.MD)"};
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
inline constexpr std::string_view kOutputCancelling = "中止しています...";
inline constexpr std::string_view kExported = " に書き出しました";              // after the path
inline constexpr std::string_view kExportFailed = "]を書き出せませんでした\n";  // "[" + path + this

// Image card text of a dropped picture.
inline constexpr std::string_view kImageCardText = "#画像";

// ---- Output: image output and printing (app/output) ----
// The image output dialog's types: a bitmap, a JPEG.
inline constexpr std::string_view kImageFilters[2] = {"ビットマップファイル (*.BMP)",
                                                      "JPEGファイル(*.JPG)"};
inline constexpr std::string_view kPrinterSetup = "プリンタ設定中...";
inline constexpr std::string_view kPrintFailed = "[%1]印刷できませんでした";  // %1: printer or file
// %1: the path.
inline constexpr std::string_view kImageNameNeeded =
    "[%1]画像は .BMP か .JPG の名前で保存してください";
// %1: the path, %2: why.
inline constexpr std::string_view kImageSaveFailed = "[%1]画像を保存できませんでした\n%2";

// ---- Dialogs, panels and choosers ----

// Buttons the dialogs share.
inline constexpr std::string_view kButtonOk = "OK";
inline constexpr std::string_view kButtonOkWide = "ＯＫ";
inline constexpr std::string_view kButtonCancel = "キャンセル";
inline constexpr std::string_view kButtonBrowse = "...";
inline constexpr std::string_view kButtonChoose = "指定...";
inline constexpr std::string_view kWarningTitle = "警告";

// Find dialog.
inline constexpr std::string_view kFindTitle = "検索";
inline constexpr std::string_view kFindWords = "検索語";
inline constexpr std::string_view kFindMatchCase = "大小文字区別(&C)";
inline constexpr std::string_view kFindOr = "&OR/";
inline constexpr std::string_view kFindAnd = "&AND";
inline constexpr std::string_view kFindStart = "開始";
// What a search found, in the status bar (%1: the words; the count first when some were found).
inline constexpr std::string_view kFindNone = "[%1]が見つかりません";
inline constexpr std::string_view kFindFound = "%1枚の断片が見つかりました [%2]";

// Card properties dialog ("新規断片の作成" for a new card).
inline constexpr std::string_view kPropTitle = "プロパティ";
inline constexpr std::string_view kPropNewTitle = "新規断片の作成";
inline constexpr std::string_view kPropGroup = "グループ(&G)";
inline constexpr std::string_view kPropType = "タイプ(&T)";
inline constexpr std::string_view kPropKinds[4] = {"断片", "表札", "標識", "画像"};
inline constexpr std::string_view kPropSize = "サイズ(&S)";
inline constexpr std::string_view kPropRatio = "倍率(&S)";
inline constexpr std::string_view kPropColumns = "桁";
inline constexpr std::string_view kPropSlash = "／";
inline constexpr std::string_view kPropLines = "行";
inline constexpr std::string_view kPropFit = "&Fit";
inline constexpr std::string_view kPropColours = "配色(&C)";
inline constexpr std::string_view kPropTextColour = "文字";
inline constexpr std::string_view kPropBackColour = "背景";
// A colour button after its colour was changed.
inline constexpr std::string_view kPropTextColourChanged = "*文字";
inline constexpr std::string_view kPropBackColourChanged = "*背景";
inline constexpr std::string_view kPropTransparent = "透過";
inline constexpr std::string_view kPropLink = "リンク(&L)";
// What assistive tools call the card's text box (it has no caption in the dialog).
inline constexpr std::string_view kPropMemoName = "断片の内容";
inline constexpr std::string_view kPropExtract = "▼";
inline constexpr std::string_view kPropNotEditable = "\n *** 内容は編集できません ***";
inline constexpr std::string_view kPropUnheldCharacters =
    "次の文字は断片に保存できません。別の文字に置き換えてください\n%1";
inline constexpr std::string_view kPropLinkNotStorable = "[%1]このリンク先の名前は保存できません";
inline constexpr std::string_view kPropChooseImage = "画像の指定";
inline constexpr std::string_view kPropChooseLink = "リンク先の指定";
// What the link's file offers to the card's text (the ▼ menu).
inline constexpr std::string_view kExtractTitle = "タイトル (&T)";
inline constexpr std::string_view kExtractMetaDescription = "META: description (&D)";
inline constexpr std::string_view kExtractMetaKeywords = "META: keywords (&K)";
inline constexpr std::string_view kExtractFirstLine = "有用そうな最初の行 (&F)";
inline constexpr std::string_view kExtractMp3Track = "トラック名 (&T)";
inline constexpr std::string_view kExtractMp3Artist = "アーティスト名 (&A)";
inline constexpr std::string_view kExtractMp3Album = "アルバム名 (&L)";
inline constexpr std::string_view kExtractMp3Year = "リリース年号 (&Y)";
inline constexpr std::string_view kExtractMp3Comment = "コメント (&C)";
// The link chooser's filters (pictures use the file chooser's).
inline constexpr std::string_view kFilterLinkDocuments = "Quillovarsta 断片ファイル(*.csv) (*.csv)";
inline constexpr std::string_view kFilterLinkText = "テキスト (*.txt)";
inline constexpr std::string_view kFilterLinkHtml = "HTML文書 (*.htm*)";
inline constexpr std::string_view kFilterLinkOther = "その他 (*.*) (*)";

// Options dialog: title, choosers, tabs.
inline constexpr std::string_view kOptionTitle = "オプション設定";
inline constexpr std::string_view kOptionHomeChooser = "ホームウィンドウ";
inline constexpr std::string_view kOptionHomeFilter = "Quillovarsta 断片ﾌｧｲﾙ (*.csv)";
inline constexpr std::string_view kOptionPluginChooser = "Susie プラグインのフォルダ";
inline constexpr std::string_view kOptionTabDesign = "ﾃﾞｻﾞｲﾝ";
inline constexpr std::string_view kOptionTabCards = "断片";
inline constexpr std::string_view kOptionTabShortcuts = "ｼｮｰﾄｶｯﾄ";
inline constexpr std::string_view kOptionTabWindow = "ｳｨﾝﾄﾞｳ";
inline constexpr std::string_view kOptionTabDisplay = "表示";
inline constexpr std::string_view kOptionTabOther = "その他";
inline constexpr std::string_view kOptionTabPlugins = "ﾌﾟﾗｸﾞｲﾝ";
inline constexpr std::string_view kPathNotStorable = "[%1]このパス名は設定ファイルに保存できません";
inline constexpr std::string_view kOptionHomeNotFragmentFile = "[%1]は断片ﾌｧｲﾙではありません";

// Options dialog, design page: the colours and fonts in the editor's order, and the sample.
inline constexpr std::string_view kOptionColourNames[17] = {
    "断片の文字(ﾃﾞﾌｫﾙﾄ)", "断片の背景(ﾃﾞﾌｫﾙﾄ)", "選択中断片の文字", "選択中断片の背景",
    "表札の文字(ﾃﾞﾌｫﾙﾄ)", "表札の背景(ﾃﾞﾌｫﾙﾄ)", "断片の輪郭",       "注目断片の輪郭",
    "標識の文字(ﾃﾞﾌｫﾙﾄ)", "ウィンドウの背景",   "グループ枠",       "グループ関係線",
    "ｸﾞﾙｰﾌﾟﾘｽﾄの文字",    "非表示ｸﾞﾙｰﾌﾟの文字", "ｸﾞﾙｰﾌﾟﾘｽﾄの背景",  "全体図のエリア枠",
    "画面分割線"};
inline constexpr std::string_view kOptionFontNames[5] = {"断片", "表札", "標識", "グループリスト",
                                                         "ステータスバー"};
inline constexpr std::string_view kOptionColours = "配色(&C)";
inline constexpr std::string_view kOptionFonts = "フォント(&T)";
inline constexpr std::string_view kOptionFrameLineWidth = "ｸﾞﾙｰﾌﾟ枠の線幅";
inline constexpr std::string_view kOptionListLineSpacing = "ｸﾞﾙｰﾌﾟﾘｽﾄの行間";
inline constexpr std::string_view kOptionArrow = "ｸﾞﾙｰﾌﾟ関係線の矢(&R)";
inline constexpr std::string_view kOptionArrowSizes[3] = {"小", "中", "大"};
inline constexpr std::string_view kOptionArrowTypes[2] = {"線", "三角"};
inline constexpr std::string_view kSampleCard = "断片";
inline constexpr std::string_view kSampleSelected = "選択中";
inline constexpr std::string_view kSamplePlate = "表札";
inline constexpr std::string_view kSampleSymbol = "▼";
inline constexpr std::string_view kSampleGroupRows[3] = {"_10: グループ 1", "__3: グループ 2",
                                                         "___: グループ 9"};
inline constexpr std::string_view kSampleStatusPage = "1/1";
inline constexpr std::string_view kSampleStatusCards = "断片数=   2";

// Options dialog, card page.
inline constexpr std::string_view kOptionCardSize = "断片ﾃﾞﾌｫﾙﾄｻｲｽﾞ(&S)";
inline constexpr std::string_view kOptionPlateSize = "表札ﾃﾞﾌｫﾙﾄｻｲｽﾞ(&N)";
inline constexpr std::string_view kOptionPictureRatio = "画像ﾃﾞﾌｫﾙﾄ倍率(&N)";
inline constexpr std::string_view kOptionColumns = "桁";
inline constexpr std::string_view kOptionLines = "行";
inline constexpr std::string_view kOptionSlash = "／";
inline constexpr std::string_view kOptionNewPlace = "新規作成位置";
inline constexpr std::string_view kOptionNewPlaces[9] = {
    "左上隅", "上中央", "右上隅", "左中央", "中央", "右中央", "左下隅", "下中央", "右下隅"};
inline constexpr std::string_view kOptionAwayPlace = "片づけ位置";
inline constexpr std::string_view kOptionAwayPlaces[4] = {"左上隅", "右上隅", "左下隅", "右下隅"};
inline constexpr std::string_view kOptionMoveCursor = "移動時のｶｰｿﾙ";
inline constexpr std::string_view kOptionMoveCursors[3] = {"矢印", "左手", "右手"};
inline constexpr std::string_view kOptionNewNoGroup = "新規作成時に無所属";
inline constexpr std::string_view kOptionAutoExpand = "自動的に行数増";
inline constexpr std::string_view kOptionInputWordWrap = "テキスト入力の右端で折り返す";
inline constexpr std::string_view kOptionImeOn = "テキスト入力時IMEオン";
inline constexpr std::string_view kOptionLinkIsIcon = "リンクをアイコンで表示";
inline constexpr std::string_view kOptionLineBreak = "改行";
inline constexpr std::string_view kOptionAcceptCr = "ﾃｷｽﾄの改行を行う(&R)";
inline constexpr std::string_view kOptionCrReturnKey = "改行はReturnキーで";
inline constexpr std::string_view kOptionOkCtrlReturn = "Ctrl+ReturnキーでOK";
inline constexpr std::string_view kOptionCrString = "改行文字列";

// Options dialog, window page (hiding title bar and menu: kMenuHideTitleMenu).
inline constexpr std::string_view kOptionHome = "ホームウィンドウ(&H)";
inline constexpr std::string_view kOptionUseCurrentFile = "現在のファイルを指定";
inline constexpr std::string_view kOptionHomeMaximize = "最大化して開く";
inline constexpr std::string_view kOptionChildWinMaximize = "１個目のウィンドウは最大化する(&Z)";
inline constexpr std::string_view kOptionScrollTracking =
    "スクロールバードラッグ中に画面を更新する(&T)";
inline constexpr std::string_view kOptionRestoreScrPos = "スクロールバーを前回の位置に復元する(&P)";
inline constexpr std::string_view kOptionActivateDistWin =
    "断片の移動先ウィンドウをアクティブに(&M)";
inline constexpr std::string_view kOptionOpenLastFile =
    "起動時に前回アクティブだったファイルを開く(&L)";

// Options dialog, display page.
inline constexpr std::string_view kOptionGfrmMovUpdate = "断片移動中にグループ枠を更新する";
inline constexpr std::string_view kOptionNoNpHideGfrm = "表札がない場合はグループ枠を表示しない";
inline constexpr std::string_view kOptionIfNpShowGfrm = "表札がある場合はグループ枠を表示する";
inline constexpr std::string_view kOptionShowNamePlate = "表札を常に表示する";
inline constexpr std::string_view kOptionDoubleBuffered = "画面のちらつきを抑える";
inline constexpr std::string_view kOptionFrgFastDraw = "断片のイメージを保持して描画を高速化";
inline constexpr std::string_view kOptionFlatToolBar = "ツールバーをフラット表示にする";
inline constexpr std::string_view kOptionShowDstGrp = "断片移動先のグループが非表示だったら表示に";
inline constexpr std::string_view kOptionGLineRightAngle =
    "辺同士を結ぶグループ関係線をなるべく垂直に";
inline constexpr std::string_view kOptionMapViewImage = "全体図で画像断片を縮小表示する";
inline constexpr std::string_view kOptionImageIsBack = "画像断片は背後に表示する";
inline constexpr std::string_view kOptionAreaFrame = "全体図にエリア枠を表示する";

// Options dialog, other page and plug-in page.
inline constexpr std::string_view kOptionSpread = "断片の展開";
inline constexpr std::string_view kOptionSpreadAlign = "揃えて並べる(&I)";
inline constexpr std::string_view kOptionSpreadShuffle = "シャッフル(&S)";
inline constexpr std::string_view kOptionJpegQuality = "JPEG保存品質 %1";
inline constexpr std::string_view kOptionPrintMonochrome = "モノクロ(1色)で印刷する";
inline constexpr std::string_view kOptionNewBlankDblClick =
    "グループリストの空グループをダブルクリックで新規断片";
inline constexpr std::string_view kOptionFrameAllSelect = "枠選択の際に交差した断片はすべて含める";
inline constexpr std::string_view kOptionClipPosSort = "クリップボードコピー時に断片位置でソート";
inline constexpr std::string_view kOptionDropLinkFile =
    "CSV以外のファイルドロップ時に新規リンク断片作成";
inline constexpr std::string_view kOptionDropImgFile = "画像ファイルドロップ時に画像断片作成";
inline constexpr std::string_view kOptionNewFixedScr = "新規作成時に全体サイズを固定";
inline constexpr std::string_view kOptionPlugins = "Susieプラグイン";
inline constexpr std::string_view kOptionPluginFolder = "ディレクトリ";
// What assistive tools call the list of plug-ins found (it has no caption on the page).
inline constexpr std::string_view kOptionPluginListName = "見つかったプラグイン";

// Options dialog, shortcut page.
inline constexpr std::string_view kShortcutKey = "キー";
inline constexpr std::string_view kShortcutShift = "Shift";
inline constexpr std::string_view kShortcutCtrl = "Ctrl";
inline constexpr std::string_view kShortcutAlt = "Alt";
// What assistive tools call the category choice and the command list (no captions on the page).
inline constexpr std::string_view kShortcutCategoryName = "分類";
inline constexpr std::string_view kShortcutListName = "コマンドとキー";
inline constexpr std::string_view kShortcutChange = "変更(&C)";
inline constexpr std::string_view kShortcutClear = "解除(&R)";

// Whole size dialog.
inline constexpr std::string_view kWholeSizeTitle = "全体サイズ設定";
inline constexpr std::string_view kWholeSizeFixed = "全体サイズを固定する(&F)";
inline constexpr std::string_view kWholeSizeWidth = "幅(&W)";
inline constexpr std::string_view kWholeSizeHeight = "高(&H)";
inline constexpr std::string_view kWholeSizeDivision = "画面分割線";
inline constexpr std::string_view kWholeSizeColumns = "横";
inline constexpr std::string_view kWholeSizeRows = "縦";

// Stretch dialog (its other captions are the stretch controller's).
inline constexpr std::string_view kStretchLess = "-";
inline constexpr std::string_view kStretchMore = "+";
inline constexpr std::string_view kStretchApply = "適用";

// Group list panel and its pop-up menu.
inline constexpr std::string_view kGroupListTitle = "グループリスト";
inline constexpr std::string_view kGroupListUp = "上へ(&U)";
inline constexpr std::string_view kGroupListDown = "下へ(&D)";
inline constexpr std::string_view kGroupListShowAll = "全て表示(&A)";
inline constexpr std::string_view kGroupListShowNonEmpty = "空でないグループを表示(&B)";
inline constexpr std::string_view kGroupListPlace = "リストの位置(&P)";
inline constexpr std::string_view kGroupListSides[4] = {"左(&L)", "右(&R)", "上(&T)", "下(&B)"};
inline constexpr std::string_view kGroupListFloat = "浮動(&F)";
inline constexpr std::string_view kGroupListHide = "リストを隠す(&H)";

// Map viewer.
inline constexpr std::string_view kMapViewerTitle = "全体図";

// File choosers: titles and filters (documents are mostly "*.csv": both cases are offered).
inline constexpr std::string_view kChooserOpen = "開く";
inline constexpr std::string_view kChooserMerge = "マージ";
inline constexpr std::string_view kChooserImportText = "テキスト取り込み";
inline constexpr std::string_view kChooserExportText = "テキスト書き出し";
inline constexpr std::string_view kFilterDocuments = "Quillovarsta 断片ﾌｧｲﾙ (*.csv *.CSV)";
inline constexpr std::string_view kFilterText = "テキスト (*.txt *.TXT)";
inline constexpr std::string_view kFilterCanvas = "JSON Canvas (*.canvas)";
inline constexpr std::string_view kFilterBitmap = "ビットマップ (*.bmp *.BMP)";
inline constexpr std::string_view kFilterJpeg =
    "JPEGファイル(*.JPG) (*.jpg *.jpe *.jpeg *.JPG *.JPE *.JPEG)";
inline constexpr std::string_view kFilterIcon = "アイコン (*.ico *.ICO)";

// ---- Documents: opening, saving and the File menu (the document manager, file commands) ----
// "[" + path + this + why.
inline constexpr std::string_view kCannotRead = "]を読み込めません\n";
inline constexpr std::string_view kChangedElsewhere =
    "]は読み込んだ後でほかから変更されています\n上書きしますか?";  // "[" + path + this
inline constexpr std::string_view kMergeNotFragmentFile =
    "]は断片ファイルではありません\n1番目の項目をテキスト内容としてマージしますか?";
inline constexpr std::string_view kSavedMessage = " を保存しました";  // after the path
// An open document's file changed on disk (status bar): "[" + path + this (+ why).
inline constexpr std::string_view kReloadedFromDisk = "]はほかで変更されたので読み込み直しました";
inline constexpr std::string_view kGoneFromDisk =
    "]は削除されたか名前が変わりました。保存すると作り直します";
inline constexpr std::string_view kCannotReload = "]はほかで変更されましたが読み込めません : ";
inline constexpr std::string_view kNotADocumentNow = "断片ファイルではありません";
// "[" + path + this + why.
inline constexpr std::string_view kTextNotExported = "]に書き出せませんでした\n";

// ---- The edit history (undo and redo) ----
// The undo and redo commands' hints and status lines name the step: prefix + ": " + step.
inline constexpr std::string_view kUndoPrefix = "元に戻す";
inline constexpr std::string_view kRedoPrefix = "やり直し";
// Steps of commands whose caption says too little ("削除" deletes cards or a group line).
inline constexpr std::string_view kStepDeleteCards = "断片の削除";
inline constexpr std::string_view kStepProperties = "プロパティ変更";
// Steps named by what they changed (a drag, a tool, a group-list action, a drop).
inline constexpr std::string_view kStepEdit = "編集";
inline constexpr std::string_view kStepCreate = "断片の作成";
inline constexpr std::string_view kStepMove = "移動";
inline constexpr std::string_view kStepGroup = "グループ変更";
inline constexpr std::string_view kStepPaint = "断片背景塗り";
inline constexpr std::string_view kStepLines = "グループ関係線";
inline constexpr std::string_view kStepPage = "全体サイズ設定";

inline QString Q(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
// Every item of a list of texts (the entries of a combo box, in order).
template <std::size_t N>
QStringList Qs(const std::string_view (&items)[N]) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(N));
    for (std::string_view item : items)
        list << Q(item);
    return list;
}
// The code page 932 form of a program text (every program text is representable).
std::string Cp932(std::string_view utf8);

}  // namespace texts
