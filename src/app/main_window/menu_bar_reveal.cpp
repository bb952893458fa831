#include "app/main_window/menu_bar_reveal.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace {

// How often the pointer is looked at while the bar is hidden, and how close to the screen's top
// it must come: the top row of pixels is where a hand moving up stops.
constexpr int kPointerInterval = 150;
constexpr int kTopEdge = 2;

}  // namespace

MenuBarReveal::MenuBarReveal(QMainWindow& window) : QObject(&window), window_(window) {
    pointer_ = new QTimer(this);
    pointer_->setInterval(kPointerInterval);
    connect(pointer_, &QTimer::timeout, this, [this] { PointerAt(QCursor::pos()); });
    qApp->installEventFilter(this);
}

QMenuBar* MenuBarReveal::Bar() const {
    return window_.menuBar();
}

void MenuBarReveal::WatchMenus() {
    // Each menu closing is a moment to see whether the bar is still wanted.
    for (QAction* a : Bar()->actions()) {
        if (QMenu* menu = a->menu(); menu && !menu->property("qvRevealWatch").toBool()) {
            menu->setProperty("qvRevealWatch", true);
            connect(menu, &QMenu::aboutToHide, this,
                    [this] { QTimer::singleShot(0, this, &MenuBarReveal::ConcealIfIdle); });
        }
    }
}

void MenuBarReveal::SetConcealed(bool on) {
    concealed_ = on;
    revealed_ = false;
    Bar()->setVisible(!on);
    if (on) {
        WatchMenus();
        pointer_->start();
    } else {
        pointer_->stop();
    }
}

void MenuBarReveal::Reveal() {
    if (!concealed_ || revealed_) return;
    revealed_ = true;
    Bar()->setVisible(true);
    // The bar must have its place before a menu opens below it.
    if (QLayout* layout = window_.layout()) layout->activate();
}

void MenuBarReveal::ConcealIfIdle() {
    if (!concealed_ || !revealed_) return;
    if (Bar()->activeAction() || QApplication::activePopupWidget()) return;
    const QRect bar(Bar()->mapToGlobal(QPoint(0, 0)), Bar()->size());
    if (bar.contains(QCursor::pos())) return;
    revealed_ = false;
    Bar()->setVisible(false);
}

void MenuBarReveal::PointerAt(const QPoint& global) {
    if (!concealed_) return;
    if (!revealed_) {
        const QRect frame = window_.frameGeometry();
        const QScreen* screen = window_.screen();
        const int top = screen ? screen->geometry().top() : frame.top();
        if (global.y() < top + kTopEdge && global.x() >= frame.left() &&
            global.x() <= frame.right())
            Reveal();
        return;
    }
    ConcealIfIdle();
}

void MenuBarReveal::OpenMenu(QAction* action) {
    Reveal();
    if (!action) {
        for (QAction* a : Bar()->actions()) {
            if (a->isVisible() && a->isEnabled()) {
                action = a;
                break;
            }
        }
    }
    if (action) Bar()->setActiveAction(action);
}

bool MenuBarReveal::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    // Keys of the main window only, and not while a dialog or a menu holds the keyboard.
    if (!widget || widget->window() != &window_ || QApplication::activePopupWidget() ||
        QApplication::activeModalWidget())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier |
                                                           Qt::AltModifier | Qt::MetaModifier);
    if (key->key() == Qt::Key_F10 && mods == Qt::NoModifier) {
        OpenMenu(nullptr);
        return true;
    }
    // A hidden bar takes no access keys of its own: look them up in its menus' captions.
    if (!concealed_ || revealed_ || mods != Qt::AltModifier) return false;
    for (QAction* a : Bar()->actions()) {
        if (!a->isVisible() || !a->isEnabled()) continue;
        const QKeySequence mnemonic = QKeySequence::mnemonic(a->text());
        if (!mnemonic.isEmpty() && mnemonic[0].key() == Qt::Key(key->key())) {
            OpenMenu(a);
            return true;
        }
    }
    return false;
}
