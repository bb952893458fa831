// The commands of the group list, the overview map and the whole-size dialog.
#pragma once

#include <memory>

class TQuillovaMainForm;
class TScrSizeDlg;

class ViewCommands {
  public:
    explicit ViewCommands(TQuillovaMainForm& form);
    ~ViewCommands();

    // Shows or hides the group list.
    void ShowGrpLst();
    // Closes the map when it shows, else shows it.
    void ShowMapViewer();
    // The whole-size dialog on the active document; OK marks it modified and repaints it (the
    // map follows).
    void OptionScrSize();

    TScrSizeDlg& SizeDialog();

  private:
    TQuillovaMainForm& form_;
    std::unique_ptr<TScrSizeDlg> sizeDialog_;
};
