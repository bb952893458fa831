#include "app/panels/group_list_panel.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "app/panels/after_repaints.h"
#include "app/texts.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"
#include "render/painting/colors.h"
#include "render/text/fonts.h"
#include "render/text/qt_text.h"

namespace {

constexpr int kShownRole = Qt::UserRole + 1;

Qt::DockWidgetArea AreaOf(qv::DockSide side) {
    switch (side) {
        case qv::DockSide::Top:
            return Qt::TopDockWidgetArea;
        case qv::DockSide::Bottom:
            return Qt::BottomDockWidgetArea;
        case qv::DockSide::Right:
            return Qt::RightDockWidgetArea;
        case qv::DockSide::Left:
            break;
    }
    return Qt::LeftDockWidgetArea;
}

std::optional<qv::DockSide> SideOf(Qt::DockWidgetArea area) {
    switch (area) {
        case Qt::TopDockWidgetArea:
            return qv::DockSide::Top;
        case Qt::BottomDockWidgetArea:
            return qv::DockSide::Bottom;
        case Qt::RightDockWidgetArea:
            return qv::DockSide::Right;
        case Qt::LeftDockWidgetArea:
            return qv::DockSide::Left;
        default:
            return std::nullopt;
    }
}

bool Horizontal(qv::DockSide side) {
    return side == qv::DockSide::Left || side == qv::DockSide::Right;
}

}  // namespace

// ---- Model ----

GroupListModel::GroupListModel(QObject* parent)
    : QAbstractListModel(parent), rows_(qv::PlaceholderRows()) {
    for (int r = 0; r < qv::kGroupListRows; ++r)
        shown_[static_cast<std::size_t>(r)] =
            qv::FromCp932(rows_.Text[static_cast<std::size_t>(r)]);
}

int GroupListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : qv::kGroupListRows;
}

QVariant GroupListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= qv::kGroupListRows) return {};
    const auto r = static_cast<std::size_t>(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return shown_[r];
        case Qt::CheckStateRole:
            return rows_.Checked[r] ? Qt::Checked : Qt::Unchecked;
        case kShownRole:
            return hasDocument_ && rows_.Checked[r];
        default:
            return {};
    }
}

void GroupListModel::Refresh(const qv::FragSet* set) {
    const bool documentCameOrWent = hasDocument_ != (set != nullptr);
    hasDocument_ = set != nullptr;
    for (int r : qv::RefreshGroupRows(set, rows_)) {
        shown_[static_cast<std::size_t>(r)] =
            qv::FromCp932(rows_.Text[static_cast<std::size_t>(r)]);
        emit dataChanged(index(r), index(r));
    }
    // Whether a row is drawn as shown depends on there being a document, whatever its text.
    if (documentCameOrWent) ChecksChanged();
}

void GroupListModel::ChecksChanged() {
    emit dataChanged(index(0), index(qv::kGroupListRows - 1), {Qt::CheckStateRole, kShownRole});
}

// ---- Row painting ----

QRect GroupRowDelegate::CheckRect(const QRect& row) {
    const int side = std::clamp(row.height() - 2, 8, 13);
    return QRect(row.left() + 2, row.top() + (row.height() - side) / 2, side, side);
}

int GroupRowDelegate::RowHeight() const {
    return std::max(1, env_.GroupListFont.PixelHeight() + env_.GlstInterLine);
}

QSize GroupRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return QSize(option.rect.width(), RowHeight());
}

void GroupRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const auto& colors = env_.Colors;
    painter->fillRect(option.rect, selected ? option.palette.color(QPalette::Highlight)
                                            : qv::ToQColor(colors.GroupListBG));
    QStyleOptionViewItem check(option);
    check.rect = CheckRect(option.rect);
    check.state = QStyle::State_Enabled |
                  (index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On
                                                                         : QStyle::State_Off);
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    painter->drawPixmap(check.rect.topLeft(), CheckBox(check, style, widget));

    QColor text;
    if (selected)
        text = option.palette.color(QPalette::HighlightedText);
    else
        text = qv::ToQColor(index.data(kShownRole).toBool() ? colors.GroupListFG
                                                            : colors.GroupListOff);
    painter->save();
    painter->setPen(text);
    painter->setFont(option.font);
    const QRect area(check.rect.right() + 1 + 2, option.rect.top(),
                     option.rect.right() - check.rect.right() - 2, option.rect.height());
    painter->drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextExpandTabs,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

const QPixmap& GroupRowDelegate::CheckBox(const QStyleOptionViewItem& check, QStyle* style,
                                          const QWidget* widget) const {
    const bool on = check.state.testFlag(QStyle::State_On);
    const qreal ratio = widget ? widget->devicePixelRatioF() : qApp->devicePixelRatio();
    KeptCheckBox& kept = checkBoxes_[on ? 1 : 0];
    if (kept.Pixmap.isNull() || kept.Size != check.rect.size() || kept.Style != style ||
        kept.Palette != check.palette.cacheKey() || kept.Ratio != ratio) {
        QPixmap pixmap(check.rect.size() * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        QStyleOptionViewItem at(check);
        at.rect = QRect(QPoint(0, 0), check.rect.size());
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &at, &p, widget);
        p.end();
        kept = KeptCheckBox{check.rect.size(), style, check.palette.cacheKey(), ratio,
                            std::move(pixmap)};
    }
    return kept.Pixmap;
}

// ---- View ----

GroupListView::GroupListView(TGroupListPanel& panel) : QListView(&panel), panel_(panel) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // The input method has nothing to do in a list of groups.
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void GroupListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListView::currentChanged(current, previous);
    if (current.isValid() && !panel_.Refreshing()) panel_.RowPicked(current.row());
}

namespace {

const QEvent::Type kRowsChanged = static_cast<QEvent::Type>(QEvent::registerEventType());

}  // namespace

void GroupListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                const QList<int>& roles) {
    if (!topLeft.isValid() || !bottomRight.isValid()) {
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    if (changedRows_.empty()) PostAfterRepaints(this, kRowsChanged);
    changedRows_.push_back(ChangedRows{topLeft.row(), bottomRight.row(), roles});
}

bool GroupListView::event(QEvent* event) {
    if (event->type() != kRowsChanged) return QListView::event(event);
    const std::vector<ChangedRows> changed = std::exchange(changedRows_, {});
    const QAbstractItemModel* rows = model();
    for (const ChangedRows& c : changed) {
        if (!rows || c.Last >= rows->rowCount()) continue;
        QAbstractItemView::dataChanged(rows->index(c.First, 0), rows->index(c.Last, 0), c.Roles);
    }
    return true;
}

void GroupListView::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const QModelIndex index = indexAt(p);
    rowDrag_ = false;
    dragging_ = false;
    // The right button opens the list's menu only; picking the row under it would change the
    // document's current group behind the user's back.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    if (index.isValid() && event->button() == Qt::LeftButton &&
        GroupRowDelegate::CheckRect(visualRect(index)).contains(p)) {
        setCurrentIndex(index);
        panel_.CheckClicked(index.row(), event->modifiers().testFlag(Qt::ShiftModifier));
        event->accept();
        return;
    }
    // The pointer went from the check box to the text: no double click follows a toggle now.
    panel_.CheckJustToggled = false;
    QListView::mousePressEvent(event);
    if (index.isValid() && event->button() == Qt::LeftButton) {
        // On a row the press may start a row drag; below the last row it is no drag at all.
        rowDrag_ = true;
        pressPos_ = p;
        SetDropRow(-1);
    }
}

void GroupListView::mouseMoveEvent(QMouseEvent* event) {
    panel_.CheckJustToggled = false;
    const QPoint p = event->position().toPoint();
    if (rowDrag_ && event->buttons().testFlag(Qt::LeftButton)) {
        if (!dragging_ && (p - pressPos_).manhattanLength() >= QApplication::startDragDistance())
            dragging_ = true;
        if (dragging_) {
            const QModelIndex index = indexAt(p);
            const int row = index.isValid() && panel_.CanDrop(index.row()) ? index.row() : -1;
            SetDropRow(row);
            viewport()->setCursor(row >= 0 ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
        }
        event->accept();
        return;
    }
    QListView::mouseMoveEvent(event);
}

void GroupListView::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_) {
        const QModelIndex index = indexAt(event->position().toPoint());
        const int row = dropRow_;
        dragging_ = false;
        rowDrag_ = false;
        SetDropRow(-1);
        viewport()->unsetCursor();
        if (row >= 0 && index.isValid() && index.row() == row) panel_.Drop(row);
        event->accept();
        return;
    }
    rowDrag_ = false;
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QListView::mouseReleaseEvent(event);
}

void GroupListView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const QModelIndex index = indexAt(p);
    if (!index.isValid() || event->button() != Qt::LeftButton) return;
    if (GroupRowDelegate::CheckRect(visualRect(index)).contains(p)) {
        // The second click of a double click on a check box toggles it back.
        panel_.CheckClicked(index.row(), event->modifiers().testFlag(Qt::ShiftModifier));
        return;
    }
    panel_.RowActivated(index.row());
}

void GroupListView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
                panel_.RowActivated(currentIndex().isValid() ? currentIndex().row() : -1);
                event->accept();
                return;
            }
            break;
        case Qt::Key_Escape:
            panel_.GiveUpFocus();
            event->accept();
            return;
        case Qt::Key_Space:
            if (currentIndex().isValid()) {
                panel_.CheckClicked(currentIndex().row(),
                                    event->modifiers().testFlag(Qt::ShiftModifier));
                event->accept();
                return;
            }
            break;
        default:
            break;
    }
    QListView::keyPressEvent(event);
}

void GroupListView::SetDropRow(int row) {
    if (row == dropRow_) return;
    if (dropRow_ >= 0) viewport()->update(visualRect(model()->index(dropRow_, 0)));
    dropRow_ = row;
    if (dropRow_ >= 0) viewport()->update(visualRect(model()->index(dropRow_, 0)));
}

void GroupListView::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    if (dropRow_ < 0) return;
    // Where the dragged group would go.
    QPainter painter(viewport());
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = visualRect(model()->index(dropRow_, 0)).adjusted(0, 0, -1, -1);
    painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
    painter.drawRect(focus.rect);
}

// ---- Panel ----

TGroupListPanel::TGroupListPanel(QMainWindow& main, qv::EnvData& env, GroupListHost& host,
                                 const qv::ViewRefresh& refresh)
    : QDockWidget(texts::Q(texts::kGroupListTitle), &main),
      main_(main),
      env_(env),
      refresh_(refresh),
      host_(host) {
    setObjectName(QStringLiteral("GroupList"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);
    model_ = new GroupListModel(this);
    view_ = new GroupListView(*this);
    view_->setAccessibleName(texts::Q(texts::kGroupListTitle));
    delegate_ = new GroupRowDelegate(env_, view_);
    view_->setModel(model_);
    view_->setItemDelegate(delegate_);
    setWidget(view_);
    setFocusProxy(view_);
    {
        refreshing_ = true;
        view_->setCurrentIndex(model_->index(0));
        refreshing_ = false;
    }
    BuildPopup();
    connect(this, &QDockWidget::topLevelChanged, this, &TGroupListPanel::OnTopLevelChanged);
    connect(this, &QDockWidget::dockLocationChanged, this, &TGroupListPanel::OnLocationChanged);
    main_.installEventFilter(this);
    ApplyAppearance();
}

int TGroupListPanel::DefaultWidth() const {
    const QFontMetrics metrics(qv::MakeFont(env_.GroupListFont));
    const QString widest = QStringLiteral("100: ") + QString(8, QChar(0x6F22));  // 漢
    const int side = GroupRowDelegate::CheckRect(QRect(0, 0, 100, delegate_->RowHeight())).right();
    // Check box and gap as a row paints them, the text, the scroll bar and the list's frame.
    const int text = side + 1 + 2 + metrics.horizontalAdvance(widest) + 4;
    const int scrollBar = view_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view_);
    return text + scrollBar + 2 * view_->frameWidth();
}

QRect TGroupListPanel::DefaultFloatRect() const {
    constexpr int kGap = 8;
    const QRect frame = main_.frameGeometry();
    const QRect client = main_.geometry();
    const QScreen* screen = main_.screen();
    const QRect area = screen ? screen->availableGeometry() : frame;
    const int width = DefaultWidth();
    QRect r(frame.right() + 1 + kGap, client.top(), width, std::min(client.height(), 600));
    if (r.right() > area.right()) r.moveLeft(frame.left() - kGap - width);
    if (r.left() < area.left()) {
        // No room beside it: over the document area, clear of the menu and tool bars.
        const QWidget* central = main_.centralWidget();
        const QPoint top = central ? central->mapToGlobal(QPoint(0, 0)) : client.topLeft();
        r.moveTopLeft(
            QPoint(std::max(area.left(), client.right() - width - 2 * kGap), top.y() + kGap));
    }
    r.setBottom(std::min(r.bottom(), area.bottom()));
    return r;
}

bool TGroupListPanel::eventFilter(QObject* watched, QEvent* event) {
    // A release on the main window itself ends a drag of the separator beside the list.
    if (watched == &main_ && event->type() == QEvent::MouseButtonRelease)
        QTimer::singleShot(0, this, &TGroupListPanel::KeepDockedSize);
    return QDockWidget::eventFilter(watched, event);
}

void TGroupListPanel::KeepDockedSize() {
    if (isHidden() || isFloating() || placing_) return;
    if (Horizontal(placement_.Side))
        placement_.Width = std::max(width(), 20);
    else
        placement_.Height = std::max(height(), 20);
}

void TGroupListPanel::BuildPopup() {
    popup_ = new QMenu(this);
    up_ = popup_->addAction(texts::Q(texts::kGroupListUp), this, [this] { MoveCurrent(-1); });
    down_ = popup_->addAction(texts::Q(texts::kGroupListDown), this, [this] { MoveCurrent(1); });
    up_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Up));
    down_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Down));
    for (QAction* a : {up_, down_}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        view_->addAction(a);
    }
    popup_->addSeparator();
    popup_->addAction(texts::Q(texts::kGroupListShowAll), this, [this] { ShowAll(); });
    popup_->addAction(texts::Q(texts::kGroupListShowNonEmpty), this, [this] { ShowNonEmpty(); });
    popup_->addSeparator();
    QMenu* position = popup_->addMenu(texts::Q(texts::kGroupListPlace));
    // In the order of the captions: left, right, top, bottom.
    const qv::DockSide sides[] = {qv::DockSide::Left, qv::DockSide::Right, qv::DockSide::Top,
                                  qv::DockSide::Bottom};
    static_assert(std::size(sides) == std::size(texts::kGroupListSides));
    int i = 0;
    for (const qv::DockSide side : sides) {
        const QString caption = texts::Q(texts::kGroupListSides[i]);
        QAction* a = position->addAction(caption, this, [this, s = side] { DockGroupList(s); });
        a->setCheckable(true);
        a->setData(static_cast<int>(side));
        sides_[i++] = a;
    }
    float_ = position->addAction(texts::Q(texts::kGroupListFloat), this, [this] {
        if (isFloating()) return;
        SaveGroupListPlacement();
        FloatGroupList();
    });
    float_->setCheckable(true);
    popup_->addAction(texts::Q(texts::kGroupListHide), this, [this] { Hide(); });
    connect(popup_, &QMenu::aboutToShow, this, &TGroupListPanel::UpdatePopupChecks);
}

void TGroupListPanel::UpdatePopupChecks() {
    for (QAction* a : sides_)
        a->setChecked(!isFloating() && a->data().toInt() == static_cast<int>(placement_.Side));
    float_->setChecked(isFloating());
}

void TGroupListPanel::contextMenuEvent(QContextMenuEvent* event) {
    popup_->popup(event->globalPos());
    event->accept();
}

void TGroupListPanel::ApplyAppearance() {
    view_->setFont(qv::MakeFont(env_.GroupListFont));
    QPalette palette = view_->palette();
    palette.setColor(QPalette::Base, qv::ToQColor(env_.Colors.GroupListBG));
    palette.setColor(QPalette::Text, qv::ToQColor(env_.Colors.GroupListFG));
    view_->setPalette(palette);
    // Rows keep one height: the list asks the delegate again.
    view_->setUniformItemSizes(false);
    view_->setUniformItemSizes(true);
    view_->doItemsLayout();
    view_->viewport()->update();
}

void TGroupListPanel::Restore(const qv::UsrIniFile& ini) {
    placement_ = qv::ReadGroupListPlacement(ini, env_, DefaultWidth());
    if (placement_.Floating) {
        main_.addDockWidget(AreaOf(placement_.Side), this);
        FloatGroupList();
    } else {
        DockGroupList(placement_.Side);
    }
    setVisible(placement_.Visible);
}

void TGroupListPanel::Store(qv::UsrIniFile& ini) {
    SaveGroupListPlacement();
    placement_.Visible = !isHidden();
    placement_.Floating = isFloating();
    qv::WriteGroupListPlacement(ini, env_, placement_);
}

void TGroupListPanel::DockGroupList(qv::DockSide side) {
    placing_ = true;
    const bool wasHidden = isHidden();
    setFloating(false);
    main_.addDockWidget(AreaOf(side), this);
    if (wasHidden) show();
    placement_.Side = side;
    ApplyPanelSize();
    env_.Align = static_cast<int>(side);
    placing_ = false;
    RefreshGroupList();
}

void TGroupListPanel::ApplyPanelSize() {
    // The main window lays its docks out only once it shows; until then the size waits.
    if (!main_.isVisible()) {
        sizePending_ = true;
        return;
    }
    sizePending_ = false;
    const QSize client = main_.size();
    if (Horizontal(placement_.Side)) {
        main_.resizeDocks({this}, {qv::DockPanelSize(placement_.Width, client.width())},
                          Qt::Horizontal);
    } else {
        main_.resizeDocks({this}, {qv::DockPanelSize(placement_.Height, client.height())},
                          Qt::Vertical);
    }
}

void TGroupListPanel::showEvent(QShowEvent* event) {
    QDockWidget::showEvent(event);
    if (sizePending_ && !isFloating())
        QTimer::singleShot(0, this, [this] {
            if (sizePending_ && !isFloating()) ApplyPanelSize();
        });
}

void TGroupListPanel::FloatGroupList() {
    if (isFloating()) return;
    placing_ = true;
    setFloating(true);
    setWindowTitle(texts::Q(texts::kGroupListTitle));
    if (!placement_.FloatStored) {
        const QRect r = DefaultFloatRect();
        placement_.FLeft = r.left();
        placement_.FTop = r.top();
        placement_.FRight = r.left() + r.width();
        placement_.FBottom = r.top() + r.height();
        placement_.FloatStored = true;
    }
    setGeometry(placement_.FLeft, placement_.FTop, placement_.FRight - placement_.FLeft,
                placement_.FBottom - placement_.FTop);
    placing_ = false;
}

void TGroupListPanel::SaveGroupListPlacement() {
    if (isHidden()) return;
    if (isFloating()) {
        const QRect g = geometry();
        placement_.FLeft = g.left();
        placement_.FTop = g.top();
        placement_.FRight = g.left() + g.width();
        placement_.FBottom = g.top() + g.height();
        placement_.FloatStored = true;
        placement_.UnDockWidth = g.width();
        placement_.UnDockHeight = g.height();
    } else if (Horizontal(placement_.Side)) {
        placement_.Width = std::max(width(), 20);
    } else {
        placement_.Height = std::max(height(), 20);
    }
}

void TGroupListPanel::OnTopLevelChanged(bool floating) {
    if (!floating || placing_) return;
    // Dragged out of its panel: it takes the size it had when it last floated.
    setWindowTitle(texts::Q(texts::kGroupListTitle));
    resize(placement_.UnDockWidth, placement_.UnDockHeight);
}

void TGroupListPanel::OnLocationChanged(Qt::DockWidgetArea area) {
    if (placing_) return;
    if (const auto side = SideOf(area)) {
        placement_.Side = *side;
        env_.Align = static_cast<int>(*side);
        // Docked again by hand: the panel takes back the size the user gave it, not the one
        // it floated with.
        if (!isFloating()) {
            sizePending_ = true;
            QTimer::singleShot(0, this, [this] {
                if (sizePending_ && !isFloating() && !isHidden()) ApplyPanelSize();
            });
        }
        RefreshGroupList();
    }
}

void TGroupListPanel::ShowOrHide() {
    if (!isHidden()) {
        SaveGroupListPlacement();
        hide();
        host_.FocusMainWindow();
        return;
    }
    show();
    if (!isFloating()) DockGroupList(placement_.Side);
    RefreshGroupList();
    view_->setFocus();
}

void TGroupListPanel::Hide() {
    SaveGroupListPlacement();
    hide();
    host_.FocusMainWindow();
}

void TGroupListPanel::GiveUpFocus() {
    host_.FocusMainWindow();
}

void TGroupListPanel::TakeFocus() {
    if (isHidden()) return;
    // A floating list is a window of its own and must be made the active one first.
    if (isFloating()) activateWindow();
    RefreshGroupList();
    const QModelIndex current = model_->index(model_->Rows().Selected);
    if (current.isValid()) {
        if (view_->currentIndex() != current) view_->setCurrentIndex(current);
        view_->scrollTo(current);
    }
    view_->setFocus(Qt::ShortcutFocusReason);
}

void TGroupListPanel::RefreshGroupList() {
    if (refresh_.Held() || isHidden()) return;
    refreshing_ = true;
    model_->Refresh(host_.ActiveDocument());
    const QModelIndex selected = model_->index(model_->Rows().Selected);
    // Only the rows that changed are repainted (the model says which).
    if (view_->currentIndex() != selected) view_->setCurrentIndex(selected);
    refreshing_ = false;
}

std::optional<int> TGroupListPanel::GroupListRow() const {
    if (isHidden() || !view_->currentIndex().isValid()) return std::nullopt;
    return view_->currentIndex().row();
}

void TGroupListPanel::RowPicked(int row) {
    if (qv::FragSet* set = host_.ActiveDocument()) qv::PickGroupRow(*set, row);
}

void TGroupListPanel::CheckClicked(int row, bool shift) {
    qv::FragSet* set = host_.ActiveDocument();
    if (!set) return;
    qv::GroupListRowsState& rows = model_->Rows();
    rows.Checked[static_cast<std::size_t>(row)] = !rows.Checked[static_cast<std::size_t>(row)];
    qv::ApplyGroupChecks(*set, rows, row, shift);
    model_->ChecksChanged();
    CheckJustToggled = true;
    host_.RefreshViews();
}

void TGroupListPanel::RowActivated(int row) {
    qv::FragSet* set = host_.ActiveDocument();
    if (!CheckJustToggled && set && row >= 0) {
        if (qv::ActivateGroupRow(*set, row) == qv::GroupRowAction::NewFragment)
            host_.NewFragmentInGroup(*set, qv::GroupOfRow(row));
        host_.RefreshViews();
    }
    CheckJustToggled = false;
}

bool TGroupListPanel::CanDrop(int row) const {
    const qv::FragSet* set = host_.ActiveDocument();
    return set && qv::CanDropOnRow(*set, row);
}

void TGroupListPanel::Drop(int row) {
    qv::FragSet* set = host_.ActiveDocument();
    if (set && qv::DropOnRow(*set, row)) host_.RefreshViews();
}

void TGroupListPanel::MoveCurrent(int delta) {
    qv::FragSet* set = host_.ActiveDocument();
    // Only while the list has the keyboard focus: elsewhere Alt+arrows belong to others.
    if (!set || !view_->hasFocus()) return;
    if (qv::MoveCurrentGroup(*set, delta)) host_.RefreshViews();
}

void TGroupListPanel::ShowAll() {
    if (qv::FragSet* set = host_.ActiveDocument()) {
        qv::ShowAllGroups(*set);
        host_.RefreshViews();
    }
}

void TGroupListPanel::ShowNonEmpty() {
    if (qv::FragSet* set = host_.ActiveDocument()) {
        qv::ShowNonEmptyGroups(*set);
        host_.RefreshViews();
    }
}
