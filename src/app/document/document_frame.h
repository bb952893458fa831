// What the document manager needs of the window that shows the documents, and of the group list.
// The main window is the frame: it places, shows and brings forward document windows and keeps
// its views in step; the manager decides what is open and reads and writes the files.
#pragma once

#include <optional>

class QMdiSubWindow;
class TMDIChild;

class DocumentFrame {
  public:
    virtual ~DocumentFrame() = default;
    // Takes a new document window into the frame: placed, shown and wired to the frame's menus,
    // status bar and tools.
    virtual void AddDocumentWindow(TMDIChild& window) = 0;
    // Brings a document window to the front: restored when minimised, moved (and if need be
    // shrunk) into the visible part of the frame, active.
    virtual void ShowDocumentWindow(QMdiSubWindow* sub) = 0;
    // Restores the frame when minimised and raises it above the other windows.
    virtual void BringToFront() = 0;
    // The group list, frames, status bar and commands follow a change of the documents.
    virtual void RefreshDocumentViews() = 0;
};

// The row picked in the group list (0..99 are groups 1..100, 100 is group 0) while the list is
// shown; the group list panel provides it.
class GroupListRows {
  public:
    virtual ~GroupListRows() = default;
    virtual std::optional<int> GroupListRow() const = 0;
};
