#include "app/commands/selection_commands.h"

#include <QActionGroup>
#include <QPaintEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

#include "app/dialogs/find_set_dlg.h"
#include "app/platform/plain_text.h"
#include "app/texts.h"
#include "core/commands/selection_menus.h"
#include "core/model/frag_buffer.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "render/painting/colors.h"
#include "render/text/qt_text.h"

namespace {

constexpr const char* kLineTagProperty = "lineTag";

// Colour items are five times as wide as they are high.
class ColourItemStyle final : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_MenuItem) s.setWidth(std::max(s.width(), s.height() * 5));
        return s;
    }
};

}  // namespace

ColourMenu::ColourMenu(QWidget* parent) : QMenu(parent) {
    setObjectName(QStringLiteral("PopupMenu5"));
    auto* style = new ColourItemStyle();
    style->setParent(this);
    setStyle(style);
    for (int i = 0; i < qv::kColourItems; ++i) {
        QAction* a = addAction(QString::fromStdString(qv::ColourItemCaption(i)));
        a->setData(static_cast<qulonglong>(qv::kNoColor));
        a->setVisible(false);
        items_.push_back(a);
    }
}

void ColourMenu::SetColours(const std::vector<qv::Color>& colours) {
    for (int i = 0; i < qv::kColourItems; ++i) {
        QAction* a = items_[static_cast<std::size_t>(i)];
        const bool used = i < static_cast<int>(colours.size());
        a->setData(
            static_cast<qulonglong>(used ? colours[static_cast<std::size_t>(i)] : qv::kNoColor));
        a->setVisible(used);
    }
}

void ColourMenu::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), palette().window());
    for (QAction* a : items_) {
        if (!a->isVisible()) continue;
        const QRect r = actionGeometry(a);
        if (!r.intersects(event->rect())) continue;
        const bool selected = a == activeAction();
        p.fillRect(r, selected ? palette().highlight() : palette().window());
        p.setPen(selected ? palette().highlightedText().color() : palette().windowText().color());
        p.drawText(r.adjusted(6, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                   a->text());
        const QRect swatch = r.adjusted(2 + 30, 2, -2, -2);
        p.fillRect(swatch, qv::ToQColor(static_cast<qv::Color>(a->data().toULongLong())));
        p.setPen(palette().mid().color());
        p.drawRect(swatch.adjusted(0, 0, -1, -1));
    }
}

SelectionCommands::SelectionCommands(DocumentWindows& windows, qv::EnvData& env,
                                     qv::UsrIniFile& ini, qv::FragBuffer& buffer,
                                     QWidget* dialogParent)
    : windows_(windows),
      env_(env),
      ini_(ini),
      buffer_(buffer),
      dialogParent_(dialogParent),
      colours_(new ColourMenu(dialogParent)) {
    for (int i = 0; i < qv::kColourItems; ++i) {
        QAction* a = colours_->Item(i);
        connect(a, &QAction::triggered, this,
                [this, a] { ChooseColour(static_cast<qv::Color>(a->data().toULongLong())); });
    }
    chooser_ = [this](const QColor& initial) {
        return ChooseColourWithCustom(env_, initial, dialogParent_);
    };
}

SelectionCommands::~SelectionCommands() = default;

TFindSetDlg& SelectionCommands::FindDialog() {
    if (!findDialog_) findDialog_ = std::make_unique<TFindSetDlg>(env_, ini_, dialogParent_);
    return *findDialog_;
}

void SelectionCommands::FillGroupMenu(QMenu* menu, bool move) {
    qv::FragSet* doc = windows_.ActiveDocument();
    const std::vector<qv::MenuItemState> states =
        move ? qv::GroupMoveItems(doc) : qv::GroupSelectItems(doc);
    QList<QAction*> actions = menu->actions();
    for (int i = 0; i < static_cast<int>(states.size()) && i < actions.size(); ++i) {
        const qv::MenuItemState& s = states[static_cast<std::size_t>(i)];
        QAction* a = actions[i];
        a->setText(qv::FromCp932(s.Caption));
        a->setStatusTip(qv::FromCp932(s.Hint));
        // The hint holds the group's name, a card's text.
        a->setToolTip(qv::PlainToolTip(qv::FromCp932(s.Hint)));
        a->setEnabled(s.Enabled);
    }
}

void SelectionCommands::AttachGroupSelectMenu(QMenu* menu) {
    menu->setToolTipsVisible(true);
    for (int g = 1; g <= qv::kMenuGroups; ++g) {
        QAction* a = menu->addAction(QString());
        connect(a, &QAction::triggered, this, [this, g] {
            if (qv::FragSet* doc = windows_.ActiveDocument()) {
                doc->SelectGroup(g, true);
                windows_.RefreshViews();
            }
        });
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillGroupMenu(menu, false); });
    FillGroupMenu(menu, false);
}

void SelectionCommands::AttachGroupMoveMenu(QMenu* menu) {
    menu->setToolTipsVisible(true);
    for (int g = 1; g <= qv::kMenuGroups; ++g) {
        QAction* a = menu->addAction(QString());
        connect(a, &QAction::triggered, this, [this, g] {
            if (qv::FragSet* doc = windows_.ActiveDocument()) {
                doc->MoveSelectionToGroup(g);
                doc->RefreshRequest();
                windows_.RefreshViews();
            }
        });
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillGroupMenu(menu, true); });
}

void SelectionCommands::AttachMoveToWindowMenu(QMenu* menu) {
    // Made anew each time it opens: item i stands for window i, the active one hidden.
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        menu->clear();
        const auto list = windows_.DocumentWindowList();
        std::vector<qv::WindowEntry> entries;
        for (const auto& e : list)
            entries.push_back({qv::ToCp932(e.Caption), e.Set && e.Set->ReadOnly, e.Active});
        const auto states = qv::MoveToWindowItems(entries);
        for (int i = 0; i < static_cast<int>(list.size()) && i < static_cast<int>(states.size());
             ++i) {
            const auto& s = states[static_cast<std::size_t>(i)];
            QAction* a = menu->addAction(QString());
            a->setVisible(s.Visible);
            a->setEnabled(s.Enabled);
            // The caption is made from the window's own title, which may hold any character.
            if (s.Visible) {
                const QString prefix = qv::FromCp932(s.Caption.substr(0, s.Caption.find(':') + 1));
                a->setText((s.Caption.rfind("&", 0) == 0 ? prefix : QStringLiteral("  ")) +
                           qv::PlainMenuText(list[static_cast<std::size_t>(i)].Caption));
            }
            connect(a, &QAction::triggered, this, [this, i] { MoveToWindow(i); });
        }
    });
}

void SelectionCommands::MoveToWindow(int index) {
    qv::FragSet* from = windows_.ActiveDocument();
    const auto list = windows_.DocumentWindowList();
    if (!from || index < 0 || index >= static_cast<int>(list.size())) return;
    qv::FragSet* to = list[static_cast<std::size_t>(index)].Set;
    if (!to || !qv::MoveSelectionToDocument(*from, *to, buffer_)) return;
    // The views refresh only the active document: the target's frames take in the new cards
    // now, not when its window is next activated.
    to->RefreshVisibility();
    to->RepaintTouchedFrames();
    windows_.RefreshViews();
    if (env_.ActivateDistWin) {
        windows_.ActivateDocumentWindow(index);
        to->CentreOn(to->NearestToSelectionCentre(), false);
        windows_.RefreshViews();
    }
}

void SelectionCommands::PopupColours(bool forBrush, const QPoint& at) {
    qv::FragSet* doc = windows_.ActiveDocument();
    if (!doc) return;
    colours_->SetColours(qv::BackgroundColours(*doc));
    coloursForBrush_ = forBrush;
    colours_->exec(at);
}

void SelectionCommands::ChooseColour(qv::Color colour) {
    qv::FragSet* doc = windows_.ActiveDocument();
    if (!doc) return;
    if (coloursForBrush_) {
        env_.Colors.BrushTool = colour;
        emit BrushColourChanged(colour);
    } else {
        doc->SelectByColour(colour);
        windows_.RefreshViews();
    }
}

void SelectionCommands::ChooseBrushColour() {
    const std::optional<QColor> c = chooser_(qv::ToQColor(env_.Colors.BrushTool));
    if (!c) return;
    env_.Colors.BrushTool = qv::Rgb(c->red(), c->green(), c->blue());
    emit BrushColourChanged(env_.Colors.BrushTool);
}

QMenu* SelectionCommands::BrushPopup(QWidget* parent, QAction* selectByColour,
                                     QAction* toolNormal) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("PopupMenu4"));
    connect(menu->addAction(texts::Q(texts::kMenuBrushColour)), &QAction::triggered, this,
            &SelectionCommands::ChooseBrushColour);
    connect(menu->addAction(texts::Q(texts::kMenuBrushFromCards)), &QAction::triggered, this,
            [this] { PopupColours(true, QCursor::pos()); });
    menu->addSeparator();
    if (selectByColour) menu->addAction(selectByColour);
    menu->addSeparator();
    if (toolNormal) menu->addAction(toolNormal);
    return menu;
}

QMenu* SelectionCommands::LinePopup(QWidget* parent, QAction* toolNormal) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("PopupMenu3"));
    struct Item {
        std::string_view Caption;
        int Tag;
    };
    static constexpr Item kTypes[] = {{texts::kLineTypes[0], 0},
                                      {texts::kLineTypes[1], 1},
                                      {texts::kLineTypes[2], 2},
                                      {texts::kLineTypes[3], 3}};
    static constexpr Item kWidths[] = {{texts::kLineWidths[0], -10},
                                       {texts::kLineWidths[1], 10},
                                       {texts::kLineWidths[2], 11},
                                       {texts::kLineWidths[3], 12},
                                       {texts::kLineWidths[4], 13}};
    auto* types = new QActionGroup(menu);
    auto* widths = new QActionGroup(menu);
    auto add = [&](const Item& item, QActionGroup* group) {
        QAction* a = menu->addAction(texts::Q(item.Caption));
        a->setCheckable(true);
        a->setProperty(kLineTagProperty, item.Tag);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, tag = item.Tag] {
            qv::FragSet* doc = windows_.ActiveDocument();
            if (doc && qv::ApplyLineItem(*doc, env_, tag)) windows_.RefreshViews();
        });
    };
    for (const Item& item : kTypes)
        add(item, types);
    menu->addSeparator();
    for (const Item& item : kWidths)
        add(item, widths);
    QAction* deleteSeparator = menu->addSeparator();
    QAction* deleteItem = menu->addAction(texts::Q(texts::kLineDelete));
    connect(deleteItem, &QAction::triggered, this, [this] {
        qv::FragSet* doc = windows_.ActiveDocument();
        if (doc && qv::DeleteSelectedLine(*doc)) windows_.RefreshViews();
    });
    QAction* lastSeparator = menu->addSeparator();
    // The way back to normal editing is this menu's own item standing for the shared command:
    // hiding the command itself would take it from the tool bar and every other menu too.
    QAction* normalItem = nullptr;
    if (toolNormal) {
        normalItem = menu->addAction(toolNormal->text());
        normalItem->setObjectName(QStringLiteral("LinePopupToolNrm"));
        connect(normalItem, &QAction::triggered, toolNormal, [toolNormal] {
            if (toolNormal->isEnabled()) toolNormal->trigger();
        });
    }
    connect(menu, &QMenu::aboutToShow, this,
            [this, menu, deleteSeparator, deleteItem, lastSeparator, toolNormal, normalItem] {
                qv::FragSet* doc = windows_.ActiveDocument();
                if (!doc) return;
                const qv::LinePopupState s = qv::LinePopup(*doc);
                deleteSeparator->setVisible(s.LineSelected);
                deleteItem->setVisible(s.LineSelected);
                lastSeparator->setVisible(!s.LineSelected);
                if (normalItem) {
                    // Caption, key and state as the command has them now.
                    const QKeySequence key = toolNormal->shortcut();
                    normalItem->setText(key.isEmpty() ? toolNormal->text()
                                                      : toolNormal->text() + QLatin1Char('\t') +
                                                            key.toString(QKeySequence::NativeText));
                    normalItem->setIcon(toolNormal->icon());
                    normalItem->setEnabled(toolNormal->isEnabled());
                    normalItem->setVisible(!s.LineSelected);
                }
                for (QAction* a : menu->actions()) {
                    const QVariant tag = a->property(kLineTagProperty);
                    if (!tag.isValid()) continue;
                    const auto type = qv::LineTypeOfTag(tag.toInt());
                    const auto width = qv::LineWidthOfTag(tag.toInt());
                    a->setChecked((type && *type == s.Type) || (width && *width == s.Width));
                }
            });
    return menu;
}

void SelectionCommands::Find() {
    qv::FragSet* doc = windows_.ActiveDocument();
    if (!doc) return;
    doc->RebuildSelection();
    // One selected card would narrow the search to itself: search the whole document instead.
    if (doc->SelectionList.size() == 1) doc->SelectAll(false);
    if (FindDialog().exec() != QDialog::Accepted || !FindDialog().Result()) return;
    const int count = qv::FindInDocument(*doc, FindDialog().Result()->Text);
    const QString text = FindDialog().Text();
    windows_.ShowMessage(count < 1 ? texts::Q(texts::kFindNone).arg(text)
                                   : texts::Q(texts::kFindFound).arg(count).arg(text));
    windows_.RefreshViews();
}

bool SelectionCommands::CanStepSelection(bool forward) const {
    qv::FragSet* doc = windows_.ActiveDocument();
    return doc && qv::CanStepSelection(*doc, forward);
}

void SelectionCommands::StepSelection(bool forward) {
    if (qv::FragSet* doc = windows_.ActiveDocument()) qv::StepSelection(*doc, forward);
}
