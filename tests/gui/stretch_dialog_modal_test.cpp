// The stretch dialog opened by its command keeps the main window out of reach while it is up:
// closing the document under it must not be possible.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "app/dialogs/stretch_dlg.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"
#include "render/painting/offscreen_document.h"
#include "unit/model/fakes.h"

namespace {

TEST(StretchDialogModality, ExecuteShowsTheDialogApplicationModal) {
    qv::EnvData env;
    qv::UsrIniFile ini;
    qv::OffscreenDocument doc{env};
    qv::test::AddCard(doc.Set(), "a", 1, 100, 100);
    qv::test::AddCard(doc.Set(), "b", 1, 300, 100);
    doc.Set().Recount();
    doc.Set().SelectAll(true);
    TStretchDlg dlg{ini};
    QWidget* modalWhileOpen = nullptr;
    QTimer::singleShot(0, &dlg, [&] {
        modalWhileOpen = QApplication::activeModalWidget();
        dlg.reject();
    });
    dlg.Execute(doc.Set(), qv::StretchTarget::Fragments, QPoint(0, 0));
    EXPECT_EQ(modalWhileOpen, &dlg);
}

}  // namespace
