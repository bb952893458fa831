// What the command groups need of the open documents and their windows: the active document, the
// list of document windows in the frame's order, activating one, the status line and the views
// that follow a change. The document manager provides it.
#pragma once

#include <QString>
#include <vector>

namespace qv {
class FragSet;
}  // namespace qv

class DocumentWindows {
  public:
    struct Entry {
        qv::FragSet* Set = nullptr;
        QString Caption;
        bool Active = false;
    };
    virtual ~DocumentWindows() = default;
    virtual qv::FragSet* ActiveDocument() const = 0;
    // Every document window in the frame's order.
    virtual std::vector<Entry> DocumentWindowList() const = 0;
    virtual void ActivateDocumentWindow(int index) = 0;
    // Status panel 2.
    virtual void ShowMessage(const QString& text) = 0;
    // Group list, frames and counts after a change of the active document.
    virtual void RefreshViews() = 0;
};
