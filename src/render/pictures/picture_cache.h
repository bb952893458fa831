// Decoded pictures shared by every card and document that shows them. A file is decoded once,
// however many cards link it, and kept only while some card (or a view drawing at full size)
// holds it; all decoded pictures together stay within one memory budget. Cards get a copy scaled
// by their ratio for display; views that print or export sharply ask for the full size.
//
// Entries are keyed by the file's path, size and modification time, so a changed file is read
// again. One instance serves the whole program (DefaultPictureCache); tests make their own. It may
// be used from several threads (the windows paint while an export runs): one lookup or decode at
// a time.
#pragma once

#include <sys/stat.h>

#include <QImage>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

#include "core/fs/read_file.h"

namespace qv {

class SpiUnit;

// Why a card has no picture.
enum class PictureStatus {
    Loaded,
    Missing,     // no such regular file
    Unreadable,  // no reader could decode it
    TooLarge,    // decoding it would exceed the picture memory budget
};

// The message for a status: "picture too large" and its siblings (empty for Loaded).
const char* PictureStatusText(PictureStatus status);

// The budget of decoded picture memory for the whole program.
inline constexpr std::int64_t kDefaultPictureBudget = std::int64_t{1} << 30;

// A decoded picture as cards hold it: the display copy and where it came from, so a view can ask
// the cache for the same file at full size.
struct SharedPicture {
    QImage Image;
    std::string Cp932Path;
    std::string NativePath;
    std::int64_t FileSize = 0;
    std::int64_t ModifiedNs = 0;
    bool FullSize = false;  // Image is the file's own size (a 1:1 card)
};

class PictureCache {
  public:
    explicit PictureCache(std::int64_t budgetBytes = kDefaultPictureBudget);
    ~PictureCache();
    PictureCache(const PictureCache&) = delete;
    PictureCache& operator=(const PictureCache&) = delete;

    struct Result {
        std::shared_ptr<const SharedPicture> Picture;  // null unless Loaded
        PictureStatus Status = PictureStatus::Missing;
        // When the file could not be opened as a regular file (a folder, a FIFO, a link loop, no
        // permission, ...): which problem, and its reason in English.
        FileProblem Problem = FileProblem::None;
        std::string Why;
    };

    // The picture of `cp932Path` (`nativePath` its file-system name) at the ratio numerator /
    // denominator (ScaledPictureSize), from the cache when a card already holds it.
    Result Load(const std::string& cp932Path, const std::string& nativePath, const SpiUnit* plugins,
                int numerator, int denominator);

    // The same file at its own size, for views that draw sharply at any scale. Null when
    // `picture` already is (draw it), when the file changed or is gone, or over the budget.
    std::shared_ptr<const SharedPicture> FullSize(const SharedPicture& picture,
                                                  const SpiUnit* plugins);

    // Bytes of decoded pixels alive now, in everything this cache handed out.
    std::int64_t BytesInUse() const;
    std::int64_t Budget() const;
    // Files decoded so far (tests and benchmarks count them).
    int DecodeCount() const { return decodes_.load(); }

  private:
    Result LoadOpened(int fd, const struct stat& st, const std::string& cp932Path,
                      const std::string& nativePath, const SpiUnit* plugins, int numerator,
                      int denominator);
    struct Key {
        std::string NativePath;
        std::int64_t FileSize;
        std::int64_t ModifiedNs;
        int Numerator;
        int Denominator;
        bool operator<(const Key& o) const {
            return std::tie(NativePath, FileSize, ModifiedNs, Numerator, Denominator) <
                   std::tie(o.NativePath, o.FileSize, o.ModifiedNs, o.Numerator, o.Denominator);
        }
    };
    struct Budgeted;
    std::shared_ptr<const SharedPicture> Adopt(const Key& key, SharedPicture picture);
    std::shared_ptr<const SharedPicture> Find(const Key& key);
    Result LoadLocked(const std::string& cp932Path, const std::string& nativePath,
                      const SpiUnit* plugins, int numerator, int denominator);

    std::shared_ptr<Budgeted> budget_;
    std::map<Key, std::weak_ptr<const SharedPicture>> entries_;
    std::atomic<int> decodes_{0};
    std::mutex mutex_;
};

// The program's one cache.
PictureCache& DefaultPictureCache();

}  // namespace qv
