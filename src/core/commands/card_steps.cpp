#include "core/commands/card_steps.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <tuple>
#include <utility>

#include "core/model/frag_set.h"
#include "core/model/fragment.h"

namespace qv {

namespace {

struct Centre {
    std::int64_t X = 0;
    std::int64_t Y = 0;
};

// Twice the centre, so that odd sizes keep their half pixel.
Centre DocCentre(const Fragment& f) {
    return {static_cast<std::int64_t>(f.Left) + f.Right,
            static_cast<std::int64_t>(f.Top) + f.Bottom};
}

// How far a card lies along the direction and across it, from a centre.
std::pair<std::int64_t, std::int64_t> AlongAcross(Centre from, Centre to, CardDirection d) {
    const std::int64_t dx = to.X - from.X;
    const std::int64_t dy = to.Y - from.Y;
    switch (d) {
        case CardDirection::Left:
            return {-dx, dy};
        case CardDirection::Right:
            return {dx, dy};
        case CardDirection::Up:
            return {-dy, dx};
        case CardDirection::Down:
            return {dy, dx};
    }
    return {0, 0};
}

}  // namespace

std::vector<Fragment*> CardsInReadingOrder(const FragSet& doc) {
    std::vector<Fragment*> cards;
    cards.reserve(doc.Fragments().size());
    for (const auto& p : doc.Fragments())
        if (p->Visible) cards.push_back(p.get());
    // The reading comparison is not transitive, so the merge's result depends on where it starts:
    // starting from the positions alone keeps the order the same whatever was brought to the top.
    std::stable_sort(cards.begin(), cards.end(), [](const Fragment* a, const Fragment* b) {
        return std::tie(a->Left, a->Top, a->Right, a->Bottom) <
               std::tie(b->Left, b->Top, b->Right, b->Bottom);
    });
    FragSet::SortByPosition(cards);
    return cards;
}

Fragment* StepInReadingOrder(const FragSet& doc, const Fragment* from, bool forward) {
    const std::vector<Fragment*> cards = CardsInReadingOrder(doc);
    if (cards.empty()) return nullptr;
    const auto it = from ? std::find(cards.begin(), cards.end(), from) : cards.end();
    if (it == cards.end()) return forward ? cards.front() : cards.back();
    const auto n = static_cast<std::ptrdiff_t>(cards.size());
    const std::ptrdiff_t i = it - cards.begin();
    return cards[static_cast<std::size_t>((i + (forward ? 1 : n - 1)) % n)];
}

Fragment* NearestInDirection(const FragSet& doc, const Fragment* from, CardDirection direction) {
    const std::vector<Fragment*> cards = CardsInReadingOrder(doc);
    if (!from || std::find(cards.begin(), cards.end(), from) == cards.end()) {
        // Nothing to start from: the card nearest the middle of what the window shows.
        const DocumentView& view = doc.View();
        const Centre middle{static_cast<std::int64_t>(view.ClientWidth()),
                            static_cast<std::int64_t>(view.ClientHeight())};
        Fragment* best = nullptr;
        std::int64_t bestDistance = 0;
        for (Fragment* f : cards) {
            const Rect& s = f->ScreenRect;
            const std::int64_t dx = static_cast<std::int64_t>(s.Left) + s.Right - middle.X;
            const std::int64_t dy = static_cast<std::int64_t>(s.Top) + s.Bottom - middle.Y;
            const std::int64_t distance = dx * dx + dy * dy;
            if (!best || distance < bestDistance) {
                best = f;
                bestDistance = distance;
            }
        }
        return best;
    }
    const Centre origin = DocCentre(*from);
    Fragment* best = nullptr;
    std::int64_t bestDistance = 0;
    for (Fragment* f : cards) {
        if (f == from) continue;
        const auto [along, across] = AlongAcross(origin, DocCentre(*f), direction);
        // Within the cone of 45 degrees either side; a card on the cone's edge counts.
        if (along <= 0 || (across < 0 ? -across : across) > along) continue;
        const std::int64_t distance = along * along + across * across;
        if (!best || distance < bestDistance) {
            best = f;
            bestDistance = distance;
        }
    }
    return best;
}

void SelectOnlyCard(FragSet& doc, Fragment* card) {
    if (!card) return;
    for (const auto& p : doc.Fragments()) {
        const bool want = p.get() == card;
        if (p->Selected == want) continue;
        p->SetSelected(want);
        p->Redraw();
    }
    doc.RebuildSelection();
    const DocumentView& view = doc.View();
    const Rect& s = card->ScreenRect;
    const bool inView = s.Left >= 0 && s.Top >= 0 && s.Right <= view.ClientWidth() &&
                        s.Bottom <= view.ClientHeight();
    if (!inView) doc.CentreOn(card, false);
}

}  // namespace qv
