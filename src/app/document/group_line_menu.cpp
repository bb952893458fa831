#include "app/document/group_line_menu.h"

#include <QActionGroup>

#include "app/document/mdi_child.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"

namespace qv {

namespace {

constexpr std::array<int, 5> kWidths = {-1, 1, 3, 5, 9};

}  // namespace

GroupLineMenu::GroupLineMenu(EnvData& env, QWidget* parent) : QMenu(parent), env_(env) {
    const std::array<QString, 4> typeCaptions = {
        QStringLiteral("タイプ : 線 (&L)"), QStringLiteral("タイプ : 矢印(&A)"),
        QStringLiteral("タイプ : 両矢印(&B)"), QStringLiteral("タイプ : 逆両矢印(&C)")};
    auto* typeGroup = new QActionGroup(this);
    for (int i = 0; i < 4; ++i) {
        QAction* a = addAction(typeCaptions[static_cast<std::size_t>(i)]);
        a->setCheckable(true);
        typeGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, i] { ChooseType(i + 1); });
        types_[static_cast<std::size_t>(i)] = a;
    }
    addSeparator();
    const std::array<QString, 5> widthCaptions = {
        QStringLiteral("点線 (&T)"), QStringLiteral("細線 (&1)"), QStringLiteral("中太線 (&3)"),
        QStringLiteral("太線 (&5)"), QStringLiteral("極太線(9)")};
    auto* widthGroup = new QActionGroup(this);
    for (std::size_t i = 0; i < kWidths.size(); ++i) {
        QAction* a = addAction(widthCaptions[i]);
        a->setCheckable(true);
        widthGroup->addAction(a);
        const int width = kWidths[i];
        connect(a, &QAction::triggered, this, [this, width] { ChooseWidth(width); });
        widths_[i] = a;
    }
    deleteSeparator_ = addSeparator();
    delete_ = addAction(QStringLiteral("関係線の削除(&D)"));
    connect(delete_, &QAction::triggered, this, &GroupLineMenu::Delete);
    lastSeparator_ = addSeparator();
}

void GroupLineMenu::SetNormalToolAction(QAction* action) {
    if (normalTool_) removeAction(normalTool_);
    normalTool_ = action;
    if (normalTool_) addAction(normalTool_);
}

QAction* GroupLineMenu::TypeItem(int type) const {
    return type >= 1 && type <= 4 ? types_[static_cast<std::size_t>(type - 1)] : nullptr;
}

QAction* GroupLineMenu::WidthItem(int width) const {
    for (std::size_t i = 0; i < kWidths.size(); ++i)
        if (kWidths[i] == width) return widths_[i];
    return nullptr;
}

void GroupLineMenu::Prepare(TMDIChild* window) {
    window_ = window;
    const FragSet* set = window ? &window->Set() : nullptr;
    const ArrowLine* line = nullptr;
    if (set && set->SelectedLine >= 0 &&
        set->SelectedLine < static_cast<int>(set->GroupLines.size()))
        line = &set->GroupLines[static_cast<std::size_t>(set->SelectedLine)];
    deleteSeparator_->setVisible(line != nullptr);
    delete_->setVisible(line != nullptr);
    lastSeparator_->setVisible(line == nullptr);
    if (normalTool_) normalTool_->setVisible(line == nullptr);
    const int type = line ? line->Type : env_.DefGLineType;
    const int width = line ? line->Width : env_.DefGLineWidth;
    for (QAction* a : types_)
        a->setChecked(false);
    for (QAction* a : widths_)
        a->setChecked(false);
    if (QAction* a = TypeItem(type)) a->setChecked(true);
    if (QAction* a = WidthItem(width)) a->setChecked(true);
    // A read-only document shows its line but keeps it.
    const bool writable = set && !set->ReadOnly;
    for (QAction* a : types_)
        a->setEnabled(!line || writable);
    for (QAction* a : widths_)
        a->setEnabled(!line || writable);
    delete_->setEnabled(writable);
}

void GroupLineMenu::Open(TMDIChild& window, QPoint globalPos) {
    Prepare(&window);
    exec(globalPos);
}

void GroupLineMenu::ChooseType(int type) {
    if (!window_) return;
    FragSet& set = window_->Set();
    if (set.SelectedLine < 0) {
        env_.DefGLineType = type;
        if (set.CurrentTool == 1) window_->ApplyTool();
        return;
    }
    if (set.SetGroupLineStyle(set.SelectedLine, type, std::nullopt)) set.RefreshRequest();
}

void GroupLineMenu::ChooseWidth(int width) {
    if (!window_) return;
    FragSet& set = window_->Set();
    if (set.SelectedLine < 0) {
        env_.DefGLineWidth = width;
        if (set.CurrentTool == 1) window_->ApplyTool();
        return;
    }
    if (set.SetGroupLineStyle(set.SelectedLine, std::nullopt, width)) set.RefreshRequest();
}

void GroupLineMenu::Delete() {
    if (window_ && window_->Set().SelectedLine >= 0) window_->DeleteSelectionOrLine();
}

}  // namespace qv
