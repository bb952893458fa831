// Every control a user can reach by keyboard has a name assistive tools can read: inputs through
// the labels that are their buddies, buttons through their captions, the tool bars' buttons
// through their commands' captions.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <memory>

#include "app/app_services.h"
#include "app/composition.h"
#include "app/dialogs/about_box.h"
#include "app/dialogs/find_set_dlg.h"
#include "app/dialogs/frg_prop_dlg.h"
#include "app/dialogs/option_dlg.h"
#include "app/dialogs/scr_size_dlg.h"
#include "app/dialogs/stretch_dlg.h"
#include "app/main_window/main_form.h"
#include "app/panels/group_list_panel.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"
#include "render/painting/offscreen_document.h"

namespace {

// The controls under `root` that take the keyboard but have no accessible name, and the labels
// with an access key that lead nowhere; described by class and object name.
QStringList Nameless(QWidget* root) {
    QStringList out;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->text().contains(u'&') && !label->text().contains(QStringLiteral("&&")) &&
                !label->buddy())
                out << QStringLiteral("label without buddy: ") + label->text();
            continue;
        }
        const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                           qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
                           qobject_cast<QTextEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
                           qobject_cast<QAbstractItemView*>(w);
        if (!input || w->focusPolicy() == Qt::NoFocus) continue;
        // A combo box's pop-up list is named by the combo box.
        if (w->inherits("QComboBoxListView")) continue;
        // The line edit inside a combo or spin box is named by its owner.
        if (qobject_cast<QLineEdit*>(w) && (qobject_cast<QComboBox*>(w->parentWidget()) ||
                                            qobject_cast<QAbstractSpinBox*>(w->parentWidget())))
            continue;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
        if (!iface || iface->text(QAccessible::Name).trimmed().isEmpty())
            out << QString::fromLatin1(w->metaObject()->className()) + QStringLiteral(" ") +
                       w->objectName();
    }
    return out;
}

TEST(AccessibleNames, EveryDialogNamesItsControls) {
    qv::EnvData env;
    qv::UsrIniFile ini;
    qv::QuietPrompts prompts;
    TAboutBox about;
    TFindSetDlg find(env, ini);
    TOptionDlg options(env, prompts);
    TScrSizeDlg wholeSize(env);
    TStretchDlg stretch(ini);
    TFrgPropDlg property(env, ini, nullptr);
    for (QWidget* dialog : std::initializer_list<QWidget*>{&about, &find, &options, &wholeSize,
                                                           &stretch, &property}) {
        EXPECT_EQ(Nameless(dialog).join(QStringLiteral("; ")).toStdString(), "")
            << dialog->metaObject()->className();
    }
}

TEST(AccessibleNames, ToolBarButtonsAndTheGroupListSpeakTheirCaptions) {
    AppServices services;
    std::unique_ptr<Program> program = BuildProgram(services);
    TQuillovaMainForm& form = program->Window();
    for (QToolBar* bar : form.findChildren<QToolBar*>()) {
        for (QToolButton* button : bar->findChildren<QToolButton*>()) {
            // Qt's own button for the buttons that do not fit shows only when needed.
            if (button->objectName() == QLatin1String("qt_toolbar_ext_button")) continue;
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
            ASSERT_NE(iface, nullptr);
            EXPECT_FALSE(iface->text(QAccessible::Name).trimmed().isEmpty())
                << bar->objectName().toStdString() << " " << button->objectName().toStdString();
            if (QAction* action = button->defaultAction()) {
                EXPECT_EQ(iface->text(QAccessible::Name),
                          QString(action->text()).remove(u'&').remove(QStringLiteral("...")));
            }
        }
    }
    EXPECT_EQ(Nameless(form.GroupList()).join(QStringLiteral("; ")).toStdString(), "");
}

}  // namespace
