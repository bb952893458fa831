// The card property dialog (TFrgPropDlg): a thin window over FrgPropController. It creates a new
// card or edits the selected cards of a document; the opener fills Request() and calls exec().
#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "app/dialogs/colour_choice.h"
#include "core/dialogs/frg_prop_dlg.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace qv {
class EnvData;
class SpiUnit;
class UsrIniFile;
}  // namespace qv

class TFrgPropDlg : public QDialog {
    Q_OBJECT

  public:
    // `plugins` (may be null) supplies the picture formats of the browse dialog.
    TFrgPropDlg(qv::EnvData& env, qv::UsrIniFile& ini, const qv::SpiUnit* plugins,
                QWidget* parent = nullptr);
    ~TFrgPropDlg() override;

    // The request fields; they are read when the dialog shows.
    qv::FrgPropRequest& Request() { return request_; }

    // Shows the dialog modally for the request. Without a document it closes at once (Rejected).
    int exec() override;

    // The colour chooser: initial colour in, the choice out (none when cancelled). The default
    // opens the colour dialog with the 16 custom colours; tests put their own here.
    void SetColourChooser(ColourChooserFn chooser) { chooser_ = std::move(chooser); }

    // IME_On: whether text input in the memo starts with the input method asked for (its
    // panel or on-screen keyboard shown); off leaves it as the user has it. The options dialog
    // changes it at once.
    void SetImeOpen(bool on);
    bool ImeOpen() const { return imeOpen_; }

    // The extraction menu for the current link (empty when nothing is offered).
    QMenu* ExtractionMenu();

  protected:
    void accept() override;
    void done(int result) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void ShowState();
    void ApplyMemoLook();
    void MemoChanged();
    void BrowseLink();
    void ChooseColour(bool back);
    void OpenExtractionMenu();
    void Extract(qv::ExtractItem item);
    std::string LinkFile() const;
    int CountLines(std::string_view text, int columns, qv::FragmentKind font) const;

    qv::EnvData& env_;
    qv::UsrIniFile& ini_;
    const qv::SpiUnit* plugins_;
    qv::FrgPropRequest request_;
    qv::FrgPropController ctl_;
    ColourChooserFn chooser_;
    bool updating_ = false;
    bool imeOpen_ = false;
    QString memoBefore_;

    QComboBox* groupBox_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QGroupBox* typeBox_ = nullptr;
    QRadioButton* kindButtons_[4] = {};
    QGroupBox* sizeBox_ = nullptr;
    QSpinBox* widthEdit_ = nullptr;
    QSpinBox* heightEdit_ = nullptr;
    QLabel* colsLabel_ = nullptr;
    QLabel* slashLabel_ = nullptr;
    QLabel* linesLabel_ = nullptr;
    QPushButton* fitButton_ = nullptr;
    QPushButton* charColourButton_ = nullptr;
    QPushButton* backColourButton_ = nullptr;
    QCheckBox* transparentBox_ = nullptr;
    QGroupBox* linkBox_ = nullptr;
    QLineEdit* linkEdit_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QPushButton* extractButton_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QMenu* extractMenu_ = nullptr;
};
