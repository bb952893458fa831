// What assistive tools see of a document window: the window is a list whose items are its visible
// cards in reading order (the order Tab walks), each named by its text and described by its group
// and link, with its selected and focused states. The window tells them of keyboard moves and of
// selection changes through the functions below.
#pragma once

#include <QString>
#include <functional>
#include <vector>

class QAccessibleEvent;

class TMDIChild;

namespace qv {
class EnvData;
class FragSet;
class Fragment;
}  // namespace qv

// Registers the interfaces with Qt's accessibility (once per program; later calls do nothing).
void InstallCardAccessibility();

// Sees every event the document windows send before Qt hands it on. Qt drops events while no
// assistive tool listens (and on platforms without a bridge to one, such as the offscreen one),
// so this is where they can be watched then. Empty to stop.
using CardEventWatcher = std::function<void(QAccessibleEvent&)>;
void WatchCardEvents(CardEventWatcher watcher);

// A card as words: its text (lines joined by blanks), a picture card's caption or else its
// file's name.
QString CardSpokenText(const qv::Fragment& card, const qv::EnvData& env);
// Its group by name (the name plate's text, "グループN", or "無所属"), then its link.
QString CardDescription(const qv::FragSet& set, const qv::Fragment& card);

// A keyboard move made `card` the current one (the window has the keyboard).
void AnnounceCardFocus(TMDIChild& view, const qv::Fragment& card);
// The selection went from `before` to `after` (both in any order; `before` may name cards that
// are gone, which are only compared).
void AnnounceSelection(TMDIChild& view, const std::vector<const qv::Fragment*>& before,
                       const std::vector<qv::Fragment*>& after);
