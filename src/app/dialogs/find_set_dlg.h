// The find dialog (TFindSetDlg, "検索"): the search words with the program-wide history and the
// two search switches. It does not search; the find command reads Request() after OK.
#pragma once

#include <QDialog>
#include <optional>

#include "core/dialogs/find_set_dlg.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace qv {
class EnvData;
class UsrIniFile;
}  // namespace qv

class TFindSetDlg : public QDialog {
    Q_OBJECT

  public:
    TFindSetDlg(qv::EnvData& env, qv::UsrIniFile& ini, QWidget* parent = nullptr);

    int exec() override;
    // After OK: the search (its text none when the words cannot be held in a card text).
    const std::optional<qv::FindRequest>& Result() const { return result_; }
    // The combo box text as the user sees it.
    QString Text() const;

  protected:
    void accept() override;
    void done(int result) override;

  private:
    void LoadHistory();

    qv::EnvData& env_;
    qv::UsrIniFile& ini_;
    std::optional<qv::FindRequest> result_;
    QComboBox* combo_ = nullptr;
    QCheckBox* caseBox_ = nullptr;
    QRadioButton* orButton_ = nullptr;
    QRadioButton* andButton_ = nullptr;
};
