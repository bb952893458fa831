#include "app/main_form.h"

#include <QMdiArea>

TQuillovaMainForm::TQuillovaMainForm(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Quillovarsta"));
    mdiArea_ = new QMdiArea(this);
    setCentralWidget(mdiArea_);
    resize(1024, 720);
}
