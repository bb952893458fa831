#include "app/program.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_services.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/main_window/main_form.h"
#include "app/platform/single_instance.h"
#include "app/texts.h"
#include "core/recovery/recovery_store.h"
#include "core/settings/paths.h"
#include "core/settings/usr_ini_file.h"
#include "render/text/qt_text.h"

namespace {

// Key names stay the program's own ("Alt+Up", "Del", "PgUp"), as the shortcut page and the
// settings file name them; everything else of the toolkit speaks Japanese.
class ToolkitTranslator final : public QTranslator {
  public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        if (qstrcmp(context, "QShortcut") == 0) return {};
        return QTranslator::translate(context, sourceText, disambiguation, n);
    }
};

// With QUILLOVARSTA_FIRST_FRAME set in the environment, the program says "first-frame" on its
// standard output once the main window's first paint is done, and quits there when the variable
// is "exit": start-up is timed from outside, on the real program.
class FirstFrameReporter final : public QObject {
  public:
    FirstFrameReporter(QWidget& window, bool exitAfter) : window_(window), exit_(exitAfter) {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (done_ || event->type() != QEvent::Paint || !watched->isWidgetType()) return false;
        if (static_cast<QWidget*>(watched)->window() != &window_) return false;
        done_ = true;
        qApp->removeEventFilter(this);
        // Reported when every widget of this paint has been painted.
        QMetaObject::invokeMethod(
            this,
            [this] {
                std::fputs("first-frame\n", stdout);
                std::fflush(stdout);
                if (exit_) QCoreApplication::exit(0);
            },
            Qt::QueuedConnection);
        return false;
    }

  private:
    QWidget& window_;
    bool exit_;
    bool done_ = false;
};

}  // namespace

QTranslator* InstallToolkitTranslations(QCoreApplication& app) {
    auto* translator = new ToolkitTranslator(&app);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

int RunProgram(int argc, char** argv, const ProgramHooks& hooks) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::error_code ec;
    const std::string currentDir = std::filesystem::current_path(ec).string();
    const qv::StartupArguments startup = qv::ParseStartupArguments(
        args, qv::CurrentProgramPath(), ec ? "." : currentDir, qv::UserConfigDir());

    // A later start hands its document to the running program and ends; the path is made
    // absolute here, since the running program's current folder may be another.
    std::string startDocument;
    if (!startup.StartFile.empty())
        startDocument = (std::filesystem::path(ec ? "." : currentDir) / startup.StartFile)
                            .lexically_normal()
                            .string();
    qv::SingleInstance instance(qv::SingleInstance::KeyFor(startup.IniPath));
    // When the running program cannot be reached or trusted, start anyway: a hung program, or
    // another user's files, must not keep the user from working.
    const qv::SingleInstance::Role role = instance.Start(startDocument);
    if (role == qv::SingleInstance::Role::Secondary) return -1;

    // The services outlive the window that uses them.
    AppServices services(startup);
    if (hooks.ServicesReady) hooks.ServicesReady(services);
    // The copies of unsaved changes belong to the settings file, as the running program does.
    const std::unique_ptr<Program> program =
        BuildProgram(services, {.RecoveryFolder = qv::RecoveryFolderFor(startup.IniPath)});
    TQuillovaMainForm& form = program->Window();
    QObject::connect(&instance, &qv::SingleInstance::Activated, &form.Documents(),
                     &DocumentManager::OpenHandedOver);
    std::unique_ptr<FirstFrameReporter> firstFrame;
    if (const char* report = std::getenv("QUILLOVARSTA_FIRST_FRAME"))
        firstFrame = std::make_unique<FirstFrameReporter>(form, std::string_view(report) == "exit");
    form.ShowAsStored();
    // Said once the window is up, so the user knows why a second program runs.
    if (role == qv::SingleInstance::Role::Failed)
        services.Prompts().Warning(
            qv::ToCp932(texts::Q(texts::kHandOverFailed) + instance.Problem()),
            qv::PromptButtons::Ok);
    // Messages show the path as near as code page 932 can hold it.
    const std::string shownIni = qv::ToCp932(QFile::decodeName(startup.IniPath.c_str()));
    if (services.Ini().State() == qv::UsrIniFile::LoadState::Unreadable) {
        services.Prompts().Warning(
            "[" + shownIni + texts::Cp932(texts::kSettingsUnreadable) +
                qv::ToCp932(QString::fromStdString(services.Ini().LastError())),
            qv::PromptButtons::Ok);
    } else if (services.Ini().ReadOnly()) {
        // Said once, here; the file is then left alone at exit without another message.
        services.Prompts().Warning("[" + shownIni + texts::Cp932(texts::kSettingsReadOnly),
                                   qv::PromptButtons::Ok);
    }
    if (hooks.Started) hooks.Started(form, services);
    return QApplication::exec();
}
