#include "app/main_window/card_dialogs.h"

#include "app/dialogs/frg_prop_dlg.h"
#include "core/content/link_content.h"
#include "core/content/spi_unit.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "render/qt_text.h"

namespace {

// "#画像": the text of a picture card made by a drop.
constexpr std::string_view kPictureCardText = "#\x89\xe6\x91\x9c";

}  // namespace

CardDialogs::CardDialogs(qv::EnvData& env, qv::UsrIniFile& ini, const qv::SpiUnit* plugins,
                         qv::Prompts& prompts, QWidget* parent)
    : env_(env),
      plugins_(plugins),
      prompts_(prompts),
      dialog_(std::make_unique<TFrgPropDlg>(env, ini, plugins, parent)) {}

CardDialogs::~CardDialogs() = default;

int CardDialogs::EditSelection(qv::FragSet& set) {
    qv::FrgPropRequest& r = dialog_->Request();
    r.Target = &set;
    r.NewMode = false;
    r.AtPoint = false;
    r.FromGroupList = false;
    return dialog_->exec();
}

int CardDialogs::NewFragment(qv::FragSet& set, const qv::NewFragmentRequest& request) {
    qv::FrgPropRequest& r = dialog_->Request();
    r.Target = &set;
    r.NewMode = true;
    r.AtPoint = request.AtPoint;
    r.PointX = request.At.X;
    r.PointY = request.At.Y;
    r.FromGroupList = request.FromGroupList;
    r.PresetGroup = request.PresetGroup;
    if (request.LinkPreset) {
        r.LinkPreset = true;
        r.LinkPresetText = request.LinkPresetText;
    }
    return dialog_->exec();
}

bool CardDialogs::IsPictureFile(const std::string& cp932Path) const {
    const std::string ext = qv::LinkExtension(cp932Path);
    if (ext == ".BMP" || ext == ".JPG" || ext == ".JPE" || ext == ".JPEG" || ext == ".ICO")
        return true;
    if (ext.empty() || !plugins_) return false;
    for (const auto& p : plugins_->Plugins())
        if (!p.Pattern.empty() && qv::PatternExtension(p.Pattern) == ext) return true;
    return false;
}

CardDialogs::DropOutcome CardDialogs::DropFile(qv::FragSet* doc, const std::string& cp932Path,
                                               int index) {
    if (!doc || doc->ReadOnly || (!env_.DropLinkFile && !env_.DropImgFile))
        return DropOutcome::Refused;
    if (env_.DropImgFile && IsPictureFile(cp932Path)) {
        qv::Fragment* f = doc->AddFragment();
        if (!f) return DropOutcome::Full;
        const int g = env_.NewNoGroup ? 0 : doc->CurrentGroup();
        f->Kind = qv::FragmentKind::Image;
        f->Text = kPictureCardText;
        f->Group = g;
        doc->GroupTable[static_cast<std::size_t>(g)].Shown = true;
        f->Columns = env_.ImgRatio1;
        f->Lines = env_.ImgRatio2;
        f->ColBG = 0xFFFFFF;
        f->Visible = true;
        const qv::Point p = doc->NewFragmentPosition(f->Columns, f->Lines, index);
        f->Left = p.X;
        f->Top = p.Y;
        f->Link = cp932Path;
        f->LoadPicture();
        f->MeasureAndDraw();
        f->ResetHistory();
        doc->Recount();
        doc->Modified = true;
        doc->RefreshRequest();
        return DropOutcome::Done;
    }
    if (doc->FragmentByLink(cp932Path)) {
        // "]はすでにリンクされています\nさらにリンク断片を作成しますか?"
        const std::string question =
            "[" + cp932Path + "]" +
            qv::ToCp932(
                QStringLiteral("はすでにリンクされています\nさらにリンク断片を作成しますか?"));
        if (prompts_.Warning(question, qv::PromptButtons::YesNo) != qv::PromptAnswer::Yes)
            return DropOutcome::Done;
    }
    qv::NewFragmentRequest request;
    request.LinkPreset = true;
    request.LinkPresetText = cp932Path;
    NewFragment(*doc, request);
    return DropOutcome::Done;
}
