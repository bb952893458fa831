// The program's implementations of the model's ports that need widgets: message boxes and the
// clipboard.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "core/model/ports.h"

namespace qv {

// Modal message boxes over a parent window, captioned "警告" or "確認".
class QtPrompts final : public Prompts {
  public:
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    PromptAnswer Warning(std::string_view text, PromptButtons buttons) override;
    PromptAnswer Question(std::string_view text, PromptButtons buttons) override;

  private:
    QWidget* parent_;
};

// The system clipboard as code page 932 text.
class QtClipboard final : public Clipboard {
  public:
    std::string Text() const override;
    void SetText(std::string_view cp932) override;
    std::vector<std::string> UnheldLines() const override { return unheld_; }

  private:
    mutable std::vector<std::string> unheld_;
};

// Resolves a link or picture path that is relative against the folder of the document holding it,
// so a document and its pictures can move together. `documentPath` is a file-system path; link
// paths are code page 932.
std::string ResolveAgainstDocument(const std::string& cp932Path, const std::string& documentPath);

}  // namespace qv
