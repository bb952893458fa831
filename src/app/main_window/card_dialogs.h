// The openers of the card property dialog: editing the selection, a new card (from the menu, a
// double click on the page or on an empty group row) and files dropped on the main window that
// become picture or link cards. The main window forwards its DocumentHost calls here.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "core/model/ports.h"

class TFrgPropDlg;

namespace qv {
class EnvData;
class SpiUnit;
class UsrIniFile;
}  // namespace qv

class CardDialogs {
  public:
    CardDialogs(qv::EnvData& env, qv::UsrIniFile& ini, const qv::SpiUnit* plugins,
                qv::Prompts& prompts, QWidget* parent);
    ~CardDialogs();

    TFrgPropDlg& PropertyDialog() { return *dialog_; }

    // EditProperty and a double click on a card: the selection of `set`. Returns the result.
    int EditSelection(qv::FragSet& set);
    // EditNew and the other openers of a new card.
    int NewFragment(qv::FragSet& set, const qv::NewFragmentRequest& request);

    enum class DropOutcome {
        Refused,  // nothing to do with it here (the caller beeps)
        Done,
        Full,  // the document cannot take another card: stop the drop
    };
    // A dropped file that is not a document (code page 932 path), the `index`-th of the drop:
    // a picture becomes a picture card when DropImgFile is on; anything else opens the new-card
    // dialog with the file as link when DropLinkFile or DropImgFile is on.
    DropOutcome DropFile(qv::FragSet* doc, const std::string& cp932Path, int index);
    // Whether a file is taken as a picture by its extension (BMP, JPEG, icons, plug-in formats).
    bool IsPictureFile(const std::string& cp932Path) const;

  private:
    qv::EnvData& env_;
    const qv::SpiUnit* plugins_;
    qv::Prompts& prompts_;
    std::unique_ptr<TFrgPropDlg> dialog_;
};
