#include "app/commands/card_dialogs.h"

#include "app/dialogs/frg_prop_dlg.h"
#include "core/model/frag_set.h"

CardDialogs::CardDialogs(qv::EnvData& env, qv::UsrIniFile& ini, const qv::SpiUnit* plugins,
                         QWidget* parent)
    : env_(env), ini_(ini), plugins_(plugins), parent_(parent) {}

CardDialogs::~CardDialogs() = default;

TFrgPropDlg& CardDialogs::PropertyDialog() {
    if (!dialog_) dialog_ = std::make_unique<TFrgPropDlg>(env_, ini_, plugins_, parent_);
    return *dialog_;
}

int CardDialogs::EditSelection(qv::FragSet& set) {
    qv::FrgPropRequest& r = PropertyDialog().Request();
    r.Target = &set;
    r.NewMode = false;
    r.AtPoint = false;
    r.FromGroupList = false;
    return PropertyDialog().exec();
}

int CardDialogs::NewFragment(qv::FragSet& set, const qv::NewFragmentRequest& request) {
    qv::FrgPropRequest& r = PropertyDialog().Request();
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
    return PropertyDialog().exec();
}
