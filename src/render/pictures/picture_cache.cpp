#include "render/pictures/picture_cache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QImageReader>
#include <QString>
#include <numeric>
#include <utility>

#include "render/pictures/picture.h"

namespace qv {

namespace {

std::int64_t BytesOf(const QImage& image) {
    return image.isNull() ? 0 : static_cast<std::int64_t>(image.sizeInBytes());
}

// Equal ratios share one copy: a ratio that keeps the size is 1:1 whatever its terms, and 2:4
// gives the sizes 1:2 gives (w * 2 / 4 == w * 1 / 2 in truncating integers).
void NormalizeRatio(int& numerator, int& denominator) {
    if (numerator < 1 || denominator < 1 || numerator == denominator) {
        numerator = denominator = 1;
        return;
    }
    const int g = std::gcd(numerator, denominator);
    numerator /= g;
    denominator /= g;
}

}  // namespace

const char* PictureStatusText(PictureStatus status) {
    switch (status) {
        case PictureStatus::Loaded:
            return "";
        case PictureStatus::Missing:
            return "picture file not found";
        case PictureStatus::Unreadable:
            return "picture cannot be read";
        case PictureStatus::TooLarge:
            return "picture too large";
    }
    return "";
}

// The bytes alive in pictures handed out. Every picture's deleter gives its bytes back here, so it
// outlives the cache when cards outlive it.
struct PictureCache::Budgeted {
    std::int64_t Limit = 0;
    // Given back by whichever thread lets a picture go.
    std::atomic<std::int64_t> Used{0};
};

PictureCache::PictureCache(std::int64_t budgetBytes) : budget_(std::make_shared<Budgeted>()) {
    budget_->Limit = budgetBytes;
}

PictureCache::~PictureCache() = default;

std::int64_t PictureCache::BytesInUse() const {
    return budget_->Used;
}

std::int64_t PictureCache::Budget() const {
    return budget_->Limit;
}

std::shared_ptr<const SharedPicture> PictureCache::Find(const Key& key) {
    auto it = entries_.find(key);
    if (it == entries_.end()) return nullptr;
    std::shared_ptr<const SharedPicture> alive = it->second.lock();
    if (!alive) entries_.erase(it);
    return alive;
}

std::shared_ptr<const SharedPicture> PictureCache::Adopt(const Key& key, SharedPicture picture) {
    const std::int64_t bytes = BytesOf(picture.Image);
    budget_->Used += bytes;
    std::shared_ptr<Budgeted> budget = budget_;
    std::shared_ptr<const SharedPicture> shared(new SharedPicture(std::move(picture)),
                                                [budget, bytes](const SharedPicture* p) {
                                                    budget->Used -= bytes;
                                                    delete p;
                                                });
    // Forget pictures nobody holds any more now and then, so the table stays small.
    if (entries_.size() >= 64) std::erase_if(entries_, [](auto& e) { return e.second.expired(); });
    entries_[key] = shared;
    return shared;
}

PictureCache::Result PictureCache::Load(const std::string& cp932Path, const std::string& nativePath,
                                        const SpiUnit* plugins, int numerator, int denominator) {
    const std::lock_guard lock(mutex_);
    return LoadLocked(cp932Path, nativePath, plugins, numerator, denominator);
}

PictureCache::Result PictureCache::LoadLocked(const std::string& cp932Path,
                                              const std::string& nativePath, const SpiUnit* plugins,
                                              int numerator, int denominator) {
    Result result;
    if (nativePath.empty()) return result;
    // Opened once, without blocking, and examined as opened: a FIFO swapped in for the file
    // cannot hang the program, and what is decoded is what was examined.
    const int fd = OpenRegularDescriptor(nativePath, result.Problem, result.Why);
    if (fd < 0) {
        if (result.Problem != FileProblem::Missing) result.Status = PictureStatus::Unreadable;
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        result.Status = PictureStatus::Unreadable;
        return result;
    }
    result = LoadOpened(fd, st, cp932Path, nativePath, plugins, numerator, denominator);
    ::close(fd);
    return result;
}

PictureCache::Result PictureCache::LoadOpened(int fd, const struct stat& st,
                                              const std::string& cp932Path,
                                              const std::string& nativePath, const SpiUnit* plugins,
                                              int numerator, int denominator) {
    Result result;
    NormalizeRatio(numerator, denominator);
    const std::int64_t modified =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    const Key key{nativePath, static_cast<std::int64_t>(st.st_size), modified, numerator,
                  denominator};
    if ((result.Picture = Find(key))) {
        result.Status = PictureStatus::Loaded;
        return result;
    }

    const std::int64_t room = budget_->Limit - budget_->Used;
    // The file at its own size: held by a 1:1 card already, or decoded now.
    const Key fullKey{key.NativePath, key.FileSize, key.ModifiedNs, 1, 1};
    std::shared_ptr<const SharedPicture> full = Find(fullKey);
    QImage decoded;
    if (!full) {
        // Refused before decoding when the file says how big it is.
        QSize announced;
        QFile file;
        if (file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            announced = QImageReader(&file).size();
        if (announced.isValid() &&
            std::int64_t{announced.width()} * announced.height() * 4 > room) {
            result.Status = PictureStatus::TooLarge;
            return result;
        }
        std::optional<QImage> image = LoadPictureDescriptor(fd, cp932Path, plugins);
        if (!image) {
            result.Status = PictureStatus::Unreadable;
            return result;
        }
        ++decodes_;
        if (BytesOf(*image) > room) {
            result.Status = PictureStatus::TooLarge;
            return result;
        }
        decoded = std::move(*image);
    }
    SharedPicture picture;
    picture.Cp932Path = cp932Path;
    picture.NativePath = nativePath;
    picture.FileSize = key.FileSize;
    picture.ModifiedNs = key.ModifiedNs;
    const QImage& source = full ? full->Image : decoded;
    picture.Image = ScalePicture(source, numerator, denominator);
    picture.FullSize = picture.Image.size() == source.size();
    // The scaled copy must fit beside what is held, the decoded original being let go.
    if (BytesOf(picture.Image) > budget_->Limit - budget_->Used) {
        result.Status = PictureStatus::TooLarge;
        return result;
    }
    decoded = QImage();
    result.Picture = Adopt(key, std::move(picture));
    result.Status = PictureStatus::Loaded;
    return result;
}

std::shared_ptr<const SharedPicture> PictureCache::FullSize(const SharedPicture& picture,
                                                            const SpiUnit* plugins) {
    if (picture.FullSize || picture.NativePath.empty()) return nullptr;
    Result r = Load(picture.Cp932Path, picture.NativePath, plugins, 1, 1);
    if (!r.Picture || r.Picture->FileSize != picture.FileSize ||
        r.Picture->ModifiedNs != picture.ModifiedNs)
        return nullptr;
    return r.Picture;
}

PictureCache& DefaultPictureCache() {
    static PictureCache cache;
    return cache;
}

}  // namespace qv
