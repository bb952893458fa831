// The main window: menus, tool bars, the document area and the status bar.
#pragma once

#include <QMainWindow>

class QMdiArea;

class TQuillovaMainForm : public QMainWindow {
    Q_OBJECT

  public:
    explicit TQuillovaMainForm(QWidget* parent = nullptr);

    QMdiArea* DocumentArea() const { return mdiArea_; }

  private:
    QMdiArea* mdiArea_ = nullptr;
};
