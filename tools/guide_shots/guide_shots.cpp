// guide-shots: takes the user guide's pictures of the program itself. It builds the real main
// window with its commands and dialogs on Qt's offscreen platform, opens the guide's example
// documents and saves each window, menu and dialog as a PNG (QWidget::grab). Settings live in
// memory only, so the pictures always show the defaults and nothing on the machine is touched.
//
//   guide-shots --out DIR [--examples DIR] [--only NAME]...   (--list names every picture)
//
// Exit status: 0 when every picture asked for was saved, 1 otherwise, 2 for wrong usage.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <vector>

#include "app/app_services.h"
#include "app/commands/card_commands.h"
#include "app/commands/command_registry.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/panels/group_list_panel.h"
#include "app/panels/map_viewer.h"
#include "app/program.h"
#include "core/fs/atomic_file.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/usr_ini_file.h"
#include "render/painting/offscreen_document.h"
#include "render/text/qt_text.h"

namespace {

using C = CommandId;

struct Options {
    QString Out;
    QString Examples = QStringLiteral(QV_GUIDE_EXAMPLES);
    std::set<QString> Only;
    bool List = false;
};

// Lets queued work (layout, repaints, timers of 0 ms) run.
void Settle(int rounds = 5) {
    for (int i = 0; i < rounds; ++i)
        QApplication::processEvents();
}

// A window's picture as a user sees it: a plain title bar with its caption above the contents.
QImage WithTitleBar(const QImage& body, const QString& title) {
    constexpr int kBar = 24;
    QImage image(body.width(), body.height() + kBar, QImage::Format_RGB32);
    image.fill(QColor(0x3c, 0x50, 0x78));
    QPainter p(&image);
    p.setPen(Qt::white);
    QFont font = QApplication::font();
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(8, 0, body.width() - 16, kBar), Qt::AlignVCenter | Qt::AlignLeft, title);
    p.drawImage(0, kBar, body);
    return image;
}

class Shooter {
  public:
    Shooter(const Options& options, TQuillovaMainForm& form, CardCommands& cards)
        : options_(options), form_(form), cards_(cards) {}

    // Every picture, in the order the guide shows them.
    void Register() {
        Add(QStringLiteral("main_window"), [this] { return Save("main_window", Window()); });
        Add(QStringLiteral("toolbars"), [this] { return Save("toolbars", ToolBars()); });
        static const char* const kMenuNames[] = {"menu_file",   "menu_edit", "menu_jump",
                                                 "menu_tool",   "menu_view", "menu_window",
                                                 "menu_option", "menu_help"};
        for (int i = 0; i < 8; ++i) {
            Add(QString::fromLatin1(kMenuNames[i]), [this, i] {
                // The edit menu as it is while a group's cards are selected.
                if (i == 1) SelectGroup(1);
                QMenu* menu = form_.menuBar()->actions().value(i)->menu();
                return menu && Save(kMenuNames[i], MenuImage(*menu));
            });
        }
        Add(QStringLiteral("popup_fragment"), [this] {
            SelectGroup(1);
            return Save("popup_fragment", MenuImage(*form_.FragmentPopup()));
        });
        Add(QStringLiteral("popup_line"),
            [this] { return Save("popup_line", MenuImage(*cards_.LinePopup())); });
        Add(QStringLiteral("popup_brush"),
            [this] { return Save("popup_brush", MenuImage(*cards_.BrushPopup())); });
        Add(QStringLiteral("popup_group_list"), [this] {
            return form_.GroupList() &&
                   Save("popup_group_list", MenuImage(*form_.GroupList()->PopupMenu()));
        });
        Add(QStringLiteral("group_list"), [this] { return Save("group_list", GroupList()); });
        Add(QStringLiteral("map_viewer"), [this] { return Save("map_viewer", MapViewer()); });
        Add(QStringLiteral("zoom"), [this] { return Save("zoom", ZoomedWindow()); });

        // Dialogs, opened by their commands as a user opens them.
        AddDialog("dlg_property", C::EditProperty, [this] { SelectOne(u"京都（お寺と紅葉）"); });
        AddDialog("dlg_new", C::EditNew, [this] { Deselect(); });
        AddDialog("dlg_find", C::EditFind, [this] { Deselect(); });
        AddDialog("dlg_stretch", C::EditStretch, [this] { SelectGroup(1); });
        AddDialog("dlg_group_stretch", C::EditGrpStretch, [this] { Deselect(); });
        AddDialog("dlg_whole_size", C::OptionScrSize, [] {});
        AddDialog("dlg_print", C::FilePrint, [] {});
        AddDialog("dlg_about", C::HelpAbout, [] {});
        static const char* const kPages[] = {
            "dlg_options_design", "dlg_options_card",  "dlg_options_shortcut", "dlg_options_window",
            "dlg_options_view",   "dlg_options_other", "dlg_options_plugin"};
        for (int page = 0; page < 7; ++page) {
            Add(QString::fromLatin1(kPages[page]), [this, page] {
                return OpenDialog(C::OptionSetup, [this, page](QDialog& dlg) {
                    auto* tabs = dlg.findChild<QTabWidget*>();
                    if (!tabs || page >= tabs->count()) return false;
                    tabs->setCurrentIndex(page);
                    Settle();
                    return Save(kPages[page],
                                WithTitleBar(dlg.grab().toImage(), dlg.windowTitle()));
                });
            });
        }
    }

    int Run() {
        if (options_.List) {
            for (const auto& [name, shot] : shots_)
                std::printf("%s\n", qPrintable(name));
            return 0;
        }
        for (const QString& name : options_.Only) {
            bool known = false;
            for (const auto& entry : shots_)
                known = known || entry.first == name;
            if (!known) {
                std::fprintf(stderr, "guide-shots: no picture named %s (see --list)\n",
                             qPrintable(name));
                return 2;
            }
        }
        if (!OpenExamples()) return 1;
        int failures = 0;
        for (const auto& [name, shot] : shots_) {
            if (!options_.Only.empty() && !options_.Only.count(name)) continue;
            Prepare();
            if (!shot()) {
                std::fprintf(stderr, "guide-shots: %s was not taken\n", qPrintable(name));
                ++failures;
            }
        }
        return failures == 0 ? 0 : 1;
    }

  private:
    void Add(const QString& name, std::function<bool()> shot) {
        shots_.emplace_back(name, std::move(shot));
    }
    void AddDialog(const char* name, CommandId id, std::function<void()> before) {
        Add(QString::fromLatin1(name), [this, name, id, before] {
            before();
            return OpenDialog(id, [this, name](QDialog& dlg) {
                return Save(name, WithTitleBar(dlg.grab().toImage(), dlg.windowTitle()));
            });
        });
    }

    // The examples are opened from copies in one fixed folder, so that the window captions in
    // the pictures are the same on every machine.
    bool OpenExamples() {
        const QDir from(options_.Examples);
        const QDir dir(QStringLiteral("/tmp/quillovarsta-guide"));
        if (!dir.mkpath(QStringLiteral("."))) return false;
        for (const QString& file : from.entryList(QDir::Files)) {
            if (!CopyInto(from.filePath(file), dir.filePath(file))) {
                std::fprintf(stderr, "guide-shots: cannot copy %s\n", qPrintable(file));
                return false;
            }
        }
        for (const char* file : {"kihon.csv", "ryokou.csv"}) {
            const QString path = dir.absoluteFilePath(QString::fromLatin1(file));
            if (!QFileInfo::exists(path)) {
                std::fprintf(stderr, "guide-shots: missing example %s\n", qPrintable(path));
                return false;
            }
            TMDIChild* child =
                form_.Documents().OpenDocument(QFile::encodeName(path).toStdString());
            if (!child) return false;
            windows_.push_back(child);
        }
        return true;
    }

    // The same starting point for every picture: both documents one above the other, the travel
    // plan active and scrolled to its top-left corner, nothing selected.
    void Prepare() {
        form_.Commands().Action(C::WindowTileH)->trigger();
        Settle();
        TMDIChild* plan = windows_.back();
        if (auto* sub = qobject_cast<QMdiSubWindow*>(plan->parentWidget()))
            sub->mdiArea()->setActiveSubWindow(sub);
        plan->SetScrollPosition(qv::ScrollAxis::Horizontal, 0);
        plan->SetScrollPosition(qv::ScrollAxis::Vertical, 0);
        Deselect();
        form_.UpdateCommands();
        Settle();
    }

    qv::FragSet& Plan() { return windows_.back()->Set(); }
    void Deselect() {
        Plan().SelectAll(false);
        form_.RefreshViews();
    }
    void SelectGroup(int g) {
        Plan().SelectGroup(g, false);
        form_.UpdateCommands();
    }
    void SelectOne(std::u16string_view text) {
        Plan().SelectAll(false);
        const std::string wanted = qv::ToCp932(QString::fromStdU16String(std::u16string(text)));
        for (const auto& f : Plan().Fragments())
            if (f->Text == wanted) f->SetSelected(true);
        Plan().RebuildSelection();
        form_.UpdateCommands();
    }

    QImage Window() {
        form_.repaint();
        Settle();
        return form_.grab().toImage();
    }

    QImage ToolBars() {
        QRect area;
        for (QToolBar* bar : form_.findChildren<QToolBar*>())
            if (bar->isVisible()) area = area.united(bar->geometry());
        return form_.grab(area.adjusted(0, -2, 0, 2)).toImage();
    }

    // The top of the list: the examples' groups and a few empty ones.
    QImage GroupList() {
        QWidget* w = form_.GroupList();
        return w ? w->grab(QRect(0, 0, w->width(), std::min(w->height(), 260))).toImage()
                 : QImage();
    }

    // The main window with the active document at 50 %, zoomed out by its command as a user
    // would; back at 100 % afterwards.
    QImage ZoomedWindow() {
        QAction* out = form_.Commands().Action(C::ViewZoomOut);
        QAction* reset = form_.Commands().Action(C::ViewZoomReset);
        form_.UpdateCommands();
        if (!out->isEnabled()) return {};
        for (int i = 0; i < 3; ++i)  // 75 %, 67 %, 50 %
            out->trigger();
        const QImage image = Window();
        reset->trigger();
        Settle();
        return image;
    }

    QImage MapViewer() {
        TMapViewer* map = form_.MapViewer();
        if (!map) return {};
        if (!map->isVisible()) form_.Commands().Action(C::ShowMapViewer)->trigger();
        map->resize(240, 180);
        Settle();
        map->repaint();
        Settle();
        return WithTitleBar(map->grab().toImage(), map->windowTitle());
    }

    // Opens the menu where a user would see it and takes its picture.
    QImage MenuImage(QMenu& menu) {
        form_.UpdateCommands();
        menu.popup(form_.mapToGlobal(QPoint(40, 60)));
        Settle(10);
        const QImage image = menu.grab().toImage();
        menu.hide();
        Settle();
        return image;
    }

    // Runs the command; when it opens a modal dialog, `take` gets it and the dialog is then
    // cancelled. False when no dialog came up or `take` failed.
    bool OpenDialog(CommandId id, const std::function<bool(QDialog&)>& take) {
        QAction* action = form_.Commands().Action(id);
        form_.UpdateCommands();
        if (!action->isEnabled()) {
            std::fprintf(stderr, "guide-shots: %s is disabled\n", qPrintable(action->text()));
            return false;
        }
        bool taken = false;
        bool seen = false;
        int waited = 0;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (seen) return;
            QDialog* dlg = OpenDialogWindow();
            if (!dlg) {
                // A command that opened something else would wait here for ever.
                if ((waited += 20) > 10000) {
                    std::fprintf(stderr, "guide-shots: no dialog came up for %s\n",
                                 qPrintable(action->text()));
                    std::_Exit(1);
                }
                return;
            }
            seen = true;
            poll.stop();
            Settle();
            taken = take(*dlg);
            dlg->reject();
        });
        poll.start();
        action->trigger();
        poll.stop();
        Settle();
        return seen && taken;
    }

    // Copies by replacing the target in one step, so that runs at the same time (the test and
    // the script) never see a half-written example.
    static bool CopyInto(const QString& from, const QString& to) {
        QFile in(from);
        if (!in.open(QIODevice::ReadOnly)) return false;
        const QByteArray bytes = in.readAll();
        QFile existing(to);
        if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes) return true;
        return bool(qv::ReplaceFileAtomically(
            QFile::encodeName(to).toStdString(),
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
    }

    // The dialog a command has just opened: the modal one, else a visible dialog window.
    static QDialog* OpenDialogWindow() {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) return modal;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dlg = qobject_cast<QDialog*>(w); dlg && dlg->isVisible()) return dlg;
        return nullptr;
    }

    bool Save(const char* name, const QImage& image) {
        if (image.isNull()) return false;
        const QString path = QDir(options_.Out).filePath(QString::fromLatin1(name) + ".png");
        if (!image.save(path)) {
            std::fprintf(stderr, "guide-shots: cannot write %s\n", qPrintable(path));
            return false;
        }
        return true;
    }

    const Options& options_;
    TQuillovaMainForm& form_;
    CardCommands& cards_;
    std::vector<TMDIChild*> windows_;
    std::vector<std::pair<QString, std::function<bool()>>> shots_;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: guide-shots --out DIR [--examples DIR] [--only NAME]... | --list\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // The pictures must not depend on a display or on the desktop's theme.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // The program's own Japanese faces, so that every caption renders.
    QApplication::setFont(QFont(QStringLiteral("IPAPGothic"), 10));
    // Qt's own dialogs and buttons in Japanese, as the program shows them.
    InstallToolkitTranslations(app);

    Options options;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--list")) {
            options.List = true;
        } else if ((a == QLatin1String("--out") || a == QLatin1String("--examples") ||
                    a == QLatin1String("--only")) &&
                   i + 1 < args.size()) {
            const QString value = args[++i];
            if (a == QLatin1String("--out")) options.Out = value;
            if (a == QLatin1String("--examples")) options.Examples = value;
            if (a == QLatin1String("--only")) options.Only.insert(value);
        } else {
            return Usage();
        }
    }
    if (options.Out.isEmpty() && !options.List) return Usage();
    if (!options.List && !QDir().mkpath(options.Out)) {
        std::fprintf(stderr, "guide-shots: cannot create %s\n", qPrintable(options.Out));
        return 1;
    }

    AppServices services;
    qv::QuietPrompts quiet;
    services.Prompts().Redirect(&quiet);
    // A group list wide enough for the group names of the examples.
    services.Ini().WriteInteger("GroupList", "Width", 190);
    const std::unique_ptr<Program> program = BuildProgram(services);
    TQuillovaMainForm& form = program->Window();
    CardCommands& cards = program->Cards();
    form.resize(1040, 740);
    // As the program starts: stored layout, commands' keys, the view refresh running.
    form.ShowAsStored();
    Settle();

    Shooter shooter(options, form, cards);
    shooter.Register();
    const int rc = shooter.Run();
    // Leave the documents unchanged and unasked-for.
    for (QMdiSubWindow* sub : form.findChildren<QMdiSubWindow*>())
        if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) child->Set().Modified = false;
    return rc;
}
