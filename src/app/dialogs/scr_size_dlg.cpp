#include "app/dialogs/scr_size_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/texts.h"
#include "core/color.h"
#include "render/painting/colors.h"

using Field = qv::WholeSizeController::Field;

TSizeEdit::TSizeEdit(qv::WholeSizeController& logic, Field field, QWidget* parent)
    : QAbstractSpinBox(parent), logic_(logic), field_(field) {
    lineEdit()->setMaxLength(qv::WholeSizeController::MaxDigits(field));
    setAlignment(Qt::AlignRight);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAccelerated(true);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        logic_.SetText(field_, text.toStdString());
        emit TextChanged();
    });
}

void TSizeEdit::Reload() {
    lineEdit()->setText(QString::fromStdString(logic_.Text(field_)));
}

void TSizeEdit::stepBy(int steps) {
    logic_.Step(field_, steps);
    Reload();
    lineEdit()->selectAll();
    emit TextChanged();
}

QValidator::State TSizeEdit::validate(QString& input, int&) const {
    if (input.size() > qv::WholeSizeController::MaxDigits(field_)) return QValidator::Invalid;
    for (const QChar c : input)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return QValidator::Invalid;
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled TSizeEdit::stepEnabled() const {
    StepEnabled e = StepNone;
    if (!isEnabled()) return e;
    if (logic_.CanStep(field_, 1)) e |= StepUpEnabled;
    if (logic_.CanStep(field_, -1)) e |= StepDownEnabled;
    return e;
}

TScrSizeDlg::TScrSizeDlg(qv::EnvData& env, QWidget* parent) : QDialog(parent), logic_(env) {
    setWindowTitle(texts::Q(texts::kWholeSizeTitle));
    for (int f = 0; f < qv::WholeSizeController::kFieldCount; ++f) {
        edits_[f] = new TSizeEdit(logic_, static_cast<Field>(f), this);
        edits_[f]->setMinimumWidth(f <= Field::Height ? 80 : 50);
    }
    fixBox_ = new QCheckBox(texts::Q(texts::kWholeSizeFixed), this);

    auto* sizeGrid = new QGridLayout;
    auto* widthLabel = new QLabel(texts::Q(texts::kWholeSizeWidth), this);
    auto* heightLabel = new QLabel(texts::Q(texts::kWholeSizeHeight), this);
    widthLabel->setBuddy(edits_[Field::Width]);
    heightLabel->setBuddy(edits_[Field::Height]);
    sizeGrid->addWidget(widthLabel, 0, 0);
    sizeGrid->addWidget(edits_[Field::Width], 0, 1);
    sizeGrid->addWidget(heightLabel, 1, 0);
    sizeGrid->addWidget(edits_[Field::Height], 1, 1);

    auto* division = new QGroupBox(texts::Q(texts::kWholeSizeDivision), this);
    auto* divGrid = new QGridLayout(division);
    auto* columnsLabel = new QLabel(texts::Q(texts::kWholeSizeColumns), division);
    auto* rowsLabel = new QLabel(texts::Q(texts::kWholeSizeRows), division);
    columnsLabel->setBuddy(edits_[Field::Columns]);
    rowsLabel->setBuddy(edits_[Field::Rows]);
    divGrid->addWidget(columnsLabel, 0, 0);
    divGrid->addWidget(edits_[Field::Columns], 0, 1);
    divGrid->addWidget(rowsLabel, 0, 2);
    divGrid->addWidget(edits_[Field::Rows], 0, 3);

    auto* buttons = new QDialogButtonBox(this);
    okButton_ = buttons->addButton(texts::Q(texts::kButtonOk), QDialogButtonBox::AcceptRole);
    QPushButton* cancel =
        buttons->addButton(texts::Q(texts::kButtonCancel), QDialogButtonBox::RejectRole);
    okButton_->setDefault(true);
    cancel->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fixBox_);
    layout->addLayout(sizeGrid);
    layout->addWidget(division);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(fixBox_, &QCheckBox::toggled, this, [this](bool on) {
        logic_.SetFixed(on);
        ApplyFixRule();
    });
    for (Field f : {Field::Columns, Field::Rows})
        connect(edits_[f], &TSizeEdit::TextChanged, this, &TScrSizeDlg::ApplyDivisionColours);
    setTabOrder(fixBox_, edits_[Field::Width]);
    setTabOrder(edits_[Field::Width], edits_[Field::Height]);
    setTabOrder(edits_[Field::Height], edits_[Field::Columns]);
    setTabOrder(edits_[Field::Columns], edits_[Field::Rows]);
}

void TScrSizeDlg::Open(qv::FragSet* target) {
    changed_ = false;
    logic_.Open(target);
    {
        const QSignalBlocker block(fixBox_);
        fixBox_->setChecked(logic_.Fixed());
    }
    for (TSizeEdit* e : edits_)
        e->Reload();
    ApplyFixRule();
    ApplyDivisionColours();
    fixBox_->setFocus();
}

bool TScrSizeDlg::Run(qv::FragSet* target) {
    Open(target);
    exec();
    return changed_;
}

void TScrSizeDlg::ApplyFixRule() {
    for (TSizeEdit* e : edits_)
        e->setEnabled(logic_.EditsEnabled());
}

void TScrSizeDlg::ApplyDivisionColours() {
    const QColor colour =
        qv::ToQColor(logic_.DivisionActive() ? qv::kSysWindow : qv::kSysButtonFace);
    for (Field f : {Field::Columns, Field::Rows}) {
        QPalette palette = edits_[f]->palette();
        palette.setColor(QPalette::Base, colour);
        edits_[f]->setPalette(palette);
    }
}

void TScrSizeDlg::accept() {
    changed_ = logic_.Accept();
    QDialog::accept();
}
