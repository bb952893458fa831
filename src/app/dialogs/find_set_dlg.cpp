#include "app/dialogs/find_set_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/texts.h"
#include "core/settings/env_data.h"
#include "core/settings/window_state.h"
#include "render/text/qt_text.h"

TFindSetDlg::TFindSetDlg(qv::EnvData& env, qv::UsrIniFile& ini, QWidget* parent)
    : QDialog(parent), env_(env), ini_(ini) {
    setObjectName(QStringLiteral("FindSetDlg"));
    setWindowTitle(texts::Q(texts::kFindTitle));
    auto* label = new QLabel(texts::Q(texts::kFindWords), this);
    label->setObjectName(QStringLiteral("Label1"));
    combo_ = new QComboBox(this);
    combo_->setObjectName(QStringLiteral("FindComboBox"));
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->setMaxVisibleItems(10);
    combo_->lineEdit()->setMaxLength(80);
    combo_->setMinimumContentsLength(24);
    label->setBuddy(combo_);
    caseBox_ = new QCheckBox(texts::Q(texts::kFindMatchCase), this);
    caseBox_->setObjectName(QStringLiteral("CaseChkBox"));
    orButton_ = new QRadioButton(texts::Q(texts::kFindOr), this);
    orButton_->setObjectName(QStringLiteral("OrRadioBtn"));
    andButton_ = new QRadioButton(texts::Q(texts::kFindAnd), this);
    andButton_->setObjectName(QStringLiteral("AndRadioBtn"));
    auto* ok = new QPushButton(texts::Q(texts::kFindStart), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(texts::Q(texts::kButtonCancel), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &TFindSetDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &TFindSetDlg::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(combo_, 0, 1, 1, 3);
    grid->addWidget(caseBox_, 1, 1);
    grid->addWidget(orButton_, 1, 2);
    grid->addWidget(andButton_, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 2, 0, 1, 4);
    setFixedSize(sizeHint());
}

QString TFindSetDlg::Text() const {
    return combo_->currentText();
}

void TFindSetDlg::LoadHistory() {
    combo_->clear();
    for (const std::string& entry : env_.FindHistory)
        combo_->addItem(qv::FromCp932(entry));
}

int TFindSetDlg::exec() {
    const QPoint origin =
        parentWidget() ? parentWidget()->window()->geometry().topLeft() : QPoint();
    const qv::WindowPlacement p =
        qv::ReadPlacement(ini_, "FindDlg", 0, 0, origin.y() + 120, origin.x() + 120);
    // The stored rectangle is the dialog's own area, as done() writes it: placing the frame
    // there instead would walk the dialog down by the caption at every opening.
    setGeometry(QRect(QPoint(p.Left, p.Top), size()));
    result_.reset();
    caseBox_->setChecked(env_.FindCaseSw);
    andButton_->setChecked(env_.FindAndSw);
    orButton_->setChecked(!env_.FindAndSw);
    LoadHistory();
    combo_->setCurrentIndex(env_.FindHistory.empty() ? -1 : 0);
    if (env_.FindHistory.empty()) combo_->setEditText(QString());
    combo_->setFocus();
    combo_->lineEdit()->selectAll();
    return QDialog::exec();
}

void TFindSetDlg::accept() {
    const QString typed = combo_->currentText();
    std::optional<qv::FindRequest> request = qv::AcceptFindText(env_, typed.toStdString());
    if (!request) {
        reject();
        return;
    }
    result_ = request;
    LoadHistory();
    combo_->setEditText(QString::fromStdString(qv::TrimmedFindText(typed.toStdString())));
    QDialog::accept();
}

void TFindSetDlg::done(int result) {
    const QRect g = geometry();
    qv::WritePlacement(ini_, "FindDlg", qv::Rect{g.left(), g.top(), g.right() + 1, g.bottom() + 1},
                       false);
    env_.FindCaseSw = caseBox_->isChecked();
    env_.FindAndSw = andButton_->isChecked();
    QDialog::done(result);
}
