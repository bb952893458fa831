// The group-line menu (関係線): the type and width of the line under the pointer, or of new lines
// when none is selected, deleting the selected line, and back to normal editing.
#pragma once

#include <QMenu>
#include <QPointer>
#include <array>

class TMDIChild;

namespace qv {

class EnvData;

class GroupLineMenu : public QMenu {
    Q_OBJECT

  public:
    explicit GroupLineMenu(EnvData& env, QWidget* parent = nullptr);

    // The normal-editing command, shown at the end while no line is selected.
    void SetNormalToolAction(QAction* action);

    // Opens the menu for `window`'s document at `globalPos` and carries out the choice.
    void Open(TMDIChild& window, QPoint globalPos);
    // Shows and checks the items for `window`'s document: with a selected line its type and width
    // and the delete item; without one the defaults for new lines and the normal-editing item.
    void Prepare(TMDIChild* window);

    // The items, for tests and for the shell: type 1..4, width 1, 3, 5, 9 or -1.
    QAction* TypeItem(int type) const;
    QAction* WidthItem(int width) const;
    QAction* DeleteItem() const { return delete_; }

  private:
    void ChooseType(int type);
    void ChooseWidth(int width);
    void Delete();

    EnvData& env_;
    QPointer<TMDIChild> window_;
    std::array<QAction*, 4> types_{};
    std::array<QAction*, 5> widths_{};
    QAction* deleteSeparator_ = nullptr;
    QAction* delete_ = nullptr;
    QAction* lastSeparator_ = nullptr;
    QAction* normalTool_ = nullptr;
};

}  // namespace qv
