#include "app/app_services.h"

#include "app/file_chooser.h"
#include "app/platform/link_follower.h"
#include "app/platform/qt_ports.h"
#include "app/texts.h"
#include "core/content/spi_unit.h"
#include "core/io/text_exchange.h"
#include "core/model/frag_buffer.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"
#include "render/pictures/picture_loader.h"
#include "render/text/qt_text.h"
#include "render/text/qt_text_metrics.h"

std::string texts::Cp932(std::string_view utf8) {
    return qv::ToCp932(Q(utf8));
}

AppServices::AppServices(const qv::StartupArguments& startup)
    : ini_(startup.IniPath.empty() ? std::make_unique<qv::UsrIniFile>()
                                   : std::make_unique<qv::UsrIniFile>(startup.IniPath)),
      env_(std::make_unique<qv::EnvData>(*ini_)),
      startFile_(startup.StartFile),
      metrics_(std::make_unique<qv::QtTextMetrics>(*env_)),
      plugins_(std::make_unique<qv::SpiUnit>(env_->SpiDir)),
      pictures_(std::make_unique<qv::FilePictureLoader>(plugins_.get())),
      prompts_(std::make_unique<qv::QtPrompts>()),
      route_(std::make_unique<qv::PromptRoute>(*prompts_)),
      clipboard_(std::make_unique<qv::QtClipboard>()),
      random_(std::make_unique<qv::DefaultRandomSource>()),
      links_(std::make_unique<qv::LinkFollower>(*env_, *route_)),
      buffer_(std::make_unique<qv::FragBuffer>(
          *env_, *route_, *clipboard_,
          [](const qv::FragSet& set) { return qv::ClipboardText(set); })),
      qtFiles_(std::make_unique<QtFileChooser>()),
      files_(qtFiles_.get()) {}

void AppServices::RedirectFiles(FileChooser* chooser) {
    files_ = chooser ? chooser : qtFiles_.get();
}

// The cut buffer goes first, the settings file last.
AppServices::~AppServices() {
    buffer_.reset();
    links_.reset();
    random_.reset();
    clipboard_.reset();
    route_.reset();
    prompts_.reset();
    pictures_.reset();
    plugins_.reset();
    metrics_.reset();
    env_.reset();
    ini_.reset();
}

qv::TextMetrics& AppServices::Metrics() {
    return *metrics_;
}
qv::PictureLoader& AppServices::Pictures() {
    return *pictures_;
}
qv::Clipboard& AppServices::Clipboard() {
    return *clipboard_;
}

void AppServices::SetPromptParent(QWidget* parent) {
    prompts_->SetParent(parent);
}

void AppServices::ReloadPlugins() {
    auto fresh = std::make_unique<qv::SpiUnit>(env_->SpiDir);
    // The picture loader lets go of the old list before it is destroyed.
    pictures_->SetPlugins(fresh.get());
    plugins_ = std::move(fresh);
}
