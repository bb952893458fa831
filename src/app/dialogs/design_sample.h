// The live sample on the options dialog's design page: three cards (normal, selected, name plate)
// inside a group frame, a symbol, a group line, a small group list and a status bar, all drawn
// from the dialog's working copy of the settings. A click tells which colour and font to edit.
#pragma once

#include <QWidget>

#include "core/dialogs/option_dlg.h"

class DesignSample : public QWidget {
    Q_OBJECT

  public:
    DesignSample(qv::OptionsEditor& editor, QWidget* parent = nullptr);

    // Where the parts are now (they follow the fonts of the working copy).
    qv::DesignSampleLayout Layout() const;
    QSize sizeHint() const override { return {340, 300}; }

  signals:
    void Chosen(const qv::SampleChoice& choice);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    qv::OptionsEditor& editor_;
};
