// The whole-size dialog "全体サイズ設定": fixes the page size of a document and divides the page
// into a grid. A thin window over qv::WholeSizeController, which holds every rule.
#pragma once

#include <QAbstractSpinBox>
#include <QDialog>

#include "core/dialogs/scr_size_dlg.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace qv {
class EnvData;
class FragSet;
}  // namespace qv

// An edit with arrows over one controller field. Unlike QSpinBox it keeps whatever digits are
// typed, also a number outside the arrows' range; only the arrows keep to it.
class TSizeEdit : public QAbstractSpinBox {
    Q_OBJECT

  public:
    TSizeEdit(qv::WholeSizeController& logic, qv::WholeSizeController::Field field,
              QWidget* parent = nullptr);
    // Shows the controller's text.
    void Reload();
    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

  signals:
    void TextChanged();

  protected:
    StepEnabled stepEnabled() const override;

  private:
    qv::WholeSizeController& logic_;
    qv::WholeSizeController::Field field_;
};

class TScrSizeDlg : public QDialog {
    Q_OBJECT

  public:
    explicit TScrSizeDlg(qv::EnvData& env, QWidget* parent = nullptr);

    // Fills the dialog for `target` (null: defaults; OK then changes nothing).
    void Open(qv::FragSet* target);
    // Open, then modal. True when OK changed the document (it is then modified and repainted).
    bool Run(qv::FragSet* target);

    QCheckBox* FixBox() const { return fixBox_; }
    TSizeEdit* Edit(qv::WholeSizeController::Field f) const { return edits_[f]; }

    void accept() override;

  private:
    void ApplyFixRule();
    void ApplyDivisionColours();

    qv::WholeSizeController logic_;
    QCheckBox* fixBox_ = nullptr;
    TSizeEdit* edits_[qv::WholeSizeController::kFieldCount] = {};
    QPushButton* okButton_ = nullptr;
    bool changed_ = false;
};
