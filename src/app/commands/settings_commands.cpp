#include "app/commands/settings_commands.h"

#include <QWidget>

#include "app/app_services.h"
#include "app/commands/command_registry.h"
#include "app/dialogs/option_dlg.h"
#include "app/dialogs/stretch_dlg.h"
#include "app/document/document_windows.h"
#include "app/output/document_output.h"
#include "core/content/spi_unit.h"
#include "core/dialogs/shortcut_page.h"
#include "core/model/frag_set.h"
#include "core/model/ports.h"
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

SettingsCommands::SettingsCommands(CommandRegistry& commands, DocumentWindows& windows,
                                   qv::DocumentHost& host, AppServices& services,
                                   QWidget* dialogParent)
    : windows_(windows),
      host_(host),
      services_(services),
      dialogParent_(dialogParent),
      keys_(std::make_unique<KeyTable>(commands)),
      output_(std::make_unique<DocumentOutput>(services.Env(), services.Prompts(), dialogParent)) {
    output_->SetPictureFiles(&services.PictureFiles());

    CommandRegistry& r = commands;
    using C = CommandId;
    r.SetHandler(C::EditStretch, [this] { Stretch(qv::StretchTarget::Fragments); });
    r.SetHandler(C::EditGrpStretch, [this] { Stretch(qv::StretchTarget::Groups); });
    r.SetHandler(C::OptionSetup, [this] { Options(); });
    r.SetHandler(C::FilePrint, [this] {
        if (qv::FragSet* d = windows_.ActiveDocument()) output_->FilePrint(*d);
    });
    r.SetHandler(C::FileImgOut, [this] {
        if (qv::FragSet* d = windows_.ActiveDocument()) output_->FileImgOut(*d);
    });
}

SettingsCommands::~SettingsCommands() = default;

TStretchDlg& SettingsCommands::StretchDialog() {
    if (!stretch_) {
        stretch_ = new TStretchDlg(services_.Ini(), dialogParent_);
        connect(stretch_, &TStretchDlg::Changed, this, [this] { host_.RefreshMap(); });
    }
    return *stretch_;
}

TOptionDlg& SettingsCommands::OptionDialog() {
    if (!options_) {
        options_ = new TOptionDlg(services_.Env(), services_.Prompts(), dialogParent_);
        options_->SetCommandKeys(keys_.get());
        AppServices& services = services_;
        options_->PluginLines = [&services] { return services.Plugins().ListLines(); };
        connect(options_, &TOptionDlg::PluginFolderChanged, this,
                [&services] { services.ReloadPlugins(); });
        connect(options_, &TOptionDlg::ImeChanged, this, &SettingsCommands::ImeChanged);
        connect(options_, &QDialog::accepted, this, [this] { ApplyOptions(options_->Applied()); });
    }
    return *options_;
}

void SettingsCommands::Stretch(qv::StretchTarget target) {
    qv::FragSet* d = windows_.ActiveDocument();
    if (!d) return;
    StretchDialog().Execute(*d, target, dialogParent_->geometry().topLeft());
    host_.RefreshGroupList();
    d->RefreshRequest();
}

void SettingsCommands::Options() {
    const qv::FragSet* d = windows_.ActiveDocument();
    OptionDialog().Execute(d ? d->FileName : std::string());
}

void SettingsCommands::ApplyOptions(const qv::OptionsApplied& applied) {
    for (const DocumentWindows::Entry& e : windows_.DocumentWindowList()) {
        e.Set->RefreshVisibility();
        e.Set->RedrawAll();
    }
    emit OptionsApplied(applied);
    host_.RefreshGroupList();
    host_.RefreshMap();
}
