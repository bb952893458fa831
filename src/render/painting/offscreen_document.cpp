#include "render/painting/offscreen_document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "render/text/qt_text.h"

namespace qv {

int OffscreenView::ScrollPosition(ScrollAxis axis) const {
    return axis == ScrollAxis::Horizontal ? posX_ : posY_;
}

void OffscreenView::SetScrollPosition(ScrollAxis axis, int position) {
    if (axis == ScrollAxis::Horizontal)
        posX_ = std::clamp(position, 0, std::max(0, rangeX_ - width_));
    else
        posY_ = std::clamp(position, 0, std::max(0, rangeY_ - height_));
}

int OffscreenView::ScrollRange(ScrollAxis axis) const {
    return axis == ScrollAxis::Horizontal ? rangeX_ : rangeY_;
}

void OffscreenView::SetScrollRange(ScrollAxis axis, int range) {
    (axis == ScrollAxis::Horizontal ? rangeX_ : rangeY_) = std::max(range, 0);
    SetScrollPosition(axis, ScrollPosition(axis));
}

void OffscreenView::Resize(int clientWidth, int clientHeight) {
    width_ = std::max(clientWidth, 0);
    height_ = std::max(clientHeight, 0);
    SetScrollPosition(ScrollAxis::Horizontal, posX_);
    SetScrollPosition(ScrollAxis::Vertical, posY_);
}

PromptAnswer QuietPrompts::Warning(std::string_view text, PromptButtons) {
    Messages.emplace_back(text);
    return PromptAnswer::Ok;
}

PromptAnswer QuietPrompts::Question(std::string_view text, PromptButtons) {
    Messages.emplace_back(text);
    return PromptAnswer::No;
}

std::optional<Picture> DocumentPictureLoader::Load(const std::string& path, int numerator,
                                                   int denominator) {
    if (!path.empty() && !documentPath_.empty()) {
        const QString local = FromCp932(path);
        if (QDir::isRelativePath(local)) {
            const QString folder =
                QFileInfo(QFile::decodeName(documentPath_.c_str())).absolutePath();
            const QString beside = QDir(folder).filePath(local);
            // The loader takes link paths; a folder code page 932 cannot name is not guessed at.
            bool exact = false;
            const std::string besideLink = ToCp932(beside, &exact);
            if (exact && QFileInfo::exists(beside)) {
                auto picture = files_.Load(besideLink, numerator, denominator);
                beside_[path] = Beside{files_.StatusOf(besideLink), besideLink};
                if (picture) return picture;
                // A picture beside the document that is too large is not replaced by another.
                if (beside_[path].Status == PictureStatus::TooLarge) return std::nullopt;
            }
        }
    }
    beside_.erase(path);
    return files_.Load(path, numerator, denominator);
}

PictureStatus DocumentPictureLoader::StatusOf(const std::string& path) const {
    auto it = beside_.find(path);
    if (it != beside_.end() && it->second.Status != PictureStatus::Loaded) return it->second.Status;
    return files_.StatusOf(path);
}

std::string DocumentPictureLoader::WhyOf(const std::string& path) const {
    auto it = beside_.find(path);
    if (it != beside_.end() && it->second.Status != PictureStatus::Loaded)
        return files_.WhyOf(it->second.Link);
    return files_.WhyOf(path);
}

OffscreenDocument::OffscreenDocument(EnvData& env, const SpiUnit* plugins, int clientWidth,
                                     int clientHeight, PictureCache* pictures)
    : metrics_(env),
      view_(clientWidth, clientHeight),
      pictures_(plugins, pictures),
      set_(DocContext{env, metrics_, view_, prompts_, pictures_, clipboard_, random_, links_, host_,
                      refresh_}) {}

}  // namespace qv
