// Work a panel does after the windows have painted a change: the document window first, the
// panels that follow it (the map, the group list's counts) after.
#pragma once

#include <QCoreApplication>
#include <QEvent>

// Posts an event of `type` to `receiver` below the windows' repaint requests (which are posted at
// low priority), so that it is handled after the repaints the same change has posted, or will
// post from the calls it queued.
inline void PostAfterRepaints(QObject* receiver, QEvent::Type type) {
    QCoreApplication::postEvent(receiver, new QEvent(type), Qt::LowEventPriority - 1);
}
