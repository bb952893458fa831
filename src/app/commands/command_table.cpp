#include "app/commands/command_table.h"

#include <array>

#include "app/texts.h"

namespace {

using C = CommandId;
using R = EnablingRule;

constexpr std::array<CommandRow, kCommandCount> kTable = {{
    {C::ToolNrm, "ToolNrm", "ツール", "通常編集(&N)", "通常編集", "", 20, R::ChildUpdate},
    {C::FileNew, "FileNew", "ファイル", "新規作成(&N)", "新規作成", "", -1, R::Always},
    {C::ToolGruop, "ToolGruop", "ツール", "グループ化(&G)", "グループ化", "", 27,
     R::EditChildUpdate},
    {C::FileOpen, "FileOpen", "ファイル", "開く(&O)...", "開く", "", 0, R::CanOpenUpdate},
    {C::FileMerge, "FileMerge", "ファイル", "マージ(&M)...", "", "", -1, R::EditChildUpdate},
    {C::FileSave, "FileSave", "ファイル", "上書き保存(&S)", "保存", "", 1, R::EditChildUpdate},
    {C::FileSaveAs, "FileSaveAs", "ファイル", "名前を付けて保存(&A)...", "", "", -1,
     R::ChildUpdate},
    {C::FileClose, "FileClose", "ファイル", "閉じる(&C)", "", "", -1, R::ChildUpdate},
    {C::FileAllSaveEnd, "FileAllSaveEnd", "ファイル", "全て保存して終了(&Z)", "", "", -1,
     R::Always},
    {C::FileImport, "FileImport", "ファイル", "テキスト取り込み(&R)...",
     "断片の内容をテキストファイルから読み込みます", "", -1, R::EditChildUpdate},
    {C::FileExport, "FileExport", "ファイル", "テキスト書き出し(&W)...",
     "断片の内容をテキストファイルヘ書き出します", "", -1, R::ChildUpdate},
    {C::FilePrint, "FilePrint", "ファイル", "印刷(&P)...", "印刷", "", 2, R::FilePrintUpdate},
    {C::FileImgOut, "FileImgOut", "ファイル", "画像として保存(&I)...", "", "", -1,
     R::EditChildUpdate},
    {C::FileExit, "FileExit", "ファイル", "終了(&X)", "", "", -1, R::Always},
    {C::EditCut, "EditCut", "編集", "切り取り(&T)",
     "切り取り|選択中の断片を切り取ってｶｯﾄﾊﾞｯﾌｧへ(ﾃｷｽﾄはｸﾘｯﾌﾟﾎﾞｰﾄﾞへも)", "Ctrl+X", 3,
     R::EditSelUpdate},
    {C::EditCopy, "EditCopy", "編集", "コピー(&C)",
     "コピー|選択中の断片をコピーしてカットバッファへ(ﾃｷｽﾄはｸﾘｯﾌﾟﾎﾞｰﾄﾞへも)", "Ctrl+C", 4,
     R::SelUpdate},
    {C::EditPaste, "EditPaste", "編集", "貼り付け(&P)", "貼り付け|ｶｯﾄﾊﾞｯﾌｧの内容を貼り付けます",
     "Ctrl+V", 5, R::EditPasteUpdate},
    {C::EditPasteEx, "EditPasteEx", "編集", "マウス位置に貼り付け(&H)",
     "カットバッファの内容をマウスカーソル位置に貼り付けます", "", -1, R::EditPasteUpdate},
    {C::EditNew, "EditNew", "編集", "新規断片(&N)", "新規断片|新たに断片を作ります", "", 6,
     R::EditChildUpdate},
    {C::EditNewClip, "EditNewClip", "編集", "クリップボードから新規(&B)",
     "クリップボードのテキスト内容から新たに断片を作ります", "", -1, R::NewClipUpdate},
    {C::EditDelete, "EditDelete", "編集", "削除(&D)", "選択中の断片を削除します", "", -1,
     R::EditSelUpdate},
    {C::EditSelAll, "EditSelAll", "編集", "全て選択(&A)", "全ての断片を選択します", "", -1,
     R::ChildUpdate},
    {C::EditSelBgCol, "EditSelBgCol", "編集", "背景色で選択(&Q)",
     "指定した背景色の断片を選択します", "", -1, R::ChildUpdate},
    {C::EditGather, "EditGather", "編集", "集合(&S)", "集合|選択中の断片を集合させます", "", 7,
     R::EditMultiSelUpdate},
    {C::EditSpread, "EditSpread", "編集", "展開(&X)",
     "展開|選択中の断片を適当な範囲にひろげて並べます", "", 8, R::EditMultiSelUpdate},
    {C::EditStretch, "EditStretch", "編集", "伸縮(&Y)...",
     "伸縮|選択中断片のひろがり具合等を調整します", "", 9, R::EditMultiSelUpdate},
    {C::EditGrpStretch, "EditGrpStretch", "編集", "グループ伸縮(&W)...",
     "グループ伸縮|グループのひろがり具合を調整します", "", 10, R::EditChildUpdate},
    {C::EditAway, "EditAway", "編集", "片付け(&K)", "片付け|選択中断片を隅に片付けます", "", 11,
     R::EditSelUpdate},
    {C::EditUndoPos, "EditUndoPos", "編集", "元に戻す(&U)", "元に戻す|直前の編集を取り消します",
     "Ctrl+Z", 12, R::UndoPosUpdate},
    {C::EditRedoPos, "EditRedoPos", "編集", "やり直し(&R)",
     "やり直し|取り消した編集をもう一度行います", "Ctrl+Shift+Z", 13, R::RedoPosUpdate},
    {C::EditFind, "EditFind", "編集", "検索(&F)...",
     "検索|指定した語を含む断片を見つけて選択します", "", 14, R::ChildUpdate},
    {C::EditPrevSel, "EditPrevSel", "編集", "前の選択断片へ",
     "一つ前の選択断片へ|一つ前の選択中断片を画面の中央へ持ってきます", "", 15, R::PrevSelUpdate},
    {C::EditNextSel, "EditNextSel", "編集", "後の選択断片へ",
     "一つ後の選択断片へ|一つ後の選択中断片を画面の中央へ持ってきます", "", 16, R::NextSelUpdate},
    {C::EditProperty, "EditProperty", "編集", "プロパティ(&R)...",
     "断片の内容、グループ、サイズ、色等を変更します", "", -1, R::EditSelUpdate},
    {C::GoJump, "GoJump", "ジャンプ", "ジャンプ(&J)", "選択中断片のリンク先へ飛びます", "", -1,
     R::SelUpdate},
    {C::GoBack, "GoBack", "ジャンプ", "戻る(&B)", "戻る|ジャンプ履歴の一つ前のウィンドウに戻ります",
     "", 17, R::GoBackUpdate},
    {C::GoForward, "GoForward", "ジャンプ", "進む(&F)",
     "進む|ジャンプ履歴の次のウィンドウに進みます", "", 18, R::GoForwardUpdate},
    {C::GoHome, "GoHome", "ジャンプ", "ホーム(&H)", "ホーム|ホームウィンドウを開きます", "", 19,
     R::GoHomeUpdate},
    {C::ToolGLine, "ToolGLine", "ツール", "グループ関係線(&L)", "グループ関係線", "", 21,
     R::EditChildUpdate},
    {C::ToolBrush, "ToolBrush", "ツール", "断片背景塗り(&B)", "断片背景塗り", "", 22,
     R::EditChildUpdate},
    {C::ShowGrpLst, "ShowGrpLst", "表示", "グループリスト(&G)", "", "", -1, R::Always},
    {C::ShowStatusBar, "ShowStatusBar", "表示", "ステータスバー(&S)", "", "", -1, R::Always},
    {C::ShowMapViewer, "ShowMapViewer", "表示", "全体図(&V)", "", "", -1, R::Always},
    {C::ShowNamePlate, "ShowNamePlate", "表示", "表札(&N)", "", "", -1, R::Always},
    {C::ShowLinkMark, "ShowLinkMark", "表示", "リンクマーク(&L)", "", "", -1, R::Always},
    {C::ShowGFrame, "ShowGFrame", "表示", "グループ枠(&F)", "", "", -1, R::Always},
    {C::ShowGLine, "ShowGLine", "表示", "グループ関係線(&R)", "", "", -1, R::Always},
    {C::ShowDivLine, "ShowDivLine", "表示", "画面分割線(&D)", "", "", -1, R::Always},
    {C::WindowTileH, "WindowTileH", "ウィンドウ", "縦に並べて表示(&T)", "", "", 23, R::ChildUpdate},
    {C::WindowTileV, "WindowTileV", "ウィンドウ", "横に並べて表示(&H)", "", "", 24, R::ChildUpdate},
    {C::WindowCascade, "WindowCascade", "ウィンドウ", "重ねて表示(&C)", "", "", 25, R::ChildUpdate},
    {C::WindowArrange, "WindowArrange", "ウィンドウ", "アイコンの整列(&A)", "", "", -1,
     R::ChildUpdate},
    {C::OptionSetup, "OptionSetup", "オプション", "オプション設定(&O)...", "", "", -1, R::Always},
    {C::OptionScrSize, "OptionScrSize", "オプション", "全体サイズ設定(&S)...", "", "", -1,
     R::ChildUpdate},
    {C::HelpContents, "HelpContents", "ヘルプ", "目次(&C)", "", "", 26, R::Always},
    {C::HelpHomePage, "HelpHomePage", "ヘルプ", "Webページへ(&H)", "", "", -1, R::Always},
    {C::HelpAbout, "HelpAbout", "ヘルプ", "バージョン情報(&A)", "", "", -1, R::Always},
    {C::ExMovTop, "ExMovTop", "<その他>", "画面上端に移動", "", "Home", -1, R::Always},
    {C::ExMovBottom, "ExMovBottom", "<その他>", "画面下端に移動", "", "End", -1, R::Always},
    {C::ExMovLeft, "ExMovLeft", "<その他>", "画面左端に移動", "", "", -1, R::Always},
    {C::ExMovRight, "ExMovRight", "<その他>", "画面右端に移動", "", "", -1, R::Always},
    {C::ViewZoomIn, "ViewZoomIn", "表示", "拡大(&I)", "拡大|ウィンドウの表示倍率を一段階上げます",
     "Ctrl++", -1, R::ChildUpdate},
    {C::ViewZoomOut, "ViewZoomOut", "表示", "縮小(&O)", "縮小|ウィンドウの表示倍率を一段階下げます",
     "Ctrl+-", -1, R::ChildUpdate},
    {C::ViewZoomReset, "ViewZoomReset", "表示", "等倍(&Z)", "等倍|ウィンドウを100%で表示します",
     "Ctrl+0", -1, R::ChildUpdate},
    {C::ViewZoomFit, "ViewZoomFit", "表示", "全体を表示(&W)",
     "全体を表示|すべての断片がウィンドウに収まる倍率で表示します", "", -1, R::ChildUpdate},
    {C::ViewZoomSelection, "ViewZoomSelection", "表示", "選択範囲を表示(&E)",
     "選択範囲を表示|選択中の断片がウィンドウに収まる倍率で表示します", "", -1, R::SelUpdate},
    {C::SelectNextCard, "SelectNextCard", "編集", "次の断片を選択(&N)",
     "次の断片を選択|読む順(上から下、左から右)で次の断片を選択します", "Tab", -1, R::ChildUpdate},
    {C::SelectPrevCard, "SelectPrevCard", "編集", "前の断片を選択(&P)",
     "前の断片を選択|読む順(上から下、左から右)で前の断片を選択します", "Shift+Tab", -1,
     R::ChildUpdate},
    {C::SelectLeftCard, "SelectLeftCard", "編集", "左の断片を選択(&L)",
     "左の断片を選択|左にあるいちばん近い断片を選択します", "Ctrl+Left", -1, R::ChildUpdate},
    {C::SelectRightCard, "SelectRightCard", "編集", "右の断片を選択(&R)",
     "右の断片を選択|右にあるいちばん近い断片を選択します", "Ctrl+Right", -1, R::ChildUpdate},
    {C::SelectUpCard, "SelectUpCard", "編集", "上の断片を選択(&U)",
     "上の断片を選択|上にあるいちばん近い断片を選択します", "Ctrl+Up", -1, R::ChildUpdate},
    {C::SelectDownCard, "SelectDownCard", "編集", "下の断片を選択(&D)",
     "下の断片を選択|下にあるいちばん近い断片を選択します", "Ctrl+Down", -1, R::ChildUpdate},
}};

// The rows are looked up by their id as an index.
constexpr bool RowsInIdOrder() {
    for (int i = 0; i < kCommandCount; ++i) {
        if (static_cast<int>(kTable[static_cast<std::size_t>(i)].Id) != i) return false;
    }
    return true;
}
static_assert(RowsInIdOrder());

}  // namespace

std::span<const CommandRow> CommandTable() {
    return kTable;
}

const CommandRow& Command(CommandId id) {
    return kTable[static_cast<std::size_t>(id)];
}

std::string StepLabel(CommandId id) {
    switch (id) {
        case C::EditDelete:
            return std::string(texts::kStepDeleteCards);
        case C::EditProperty:
            return std::string(texts::kStepProperties);
        default:
            break;
    }
    std::string label(Command(id).Caption);
    if (const auto key = label.find("(&"); key != std::string::npos) label.erase(key);
    while (!label.empty() && label.back() == '.')
        label.pop_back();
    return label;
}

bool RuleAllows(EnablingRule rule, const EnablingState& s) {
    const bool writable = s.HasDocument && !s.ReadOnly;
    switch (rule) {
        case R::Always:
            return true;
        case R::ChildUpdate:
        case R::FilePrintUpdate:
            return s.Documents > 0;
        case R::EditChildUpdate:
            return writable;
        case R::EditSelUpdate:
            return writable && s.Selected >= 1;
        case R::EditMultiSelUpdate:
            return writable && s.Selected >= 2;
        case R::SelUpdate:
            return s.HasDocument && s.Selected >= 1;
        case R::EditPasteUpdate:
            return writable && !s.BufferEmpty;
        case R::NewClipUpdate:
            return writable && s.ClipboardHasText;
        case R::CanOpenUpdate:
            return s.Documents < kMaxDocuments;
        case R::UndoPosUpdate:
            return s.HasDocument && s.UndoAvailable;
        case R::RedoPosUpdate:
            return s.HasDocument && s.RedoAvailable;
        case R::PrevSelUpdate:
            return s.HasDocument && s.SelCursor > 0 && s.Selected >= 2;
        case R::NextSelUpdate:
            return s.HasDocument && s.SelCursor < s.Selected - 1 && s.Selected >= 2;
        case R::GoBackUpdate:
            return s.JumpPosition > 0;
        case R::GoForwardUpdate:
            return s.JumpPosition + 1 < s.JumpCount;
        case R::GoHomeUpdate:
            return s.HomeWindowSet;
    }
    return false;
}
