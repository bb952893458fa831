// The options dialog "オプション設定": seven pages over a working copy of the settings. OK copies
// the copy back (qv::OptionsEditor::Accept); Cancel keeps the settings as they were, except what
// acts at once: the arrow lists (undone by Cancel), the colour chooser's custom colours, a plug-in
// folder chosen with its browse button and shortcut changes (all kept).
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/dialogs/option_dlg.h"

class DesignSample;
class QCheckBox;
class QComboBox;
class QFont;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class ShortcutPage;

namespace qv {
class CommandKeyTable;
class EnvData;
class Prompts;
}  // namespace qv

class TOptionDlg : public QDialog {
    Q_OBJECT

  public:
    // Warnings go through `prompts`.
    TOptionDlg(qv::EnvData& env, qv::Prompts& prompts, QWidget* parent = nullptr);

    // The commands the shortcut page edits (none: the page stays empty).
    void SetCommandKeys(qv::CommandKeyTable* table) { commands_ = table; }
    // Lines of the plug-in list ("%-16s %s", code page 932) for the current SpiDir.
    std::function<std::vector<std::string>()> PluginLines;

    // The platform choosers; tests replace them. Each returns nothing when the user cancels.
    std::function<std::optional<QColor>(const QColor& initial)> ChooseColour;
    std::function<std::optional<QFont>(const QFont& initial, bool fixedPitchOnly)> ChooseFont;
    std::function<QString()> ChooseHomeFile;
    std::function<QString(const QString& initial)> ChooseFolder;

    // Shows the dialog modally for the settings as they are now; `activePath` is the active
    // document's path (code page 932, empty when none). Returns QDialog::Accepted after OK.
    int Execute(const std::string& activePath);
    // Fills the dialog and shows it without a local event loop (tests drive it by events).
    void Begin(const std::string& activePath);
    // What OK changed (valid after an accepted run).
    const qv::OptionsApplied& Applied() const { return applied_; }

    // ---- Controls, for tests and screenshots ----
    QTabWidget* Tabs() const { return tabs_; }
    DesignSample* Sample() const { return sample_; }
    QComboBox* ColourList() const { return colCombo_; }
    QComboBox* FontList() const { return fontCombo_; }
    QPushButton* ColourButton() const { return colButton_; }
    QPushButton* FontButton() const { return fontButton_; }
    QComboBox* ArrowSizeList() const { return asizeCombo_; }
    QSpinBox* LineGap() const { return intLn_; }
    QCheckBox* AcceptCr() const { return acceptCr_; }
    QCheckBox* CrReturnKey() const { return crRetKey_; }
    QCheckBox* CtrlReturnOk() const { return ctlRetOk_; }
    QLineEdit* CrString() const { return crStr_; }
    QLineEdit* HomeEdit() const { return homeEdit_; }
    QPushButton* HomeButton() const { return homeBtn_; }
    QPushButton* CurrentHomeButton() const { return setCurHomBtn_; }
    QCheckBox* PrintMono() const { return printMono_; }
    QSlider* JpegQuality() const { return jpgQ_; }
    QLabel* JpegLabel() const { return jpgQLabel_; }
    QLineEdit* PluginFolder() const { return spiDirEdit_; }
    QPushButton* PluginButton() const { return spiRefBtn_; }
    QListWidget* PluginList() const { return spiList_; }
    ShortcutPage* Shortcuts() const { return shortcuts_; }
    QCheckBox* Check(const char* key) const;

  public slots:
    void done(int result) override;

  signals:
    // The plug-in folder changed (browse button at once, or OK): rebuild the plug-in list.
    void PluginFolderChanged();
    // The input-method setting changed on OK; the property dialog's editor follows it.
    void ImeChanged(bool imeOn);

  private:
    QWidget* BuildDesignPage();
    QWidget* BuildFragmentPage();
    QWidget* BuildWindowPage();
    QWidget* BuildDisplayPage();
    QWidget* BuildOtherPage();
    QWidget* BuildPluginPage();
    QCheckBox* AddCheck(QWidget* parent, const char* key, const QString& caption,
                        bool qv::EnvData::*field, bool inverted = false);

    void LoadControls();
    void StoreControls();
    void RedrawDesign();
    void SampleChosen(const qv::SampleChoice& choice);
    void EditColour();
    void EditFont();
    void BrowseHome();
    void BrowsePlugins();
    void FillPlugins();
    void UpdateCrStates();

    void Warn(const QString& text);

    qv::EnvData& env_;
    qv::Prompts& prompts_;
    qv::OptionsEditor editor_;
    qv::OptionsApplied applied_;
    qv::CommandKeyTable* commands_ = nullptr;

    QTabWidget* tabs_ = nullptr;
    DesignSample* sample_ = nullptr;
    QComboBox* colCombo_ = nullptr;
    QLabel* colPanel_ = nullptr;
    QPushButton* colButton_ = nullptr;
    QComboBox* fontCombo_ = nullptr;
    QLabel* fontLabel_ = nullptr;
    QPushButton* fontButton_ = nullptr;
    QSpinBox* gfLwd_ = nullptr;
    QSpinBox* intLn_ = nullptr;
    QComboBox* asizeCombo_ = nullptr;
    QComboBox* atypeCombo_ = nullptr;

    QSpinBox* frgW_ = nullptr;
    QSpinBox* frgH_ = nullptr;
    QSpinBox* namW_ = nullptr;
    QSpinBox* namH_ = nullptr;
    QSpinBox* img1_ = nullptr;
    QSpinBox* img2_ = nullptr;
    QComboBox* newPos_ = nullptr;
    QComboBox* awayPos_ = nullptr;
    QComboBox* movCsr_ = nullptr;
    QCheckBox* acceptCr_ = nullptr;
    QCheckBox* crRetKey_ = nullptr;
    QCheckBox* ctlRetOk_ = nullptr;
    QLineEdit* crStr_ = nullptr;

    QLineEdit* homeEdit_ = nullptr;
    QPushButton* homeBtn_ = nullptr;
    QPushButton* setCurHomBtn_ = nullptr;
    QCheckBox* fastDraw_ = nullptr;
    QCheckBox* printMono_ = nullptr;
    QSlider* jpgQ_ = nullptr;
    QLabel* jpgQLabel_ = nullptr;
    QLineEdit* spiDirEdit_ = nullptr;
    QPushButton* spiRefBtn_ = nullptr;
    QListWidget* spiList_ = nullptr;
    ShortcutPage* shortcuts_ = nullptr;

    // The check boxes that mirror one switch each, with the switch they edit.
    struct Switch {
        QCheckBox* Box;
        bool qv::EnvData::*Field;
        bool Inverted;
    };
    std::vector<Switch> switches_;
    bool loading_ = false;
};
