// The program run as a user would, for the crash test (tests/gui/crash_recovery_test.cpp starts it
// as a separate process on the offscreen platform):
//
//   recovery_driver edit -I INI DOC   opens DOC, drags its first card by (30, 20) with the mouse,
//                                     deletes the last one with the Delete key, prints the
//                                     document and keeps running until it is killed
//   recovery_driver restore -I INI    answers every question with Yes, prints the questions and
//                                     the open documents, saves them and ends normally
//
// Everything else is the program itself (RunProgram).
#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <string>
#include <vector>

#include "app/app_services.h"
#include "app/commands/command_registry.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/program.h"
#include "app/texts.h"
#include "core/io/fragment_file.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "render/text/qt_text.h"

namespace {

void Print(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

void PrintDocument(TMDIChild* child) {
    Print("DOC " + child->Set().FileName + (child->Set().Modified ? " modified\n" : " saved\n"));
    Print(qv::FragmentFileText(child->Set()) + "END\n");
}

class YesPrompts : public qv::Prompts {
  public:
    qv::PromptAnswer Warning(std::string_view text, qv::PromptButtons buttons) override {
        return Answer(text, buttons);
    }
    qv::PromptAnswer Question(std::string_view text, qv::PromptButtons buttons) override {
        return Answer(text, buttons);
    }

  private:
    static qv::PromptAnswer Answer(std::string_view text, qv::PromptButtons buttons) {
        Print("PROMPT " + qv::FromCp932(text).toStdString() + "\nEND\n");
        return buttons == qv::PromptButtons::Ok || buttons == qv::PromptButtons::OkCancel
                   ? qv::PromptAnswer::Ok
                   : qv::PromptAnswer::Yes;
    }
};

void Edit(TQuillovaMainForm& form) {
    TMDIChild* child = form.ActiveChild();
    if (!child || child->Set().Count() < 2) {
        Print("NO DOCUMENT\n");
        QApplication::exit(2);
        return;
    }
    // Input goes to the program's window as the desktop delivers it, keys through the shortcuts.
    form.activateWindow();
    (void)QTest::qWaitForWindowActive(&form);
    // The document window opens at its small default size; the user makes room for the cards.
    child->parentWidget()->showMaximized();
    QApplication::processEvents();
    QWindow* window = form.windowHandle();
    const auto at = [&form, child](const qv::Fragment& f, QPoint offset) {
        return child->viewport()->mapTo(
            &form, QPoint(f.ScreenRect.Left + 5, f.ScreenRect.Top + 5) + offset);
    };
    const qv::Fragment& first = *child->Set().Fragments().front();
    // Taken before the drag, which brings the dragged card to the top of the stack.
    const qv::Fragment& lastCard = *child->Set().Fragments().back();
    const QPoint from = at(first, {});
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, from);
    for (int step = 1; step <= 10; ++step)
        QTest::mouseMove(window, from + QPoint(3 * step, 2 * step));
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, from + QPoint(30, 20));
    const QPoint last = at(lastCard, {});
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, last);
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, last);
    QTest::keyClick(window, Qt::Key_Delete);
    PrintDocument(child);
}

void RestoreAndSave(TQuillovaMainForm& form) {
    for (TMDIChild* child : form.Children()) {
        PrintDocument(child);
        form.DocumentArea()->setActiveSubWindow(
            qobject_cast<QMdiSubWindow*>(child->parentWidget()));
        form.Commands().Run(CommandId::FileSave);
    }
    form.close();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(texts::Q(texts::kProgramName));
    if (argc < 2) return 2;
    const std::string mode = argv[1];
    // The program sees its arguments without the mode.
    std::vector<char*> args{argv[0]};
    for (int i = 2; i < argc; ++i)
        args.push_back(argv[i]);
    args.push_back(nullptr);

    YesPrompts prompts;
    ProgramHooks hooks;
    hooks.ServicesReady = [&prompts](AppServices& services) {
        services.Prompts().Redirect(&prompts);
    };
    hooks.Started = [&mode](TQuillovaMainForm& form, AppServices&) {
        QTimer::singleShot(0, &form, [&form, &mode] {
            if (mode == "edit") {
                Edit(form);
            } else {
                RestoreAndSave(form);
            }
        });
    };
    return RunProgram(static_cast<int>(args.size()) - 1, args.data(), hooks);
}
