// The about box: the program's name, version and licence, closed with OK, Enter or Esc.
#pragma once

#include <QDialog>

class TAboutBox : public QDialog {
    Q_OBJECT

  public:
    explicit TAboutBox(QWidget* parent = nullptr);
};
