#include "app/dialogs/stretch_dlg.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "app/commands/command_table.h"
#include "app/texts.h"
#include "core/model/frag_set.h"
#include "core/settings/usr_ini_file.h"
#include "render/text/qt_text.h"

TStretchDlg::TStretchDlg(qv::UsrIniFile& ini, QWidget* parent) : QDialog(parent), ini_(ini) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Begin shows the dialog before Execute's exec(); a dialog already on screen would not become
    // modal there, and the main window could then close the document being stretched.
    setModal(true);
    using C = qv::StretchController;

    // Panel 1: the slider between "-" and "+", the preset buttons under it.
    auto* panel1 = new QWidget(this);
    auto* sliderRow = new QHBoxLayout;
    slider_ = new QSlider(Qt::Horizontal, panel1);
    slider_->setRange(C::kMinPosition, C::kMaxPosition);
    slider_->setPageStep(C::kPageSize);
    slider_->setSingleStep(1);
    slider_->setTickInterval(C::kTickFrequency);
    slider_->setTickPosition(QSlider::TicksBelow);
    slider_->setMinimumWidth(320);
    sliderRow->addWidget(new QLabel(texts::Q(texts::kStretchLess), panel1));
    sliderRow->addWidget(slider_, 1);
    sliderRow->addWidget(new QLabel(texts::Q(texts::kStretchMore), panel1));
    auto* presetRow = new QHBoxLayout;
    for (int tag = 0; tag < C::kPresetCount; ++tag) {
        const std::string_view caption = qv::kStretchPresetCaptions[static_cast<std::size_t>(tag)];
        auto* b = new QPushButton(
            QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size())), panel1);
        b->setAutoDefault(false);
        b->setFixedWidth(40);
        presets_[static_cast<std::size_t>(tag)] = b;
        if (tag > 0) presetRow->addStretch(1);
        presetRow->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, tag] {
            controller_.PressPreset(tag);
            ShowPosition();
            emit Changed();
        });
    }
    auto* panel1Layout = new QVBoxLayout(panel1);
    panel1Layout->addLayout(sliderRow);
    panel1Layout->addLayout(presetRow);

    // Panel 2: the direction, fragment mode only.
    directionBox_ = new QGroupBox(qv::FromCp932(qv::kStretchDirectionCaption), this);
    directions_ = new QButtonGroup(this);
    auto* grid = new QGridLayout(directionBox_);
    for (int d = 0; d < qv::kStretchDirectionCount; ++d) {
        auto* r = new QRadioButton(
            qv::FromCp932(qv::kStretchDirectionItems[static_cast<std::size_t>(d)]), directionBox_);
        directions_->addButton(r, d);
        grid->addWidget(r, d / 3, d % 3);
    }
    connect(directions_, &QButtonGroup::idClicked, this, [this](int d) {
        if (updating_) return;
        controller_.ChooseDirection(qv::StretchDirectionFrom(d));
        ShowPosition();
        emit Changed();
    });

    // Panel 3: OK, Cancel, Apply.
    okBtn_ = new QPushButton(texts::Q(texts::kButtonOk), this);
    cancelBtn_ = new QPushButton(texts::Q(texts::kButtonCancel), this);
    applyBtn_ = new QPushButton(texts::Q(texts::kStretchApply), this);
    okBtn_->setDefault(true);
    cancelBtn_->setAutoDefault(false);
    applyBtn_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okBtn_);
    buttons->addWidget(cancelBtn_);
    buttons->addWidget(applyBtn_);
    connect(okBtn_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelBtn_, &QPushButton::clicked, this, &QDialog::reject);
    connect(applyBtn_, &QPushButton::clicked, this, [this] {
        controller_.Apply();
        ShowPosition();
        emit Changed();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel1);
    layout->addWidget(directionBox_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(slider_, &QSlider::valueChanged, this, [this](int value) {
        if (updating_) return;
        const int shown = controller_.ChangePosition(value);
        if (shown != value) ShowPosition();
        emit Changed();
    });
}

QRadioButton* TStretchDlg::DirectionButton(int direction) const {
    return qobject_cast<QRadioButton*>(directions_->button(direction));
}

void TStretchDlg::ShowPosition() {
    updating_ = true;
    slider_->setValue(controller_.Position());
    updating_ = false;
}

void TStretchDlg::ShowDirection() {
    updating_ = true;
    if (QAbstractButton* b = directions_->button(static_cast<int>(controller_.Direction())))
        b->setChecked(true);
    updating_ = false;
}

void TStretchDlg::Begin(qv::FragSet& set, qv::StretchTarget target, QPoint mainTopLeft) {
    // Apply and OK make steps named like the command that opened the dialog.
    controller_.Open(set, target,
                     StepLabel(target == qv::StretchTarget::Groups ? CommandId::EditGrpStretch
                                                                   : CommandId::EditStretch));
    setWindowTitle(qv::FromCp932(controller_.Caption()));
    directionBox_->setVisible(controller_.DirectionsShown());
    for (int tag = 0; tag < qv::StretchController::kPresetCount; ++tag)
        presets_[static_cast<std::size_t>(tag)]->setEnabled(controller_.PresetEnabled(tag));
    ShowDirection();
    ShowPosition();
    const qv::WindowPlacement p =
        qv::StretchDialogPlacement(ini_, qv::Point{mainTopLeft.x(), mainTopLeft.y()});
    move(p.Left, p.Top);
    slider_->setFocus();
    emit Changed();
    show();
}

int TStretchDlg::Execute(qv::FragSet& set, qv::StretchTarget target, QPoint mainTopLeft) {
    Begin(set, target, mainTopLeft);
    return exec();
}

void TStretchDlg::done(int result) {
    // Closing the window (Esc, the title bar) counts as Cancel.
    if (controller_.IsOpen()) {
        const QRect frame = frameGeometry();
        qv::SaveStretchDialogPlacement(
            ini_, qv::Rect::FromSize(frame.x(), frame.y(), frame.width(), frame.height()));
        controller_.Close(result == QDialog::Accepted);
    }
    QDialog::done(result);
    emit Changed();
}
