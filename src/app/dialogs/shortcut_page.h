// The "ｼｮｰﾄｶｯﾄ" page of the options dialog: categories, the command list with each command's
// shortcut, and the key and modifiers of a new shortcut. Changes act on the commands at once.
#pragma once

#include <QWidget>

#include "core/dialogs/shortcut_page.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;

class ShortcutPage : public QWidget {
    Q_OBJECT

  public:
    explicit ShortcutPage(QWidget* parent = nullptr);

    // Fills the page from the commands (each time the options dialog is shown); the modifier
    // boxes keep their last state. Without a table the page is empty and its buttons greyed.
    void Fill(qv::CommandKeyTable* table);

    QComboBox* Categories() const { return parentCombo_; }
    QListWidget* List() const { return list_; }
    QComboBox* Keys() const { return keyCombo_; }
    QCheckBox* Shift() const { return shift_; }
    QCheckBox* Ctrl() const { return ctrl_; }
    QCheckBox* Alt() const { return alt_; }
    QPushButton* ChangeButton() const { return changeBtn_; }
    QPushButton* ClearButton() const { return clearBtn_; }

  private:
    void ShowRows();
    void CategoryChosen(int index);
    void RowSelected(int row);

    qv::ShortcutList model_;
    QComboBox* parentCombo_ = nullptr;
    QListWidget* list_ = nullptr;
    QComboBox* keyCombo_ = nullptr;
    QCheckBox* shift_ = nullptr;
    QCheckBox* ctrl_ = nullptr;
    QCheckBox* alt_ = nullptr;
    QPushButton* changeBtn_ = nullptr;
    QPushButton* clearBtn_ = nullptr;
    bool filling_ = false;
};
