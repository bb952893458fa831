// The stretch dialog: a slider that widens, narrows, skews, rotates or lines up the selected cards
// (or moves whole groups apart), applied live on every step. The widget only forwards its events
// to StretchController and shows what it reports.
#pragma once

#include <QDialog>
#include <array>

#include "core/dialogs/stretch_dlg.h"

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QSlider;

namespace qv {
class FragSet;
class UsrIniFile;
}  // namespace qv

class TStretchDlg : public QDialog {
    Q_OBJECT

  public:
    TStretchDlg(qv::UsrIniFile& ini, QWidget* parent = nullptr);

    // Shows the dialog modally for `set` and returns once it is closed (OK keeps the layout,
    // Cancel returns to the last commit). `mainTopLeft` places it the first time.
    int Execute(qv::FragSet& set, qv::StretchTarget target, QPoint mainTopLeft);

    // For tests and screenshots: the controls the user works with.
    QSlider* Slider() const { return slider_; }
    QPushButton* PresetButton(int tag) const { return presets_[static_cast<std::size_t>(tag)]; }
    QRadioButton* DirectionButton(int direction) const;
    QPushButton* ApplyButton() const { return applyBtn_; }
    QPushButton* CancelButton() const { return cancelBtn_; }
    QGroupBox* DirectionBox() const { return directionBox_; }

    // Opens the controller and shows the dialog without entering a local event loop (Execute
    // does this, then exec()); tests drive the shown dialog through events.
    void Begin(qv::FragSet& set, qv::StretchTarget target, QPoint mainTopLeft);

  public slots:
    void done(int result) override;

  signals:
    // After every live step and after closing, so views beside the document (the map, the
    // group list) follow.
    void Changed();

  private:
    void ShowPosition();
    void ShowDirection();

    qv::UsrIniFile& ini_;
    qv::StretchController controller_;
    QSlider* slider_ = nullptr;
    std::array<QPushButton*, qv::StretchController::kPresetCount> presets_{};
    QGroupBox* directionBox_ = nullptr;
    QButtonGroup* directions_ = nullptr;
    QPushButton* okBtn_ = nullptr;
    QPushButton* cancelBtn_ = nullptr;
    QPushButton* applyBtn_ = nullptr;
    bool updating_ = false;
};
