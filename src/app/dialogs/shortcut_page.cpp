#include "app/dialogs/shortcut_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTextOption>
#include <QVBoxLayout>

#include "app/texts.h"
#include "core/settings/shortcut.h"

namespace {

// Average character widths from the row start to the shortcut column.
constexpr int kTabStopChars = 22;

// Draws a row with its tab expanded to the list's tab stop, so the shortcuts line up.
class TabStopDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const QString text = o.text;
        o.text.clear();
        o.widget->style()->drawControl(QStyle::CE_ItemViewItem, &o, painter, o.widget);
        QTextOption to(Qt::AlignLeft | Qt::AlignVCenter);
        to.setTabStopDistance(o.fontMetrics.averageCharWidth() * kTabStopChars);
        to.setWrapMode(QTextOption::NoWrap);
        painter->save();
        painter->setPen(o.palette.color(o.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                         : QPalette::Text));
        painter->drawText(QRectF(o.rect.adjusted(3, 0, 0, 0)), text, to);
        painter->restore();
    }
};

}  // namespace

ShortcutPage::ShortcutPage(QWidget* parent) : QWidget(parent) {
    parentCombo_ = new QComboBox(this);
    parentCombo_->setMaxVisibleItems(9);
    list_ = new QListWidget(this);
    list_->setItemDelegate(new TabStopDelegate(list_));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    parentCombo_->setAccessibleName(texts::Q(texts::kShortcutCategoryName));
    list_->setAccessibleName(texts::Q(texts::kShortcutListName));

    auto* keyBox = new QGroupBox(texts::Q(texts::kShortcutKey), this);
    keyCombo_ = new QComboBox(keyBox);
    keyCombo_->setMaxVisibleItems(5);
    for (const qv::ShortCutKey& k : qv::kShortCutKeys)
        keyCombo_->addItem(
            QString::fromLatin1(k.Name.data(), static_cast<qsizetype>(k.Name.size())));
    keyCombo_->setCurrentIndex(-1);
    shift_ = new QCheckBox(texts::Q(texts::kShortcutShift), keyBox);
    ctrl_ = new QCheckBox(texts::Q(texts::kShortcutCtrl), keyBox);
    alt_ = new QCheckBox(texts::Q(texts::kShortcutAlt), keyBox);
    auto* keyLayout = new QVBoxLayout(keyBox);
    keyLayout->addWidget(keyCombo_);
    keyLayout->addWidget(shift_);
    keyLayout->addWidget(ctrl_);
    keyLayout->addWidget(alt_);
    keyLayout->addStretch(1);

    changeBtn_ = new QPushButton(texts::Q(texts::kShortcutChange), this);
    clearBtn_ = new QPushButton(texts::Q(texts::kShortcutClear), this);
    changeBtn_->setAutoDefault(false);
    clearBtn_->setAutoDefault(false);

    auto* left = new QVBoxLayout;
    left->addWidget(parentCombo_);
    left->addWidget(list_, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(keyBox);
    right->addWidget(changeBtn_);
    right->addWidget(clearBtn_);
    right->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);

    connect(parentCombo_, &QComboBox::activated, this, &ShortcutPage::CategoryChosen);
    connect(list_, &QListWidget::currentRowChanged, this, &ShortcutPage::RowSelected);
    connect(changeBtn_, &QPushButton::clicked, this, [this] {
        const int row = list_->currentRow();
        if (row < 0) return;
        model_.Change(row, shift_->isChecked(), ctrl_->isChecked(), alt_->isChecked(),
                      keyCombo_->currentText().toStdString());
        ShowRows();
    });
    connect(clearBtn_, &QPushButton::clicked, this, [this] {
        const int row = list_->currentRow();
        if (row < 0) return;
        model_.Clear(row);
        ShowRows();
    });
}

void ShortcutPage::Fill(qv::CommandKeyTable* table) {
    filling_ = true;
    parentCombo_->clear();
    list_->clear();
    const bool have = table != nullptr;
    changeBtn_->setEnabled(have);
    clearBtn_->setEnabled(have);
    if (have) {
        model_.Fill(*table);
        for (const std::string& c : model_.Categories())
            parentCombo_->addItem(QString::fromStdString(c));
        for (const std::string& r : model_.Rows())
            list_->addItem(QString::fromStdString(r));
        parentCombo_->setCurrentIndex(parentCombo_->count() > 0 ? 0 : -1);
        list_->setCurrentRow(list_->count() > 0 ? 0 : -1);
    }
    filling_ = false;
}

void ShortcutPage::ShowRows() {
    const auto& rows = model_.Rows();
    for (int i = 0; i < list_->count() && i < static_cast<int>(rows.size()); ++i)
        list_->item(i)->setText(QString::fromStdString(rows[static_cast<std::size_t>(i)]));
}

void ShortcutPage::CategoryChosen(int index) {
    const int row = model_.FirstRowOf(parentCombo_->itemText(index).toStdString());
    if (row < 0) return;
    list_->scrollToItem(list_->item(row), QAbstractItemView::PositionAtTop);
    list_->setCurrentRow(row);
}

void ShortcutPage::RowSelected(int row) {
    if (filling_ || row < 0) return;
    const int i =
        parentCombo_->findText(QString::fromStdString(std::string(model_.CategoryOf(row))));
    if (i >= 0) parentCombo_->setCurrentIndex(i);
}
