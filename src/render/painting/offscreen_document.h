// A document without a window, for the command-line tool, tests and benchmarks: a notional client
// area (640 × 480 unless told otherwise) with scroll bars that clamp like real ones, the real card
// fonts and picture loading, and quiet stand-ins for message boxes, the clipboard and links.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/frag_set.h"
#include "core/model/ports.h"
#include "render/pictures/picture_loader.h"
#include "render/text/qt_text_metrics.h"

namespace qv {

class EnvData;
class SpiUnit;

class OffscreenView final : public DocumentView {
  public:
    OffscreenView(int clientWidth, int clientHeight) : width_(clientWidth), height_(clientHeight) {}

    int ScrollPosition(ScrollAxis axis) const override;
    void SetScrollPosition(ScrollAxis axis, int position) override;
    int ScrollRange(ScrollAxis axis) const override;
    void SetScrollRange(ScrollAxis axis, int range) override;
    int ClientWidth() const override { return width_; }
    int ClientHeight() const override { return height_; }
    void Invalidate(const Rect&) override {}
    void InvalidateAll() override {}
    void SetCursor(CursorShape) override {}
    bool CtrlDown() const override { return false; }

    void Resize(int clientWidth, int clientHeight);

  private:
    int width_, height_;
    int posX_ = 0, posY_ = 0;
    int rangeX_ = 0, rangeY_ = 0;
};

// Message boxes nobody sees: warnings are answered OK, questions No; the texts are kept.
class QuietPrompts final : public Prompts {
  public:
    std::vector<std::string> Messages;  // code page 932
    PromptAnswer Warning(std::string_view text, PromptButtons buttons) override;
    PromptAnswer Question(std::string_view text, PromptButtons buttons) override;
};

// Pictures named relative to the document are looked up beside it first.
class DocumentPictureLoader final : public PictureLoader {
  public:
    explicit DocumentPictureLoader(const SpiUnit* plugins, PictureCache* cache = nullptr)
        : files_(plugins, cache) {}
    // The document's own file-system path; empty for none.
    void SetDocumentPath(std::string path) { documentPath_ = std::move(path); }
    std::optional<Picture> Load(const std::string& path, int numerator, int denominator) override;
    // Why the card linking `path` has no picture (Loaded when it has one).
    PictureStatus StatusOf(const std::string& path) const;
    // And the reason, when the file is no regular file or could not be opened (see
    // FilePictureLoader::WhyOf).
    std::string WhyOf(const std::string& path) const;
    PictureCache& Cache() const { return files_.Cache(); }
    const SpiUnit* Plugins() const { return files_.Plugins(); }

  private:
    FilePictureLoader files_;
    struct Beside {
        PictureStatus Status = PictureStatus::Loaded;
        std::string Link;  // the file beside the document that was tried
    };
    std::map<std::string, Beside> beside_;
    std::string documentPath_;
};

class OffscreenDocument {
  public:
    // `env` (and `plugins`, which may be null) must outlive the document.
    // `pictures` is the picture cache to share (the program's one when null).
    explicit OffscreenDocument(EnvData& env, const SpiUnit* plugins = nullptr,
                               int clientWidth = 640, int clientHeight = 480,
                               PictureCache* pictures = nullptr);
    OffscreenDocument(const OffscreenDocument&) = delete;
    OffscreenDocument& operator=(const OffscreenDocument&) = delete;

    FragSet& Set() { return set_; }
    OffscreenView& View() { return view_; }
    QuietPrompts& Messages() { return prompts_; }
    DocumentPictureLoader& Pictures() { return pictures_; }
    // Where relative picture paths are looked up: beside this document file.
    void SetDocumentPath(std::string path) { pictures_.SetDocumentPath(std::move(path)); }

  private:
    class NoClipboard final : public Clipboard {
      public:
        std::string Text() const override { return text_; }
        void SetText(std::string_view cp932) override { text_ = std::string(cp932); }

      private:
        std::string text_;
    };
    class NoLinks final : public LinkOpener {
      public:
        void OpenLink(FragSet&, Fragment&) override {}
    };

    QtTextMetrics metrics_;
    OffscreenView view_;
    QuietPrompts prompts_;
    ViewRefresh refresh_;
    DocumentPictureLoader pictures_;
    NoClipboard clipboard_;
    DefaultRandomSource random_;
    NoLinks links_;
    DocumentHost host_;
    FragSet set_;
};

}  // namespace qv
