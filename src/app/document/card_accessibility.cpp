#include "app/document/card_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFileInfo>
#include <QPointer>
#include <QWindow>
#include <algorithm>
#include <unordered_map>

#include "app/document/mdi_child.h"
#include "app/texts.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "core/text/text_helpers.h"
#include "render/text/qt_text.h"

namespace {

// One card of a document window. Holds the card only to compare and, while the window still
// lists it, to read; a card that is gone makes the interface invalid.
class CardAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    CardAccessible(TMDIChild* view, const qv::Fragment* card) : view_(view), card_(card) {}

    bool isValid() const override { return Card() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return view_ ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QString text(QAccessible::Text t) const override {
        const qv::Fragment* card = Card();
        if (!card) return QString();
        switch (t) {
            case QAccessible::Name:
                return CardSpokenText(*card, view_->Set().Env());
            case QAccessible::Description:
                return CardDescription(view_->Set(), *card);
            default:
                return QString();
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        const qv::Fragment* card = Card();
        if (!card) return QRect();
        const qv::Rect& s = card->ScreenRect;
        return QRect(view_->viewport()->mapToGlobal(QPoint(s.Left, s.Top)),
                     QSize(s.Width(), s.Height()));
    }

    QAccessible::State state() const override {
        QAccessible::State st;
        const qv::Fragment* card = Card();
        if (!card) {
            st.invalid = true;
            return st;
        }
        st.selectable = true;
        st.focusable = true;
        st.selected = card->Selected;
        st.focused = view_->hasFocus() && view_->FocusCard() == card;
        const qv::Rect& s = card->ScreenRect;
        st.offscreen = s.Right <= 0 || s.Bottom <= 0 || s.Left >= view_->viewport()->width() ||
                       s.Top >= view_->viewport()->height();
        return st;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    // Focusing or pressing a card selects it as a keyboard move does.
    QStringList actionNames() const override {
        return Card() ? QStringList{setFocusAction(), pressAction()} : QStringList();
    }
    void doAction(const QString& name) override {
        if (Card() && (name == setFocusAction() || name == pressAction())) view_->SelectCard(card_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    const qv::Fragment* Key() const { return card_; }

  private:
    const qv::Fragment* Card() const {
        return view_ && view_->ReadingIndexOf(card_) >= 0 ? card_ : nullptr;
    }

    QPointer<TMDIChild> view_;
    const qv::Fragment* card_;
};

// The document window: a list of its visible cards, followed by its own child widgets (the
// page and the scroll bars).
class CardListAccessible final : public QAccessibleWidget {
  public:
    explicit CardListAccessible(TMDIChild* view) : QAccessibleWidget(view, QAccessible::List) {}

    ~CardListAccessible() override {
        for (const auto& entry : ids_)
            QAccessible::deleteAccessibleInterface(entry.second);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return View()->Caption();
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return CardCount() + QAccessibleWidget::childCount(); }

    QAccessibleInterface* child(int index) const override {
        if (index < 0) return nullptr;
        const int cards = CardCount();
        if (index >= cards) return QAccessibleWidget::child(index - cards);
        return CardInterface(View()->ReadingOrderCards()[static_cast<std::size_t>(index)]);
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        if (const auto* card = dynamic_cast<const CardAccessible*>(child))
            return View()->ReadingIndexOf(card->Key());
        const int i = QAccessibleWidget::indexOfChild(child);
        return i < 0 ? -1 : i + CardCount();
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint p = View()->viewport()->mapFromGlobal(QPoint(x, y));
        if (View()->viewport()->rect().contains(p))
            if (const qv::Fragment* card = View()->Set().FragmentAt(p.x(), p.y()))
                return CardInterface(card);
        return QAccessibleWidget::childAt(x, y);
    }

    QAccessibleInterface* focusChild() const override {
        if (!View()->hasFocus()) return QAccessibleWidget::focusChild();
        if (const qv::Fragment* card = View()->FocusCard()) return CardInterface(card);
        return nullptr;
    }

  private:
    TMDIChild* View() const { return static_cast<TMDIChild*>(widget()); }
    int CardCount() const { return static_cast<int>(View()->ReadingOrderCards().size()); }

    // One interface per card, made when first asked for; those of cards gone are dropped when the
    // window's card list was made anew.
    QAccessibleInterface* CardInterface(const qv::Fragment* card) const {
        const int generation = View()->ReadingOrderGeneration();
        if (generation != generation_) {
            generation_ = generation;
            for (auto it = ids_.begin(); it != ids_.end();) {
                if (View()->ReadingIndexOf(it->first) < 0) {
                    QAccessible::deleteAccessibleInterface(it->second);
                    it = ids_.erase(it);
                } else {
                    ++it;
                }
            }
        }
        if (View()->ReadingIndexOf(card) < 0) return nullptr;
        const auto found = ids_.find(card);
        if (found != ids_.end()) return QAccessible::accessibleInterface(found->second);
        auto* iface = new CardAccessible(View(), card);
        ids_.emplace(card, QAccessible::registerAccessibleInterface(iface));
        return iface;
    }

    mutable std::unordered_map<const qv::Fragment*, QAccessible::Id> ids_;
    mutable int generation_ = -1;
};

QAccessibleInterface* DocumentWindowFactory(const QString& key, QObject* object) {
    if (key == QLatin1String("TMDIChild"))
        if (auto* view = qobject_cast<TMDIChild*>(object)) return new CardListAccessible(view);
    return nullptr;
}

CardEventWatcher& Watcher() {
    static CardEventWatcher watcher;
    return watcher;
}

// Nobody listens while no assistive tool runs: the list need not be made for them.
bool Listening() {
    return QAccessible::isActive() || static_cast<bool>(Watcher());
}

void Tell(QAccessibleEvent& event) {
    if (Watcher()) Watcher()(event);
    QAccessible::updateAccessibility(&event);
}

void Send(TMDIChild& view, QAccessible::Event type, int child) {
    QAccessibleEvent event(&view, type);
    event.setChild(child);
    Tell(event);
}

// More changes than this are told as one change somewhere in the list.
constexpr std::size_t kSelectionChangesTold = 16;

}  // namespace

void InstallCardAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&DocumentWindowFactory);
        return true;
    }();
    (void)installed;
}

void WatchCardEvents(CardEventWatcher watcher) {
    Watcher() = std::move(watcher);
}

QString CardSpokenText(const qv::Fragment& card, const qv::EnvData& env) {
    QString text = qv::FromCp932(qv::ReplaceAll(card.Text, env.CR_String, " ")).simplified();
    if (text.isEmpty() && card.Kind == qv::FragmentKind::Image)
        text = QFileInfo(qv::FromCp932(card.Link)).fileName();
    return text;
}

QString CardDescription(const qv::FragSet& set, const qv::Fragment& card) {
    QString group;
    std::string name;
    if (set.GroupName(card.Group, name) || card.Group == qv::kNoGroup) {
        group = qv::FromCp932(qv::ReplaceAll(name, set.Env().CR_String, " ")).simplified();
    } else {
        group = texts::Q(texts::kCardGroupWord) + QString::number(card.Group);
    }
    if (card.Link.empty()) return group;
    return group + texts::Q(texts::kCardLinkLead) + qv::FromCp932(card.Link);
}

void AnnounceCardFocus(TMDIChild& view, const qv::Fragment& card) {
    if (!Listening()) return;
    const int index = view.ReadingIndexOf(&card);
    if (index >= 0 && view.hasFocus()) Send(view, QAccessible::Focus, index);
}

void AnnounceSelection(TMDIChild& view, const std::vector<const qv::Fragment*>& before,
                       const std::vector<qv::Fragment*>& after) {
    if (!Listening()) return;
    // Sorted copies: a selection of a thousand cards is compared in n log n.
    std::vector<const qv::Fragment*> was(before);
    std::vector<const qv::Fragment*> is(after.begin(), after.end());
    std::sort(was.begin(), was.end());
    std::sort(is.begin(), is.end());
    const auto had = [&](const qv::Fragment* f) {
        return std::binary_search(was.begin(), was.end(), f);
    };
    const auto has = [&](const qv::Fragment* f) {
        return std::binary_search(is.begin(), is.end(), f);
    };
    if (after.size() == 1) {
        const int index = view.ReadingIndexOf(after.front());
        if (index >= 0) {
            Send(view, QAccessible::Selection, index);
            return;
        }
    }
    std::vector<std::pair<QAccessible::Event, int>> changes;
    for (const qv::Fragment* f : after)
        if (!had(f)) changes.emplace_back(QAccessible::SelectionAdd, view.ReadingIndexOf(f));
    // Cards that were deselected and are still listed; gone ones are never read.
    for (const qv::Fragment* f : before)
        if (!has(f))
            if (const int index = view.ReadingIndexOf(f); index >= 0)
                changes.emplace_back(QAccessible::SelectionRemove, index);
    std::erase_if(changes, [](const auto& c) { return c.second < 0; });
    if (changes.size() > kSelectionChangesTold) {
        QAccessibleEvent event(&view, QAccessible::SelectionWithin);
        Tell(event);
        return;
    }
    for (const auto& [type, index] : changes)
        Send(view, type, index);
}
