// The openers of the card property dialog: editing the selection and a new card (from the menu,
// a double click on the page or on an empty group row, a link file dropped on the main window).
// The card commands own it.
#pragma once

#include <QWidget>
#include <memory>

#include "core/model/ports.h"

class TFrgPropDlg;

namespace qv {
class EnvData;
class SpiUnit;
class UsrIniFile;
}  // namespace qv

class CardDialogs {
  public:
    CardDialogs(qv::EnvData& env, qv::UsrIniFile& ini, const qv::SpiUnit* plugins, QWidget* parent);
    ~CardDialogs();

    // Made when first asked for, so starting the program builds no dialog.
    TFrgPropDlg& PropertyDialog();

    // EditProperty and a double click on a card: the selection of `set`. Returns the result.
    int EditSelection(qv::FragSet& set);
    // EditNew and the other openers of a new card.
    int NewFragment(qv::FragSet& set, const qv::NewFragmentRequest& request);

  private:
    qv::EnvData& env_;
    qv::UsrIniFile& ini_;
    const qv::SpiUnit* plugins_;
    QWidget* parent_;
    std::unique_ptr<TFrgPropDlg> dialog_;
};
