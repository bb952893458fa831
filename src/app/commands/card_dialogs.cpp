#include "app/commands/card_dialogs.h"

#include "app/dialogs/frg_prop_dlg.h"
#include "core/model/frag_set.h"

CardDialogs::CardDialogs(qv::EnvData& env, qv::UsrIniFile& ini, const qv::SpiUnit* plugins,
                         QWidget* parent)
    : dialog_(std::make_unique<TFrgPropDlg>(env, ini, plugins, parent)) {}

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
