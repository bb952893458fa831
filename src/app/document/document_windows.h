// What the command groups need of the open document windows: the active document, the list in
// the frame's order, bringing one to the front, the status message and the refresh after a change.
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
