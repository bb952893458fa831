// Keeps the menus of a main window within reach while its menu bar is hidden (maximised without
// caption and menu bar): Alt with a menu's access key or F10 opens a menu, and the pointer at
// the top edge of the screen shows the bar until it leaves the bar again. F10 opens the first
// menu in every state, as desktops do. Keys that a command uses reach the command instead.
#pragma once

#include <QObject>
#include <QPoint>

class QAction;
class QMainWindow;
class QMenuBar;
class QTimer;

class MenuBarReveal : public QObject {
    Q_OBJECT

  public:
    explicit MenuBarReveal(QMainWindow& window);

    // On: the bar stays hidden unless called for. Off: the bar is shown.
    void SetConcealed(bool on);
    bool Concealed() const { return concealed_; }
    // Whether the bar is shown now although concealed.
    bool Revealed() const { return revealed_; }

    // The pointer at `global`: at the top edge the bar shows; off a shown bar it hides again.
    void PointerAt(const QPoint& global);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QMenuBar* Bar() const;
    // Shows the bar and opens the menu of `action` (the first menu when null).
    void OpenMenu(QAction* action);
    void Reveal();
    // Hides the bar again when no menu is open and the pointer is not on it.
    void ConcealIfIdle();
    void WatchMenus();

    QMainWindow& window_;
    QTimer* pointer_ = nullptr;
    bool concealed_ = false;
    bool revealed_ = false;
};
