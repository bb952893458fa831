// What documents ask of the main window, forwarded to whoever provides it: the status bar now;
// the group list, the map viewer and the property dialog plug in here as they are built, and
// until then their calls are harmless. The main window itself is not the documents' host.
#pragma once

#include <QGuiApplication>
#include <QInputMethod>
#include <functional>
#include <optional>
#include <string_view>

#include "core/model/ports.h"

class MainDocumentHost final : public qv::DocumentHost {
  public:
    std::function<void(qv::FragSet&)> OnEditSelection;
    std::function<void(qv::FragSet&, const qv::NewFragmentRequest&)> OnNewFragment;
    std::function<void()> OnRefreshGroupList;
    std::function<void()> OnRefreshMap;
    std::function<std::optional<int>()> OnGroupListRow;
    std::function<void(std::string_view)> OnShowStatus;

    void EditSelection(qv::FragSet& set) override {
        if (OnEditSelection) OnEditSelection(set);
    }
    void NewFragment(qv::FragSet& set, const qv::NewFragmentRequest& request) override {
        if (OnNewFragment) OnNewFragment(set, request);
    }
    // The input method cannot be switched off from here; resetting it drops a half-typed word, so
    // nothing typed into a closed dialog leaks into the next one, and its panel or on-screen
    // keyboard goes away.
    void TurnImeOff() override {
        if (QInputMethod* im = QGuiApplication::inputMethod()) {
            im->reset();
            im->hide();
        }
    }
    void RefreshGroupList() override {
        if (OnRefreshGroupList) OnRefreshGroupList();
    }
    void RefreshMap() override {
        if (OnRefreshMap) OnRefreshMap();
    }
    void ShowStatus(std::string_view text) override {
        if (OnShowStatus) OnShowStatus(text);
    }
    std::optional<int> GroupListRow() const override {
        return OnGroupListRow ? OnGroupListRow() : std::nullopt;
    }
};
