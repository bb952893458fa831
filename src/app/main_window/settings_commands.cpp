#include "app/main_window/settings_commands.h"

#include <QMdiArea>
#include <QScrollBar>
#include <QStatusBar>

#include "app/app_services.h"
#include "app/commands/command_registry.h"
#include "app/dialogs/option_dlg.h"
#include "app/dialogs/stretch_dlg.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/output/document_output.h"
#include "app/panels/group_list_panel.h"
#include "core/content/spi_unit.h"
#include "core/dialogs/shortcut_list.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"

// The command table as the shortcut page sees it: keys change in the registry at once.
class SettingsCommands::KeyTable final : public qv::CommandKeyTable {
  public:
    explicit KeyTable(CommandRegistry& registry) : registry_(registry) {}
    int CommandCount() const override { return static_cast<int>(CommandTable().size()); }
    std::string_view CommandCategory(int i) const override { return Row(i).Category; }
    std::string_view CommandCaption(int i) const override { return Row(i).Caption; }
    qv::ShortCut CommandKey(int i) const override { return registry_.Key(Row(i).Id); }
    void SetCommandKey(int i, qv::ShortCut key) override { registry_.SetKey(Row(i).Id, key); }

  private:
    static const CommandRow& Row(int i) { return CommandTable()[static_cast<std::size_t>(i)]; }
    CommandRegistry& registry_;
};

SettingsCommands::SettingsCommands(TQuillovaMainForm& form)
    : QObject(&form),
      form_(form),
      keys_(std::make_unique<KeyTable>(form.Commands())),
      stretch_(new TStretchDlg(form.Ini(), &form)),
      options_(new TOptionDlg(form.Env(), form.Services().Prompts(), &form)),
      output_(std::make_unique<DocumentOutput>(form.Env(), form.Services().Prompts(), &form,
                                               [&form](const QString& text) {
                                                   form.ShowMessage(text);
                                                   form.statusBar()->repaint();
                                               })) {
    AppServices& services = form.Services();
    stretch_->OnChanged = [this] { form_.Host().RefreshMap(); };
    options_->SetCommandKeys(keys_.get());
    options_->PluginLines = [&services] { return services.Plugins().ListLines(); };
    options_->OnPluginFolderChanged = [&services] { services.ReloadPlugins(); };
    output_->SetPictureFiles(&services.PictureFiles());
    connect(options_, &QDialog::accepted, this, [this] { ApplyOptions(options_->Applied()); });

    CommandRegistry& r = form.Commands();
    using C = CommandId;
    r.SetHandler(C::EditStretch, [this] { Stretch(qv::StretchTarget::Fragments); });
    r.SetHandler(C::EditGrpStretch, [this] { Stretch(qv::StretchTarget::Groups); });
    r.SetHandler(C::OptionSetup, [this] { Options(); });
    r.SetHandler(C::FilePrint, [this] {
        if (qv::FragSet* d = form_.ActiveDocument()) output_->FilePrint(*d);
    });
    r.SetHandler(C::FileImgOut, [this] {
        if (qv::FragSet* d = form_.ActiveDocument()) output_->FileImgOut(*d);
    });
}

SettingsCommands::~SettingsCommands() = default;

void SettingsCommands::Stretch(qv::StretchTarget target) {
    qv::FragSet* d = form_.ActiveDocument();
    if (!d) return;
    stretch_->Execute(*d, target, form_.geometry().topLeft());
    form_.Host().RefreshGroupList();
    d->RefreshRequest();
}

void SettingsCommands::Options() {
    const qv::FragSet* d = form_.ActiveDocument();
    options_->Execute(d ? d->FileName : std::string());
}

void SettingsCommands::ApplyOptions(const qv::OptionsApplied&) {
    const qv::EnvData& env = form_.Env();
    for (TMDIChild* child : form_.Children()) {
        child->horizontalScrollBar()->setTracking(env.ScrollTracking);
        child->verticalScrollBar()->setTracking(env.ScrollTracking);
        qv::FragSet& set = child->Set();
        set.RefreshVisibility();
        set.RedrawAll();
    }
    form_.FollowSettings();
    // The group list's font, colours and row height, then its rows.
    if (TGroupListPanel* list = form_.GroupList()) list->ApplyAppearance();
    form_.Host().RefreshGroupList();
    form_.Host().RefreshMap();
}
