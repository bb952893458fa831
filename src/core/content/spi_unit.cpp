#include "core/content/spi_unit.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/text/cp932.h"
#include "core/text/sjis.h"

namespace qv {

namespace {

bool HasSpiSuffix(std::string_view name) {
    return name.size() >= 4 && sjis::EqualsNoCase(name.substr(name.size() - 4), ".spi");
}

struct FoundFile {
    std::string SystemName;  // as the file system gives it
    std::string Name;        // code page 932
    std::string SortKey;
};

// Reads information number `infono` into a text; empty when the plug-in gives none.
std::string PluginInfoText(SpiGetPluginInfoFn fn, int infono) {
    std::array<char, 257> buf{};
    int n = fn(infono, buf.data(), 256);
    if (n < 1) return {};
    buf[256] = '\0';
    return std::string(buf.data(), strnlen(buf.data(), 256));
}

// Loads one library and keeps it when it is a complete import filter.
std::optional<spi_info> LoadPlugin(const std::string& fullPath, std::string fileName) {
    void* module = dlopen(fullPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        dlerror();  // clear the message so it does not show up in a later, unrelated check
        return std::nullopt;
    }
    spi_info info;
    info.Module = module;
    info.GetPluginInfo = reinterpret_cast<SpiGetPluginInfoFn>(dlsym(module, "GetPluginInfo"));
    info.IsSupported = reinterpret_cast<SpiIsSupportedFn>(dlsym(module, "IsSupported"));
    info.GetPictureInfo = reinterpret_cast<SpiGetPictureInfoFn>(dlsym(module, "GetPictureInfo"));
    info.GetPicture = reinterpret_cast<SpiGetPictureFn>(dlsym(module, "GetPicture"));
    bool usable = info.GetPluginInfo && info.IsSupported && info.GetPictureInfo && info.GetPicture;
    if (usable) {
        // An import filter calls itself "00IN"; export filters and archive plug-ins are refused.
        std::array<char, 8> version{};
        int n = info.GetPluginInfo(0, version.data(), 5);
        usable = n > 3 && version[2] == 'I' && version[3] == 'N';
    }
    if (!usable) {
        dlclose(module);
        return std::nullopt;
    }
    info.FileName = std::move(fileName);
    info.Pattern = PluginInfoText(info.GetPluginInfo, 2);
    info.Description = PluginInfoText(info.GetPluginInfo, 3);
    return info;
}

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// One colour channel described by a bit mask, scaled to 0..255.
struct Channel {
    std::uint32_t Mask = 0;
    int Shift = 0;
    std::uint32_t Max = 0;

    explicit Channel(std::uint32_t mask) : Mask(mask) {
        if (mask == 0) return;
        while (((mask >> Shift) & 1u) == 0)
            ++Shift;
        Max = mask >> Shift;
    }
    std::uint32_t Of(std::uint32_t v) const {
        if (Max == 0) return 0;
        return static_cast<std::uint32_t>(
            (static_cast<std::uint64_t>((v & Mask) >> Shift) * 255 + Max / 2) / Max);
    }
};

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

}  // namespace

std::optional<SpiPicture> DibToPicture(const std::uint8_t* info, std::size_t infoSize,
                                       const std::uint8_t* bits, std::size_t bitsSize) {
    if (!info || !bits || infoSize < 40) return std::nullopt;
    const std::uint32_t headerSize = Le32(info);
    if (headerSize < 40 || headerSize > infoSize) return std::nullopt;
    const std::int64_t width = static_cast<std::int32_t>(Le32(info + 4));
    const std::int64_t rawHeight = static_cast<std::int32_t>(Le32(info + 8));
    const int bitCount = Le16(info + 14);
    const std::uint32_t compression = Le32(info + 16);
    const std::uint32_t colorsUsed = Le32(info + 32);

    // A negative height means the rows are stored top-down.
    const bool topDown = rawHeight < 0;
    const std::int64_t height = topDown ? -rawHeight : rawHeight;
    if (width <= 0 || height <= 0 || width * height > kMaxPicturePixels) return std::nullopt;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return std::nullopt;
    if (compression != kBiRgb &&
        !(compression == kBiBitfields && (bitCount == 16 || bitCount == 32)))
        return std::nullopt;

    // Colour masks sit right after the basic 40 bytes, inside the longer headers or after the short
    // one; the colour table comes after them.
    std::size_t tableOffset = headerSize;
    std::uint32_t masks[3] = {0, 0, 0};
    if (compression == kBiBitfields) {
        if (infoSize < 52) return std::nullopt;
        for (int i = 0; i < 3; ++i)
            masks[i] = Le32(info + 40 + 4 * i);
        if (headerSize == 40) tableOffset = 52;
    } else if (bitCount == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (bitCount == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
    }

    std::array<std::uint32_t, 256> palette{};
    if (bitCount <= 8) {
        const std::size_t maxColors = std::size_t{1} << bitCount;
        std::size_t count =
            colorsUsed == 0 ? maxColors : std::min<std::size_t>(colorsUsed, maxColors);
        if (tableOffset > infoSize || (infoSize - tableOffset) / 4 < count) return std::nullopt;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* q = info + tableOffset + 4 * i;  // blue, green, red, reserved
            palette[i] = 0xFF000000u | (static_cast<std::uint32_t>(q[2]) << 16) |
                         (static_cast<std::uint32_t>(q[1]) << 8) | q[0];
        }
        // Indexes past the table are black.
        for (std::size_t i = count; i < maxColors; ++i)
            palette[i] = 0xFF000000u;
    }

    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
    if (stride * static_cast<std::uint64_t>(height) > bitsSize) return std::nullopt;

    SpiPicture pic;
    pic.Width = static_cast<int>(width);
    pic.Height = static_cast<int>(height);
    pic.Pixels.resize(static_cast<std::size_t>(width * height));
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    const std::size_t w = static_cast<std::size_t>(width);

    for (std::int64_t y = 0; y < height; ++y) {
        const std::int64_t srcRow = topDown ? y : height - 1 - y;
        const std::uint8_t* src = bits + static_cast<std::size_t>(srcRow) * stride;
        std::uint32_t* dst = pic.Pixels.data() + static_cast<std::size_t>(y) * w;
        switch (bitCount) {
            case 1:
            case 4:
            case 8: {
                const int perByte = 8 / bitCount;
                const unsigned mask = (1u << bitCount) - 1;
                for (std::size_t x = 0; x < w; ++x) {
                    const unsigned byte = src[x / perByte];
                    const int shift = 8 - bitCount * (1 + static_cast<int>(x % perByte));
                    dst[x] = palette[(byte >> shift) & mask];
                }
                break;
            }
            case 16:
                for (std::size_t x = 0; x < w; ++x) {
                    const std::uint32_t v = Le16(src + 2 * x);
                    dst[x] = 0xFF000000u | (red.Of(v) << 16) | (green.Of(v) << 8) | blue.Of(v);
                }
                break;
            case 24:
                for (std::size_t x = 0; x < w; ++x) {
                    const std::uint8_t* p = src + 3 * x;
                    dst[x] = 0xFF000000u | (static_cast<std::uint32_t>(p[2]) << 16) |
                             (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
                }
                break;
            case 32:
                if (compression == kBiRgb) {
                    for (std::size_t x = 0; x < w; ++x)
                        dst[x] = 0xFF000000u | (Le32(src + 4 * x) & 0xFFFFFFu);
                } else {
                    for (std::size_t x = 0; x < w; ++x) {
                        const std::uint32_t v = Le32(src + 4 * x);
                        dst[x] = 0xFF000000u | (red.Of(v) << 16) | (green.Of(v) << 8) | blue.Of(v);
                    }
                }
                break;
        }
    }
    return pic;
}

SpiUnit::SpiUnit(std::string folder) : folder_(std::move(folder)) {
    if (folder_.empty()) return;
    if (folder_.back() != '/') folder_ += '/';

    const std::string systemFolder = Cp932ToUtf8(folder_);
    DIR* dir = opendir(systemFolder.c_str());
    if (!dir) return;
    std::vector<FoundFile> found;
    while (const dirent* entry = readdir(dir)) {
        std::string_view name = entry->d_name;
        if (!HasSpiSuffix(name)) continue;
        struct stat st {};
        std::string full = systemFolder + std::string(name);
        if (stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        std::string cp932 = Utf8ToCp932(name).Bytes;
        std::string key = sjis::UpperAscii(cp932);
        found.push_back(FoundFile{std::string(name), std::move(cp932), std::move(key)});
    }
    closedir(dir);
    // Case-blind order of the names, so the order of preference does not depend on how the file
    // system happens to list a folder; names differing only in case keep a fixed order too.
    std::sort(found.begin(), found.end(), [](const FoundFile& a, const FoundFile& b) {
        return a.SortKey != b.SortKey ? a.SortKey < b.SortKey : a.Name < b.Name;
    });

    for (FoundFile& f : found) {
        if (auto plugin = LoadPlugin(systemFolder + f.SystemName, std::move(f.Name)))
            plugins_.push_back(std::move(*plugin));
    }
}

SpiUnit::~SpiUnit() {
    for (spi_info& p : plugins_) {
        if (p.Module) dlclose(p.Module);
    }
}

std::optional<SpiPicture> SpiUnit::LoadPictureFile(const std::string& path) const {
    if (plugins_.empty()) return std::nullopt;
    const std::string systemPath = Cp932ToUtf8(path);
    if (systemPath.empty() || systemPath.size() > kMaxSpiPathBytes) return std::nullopt;

    // Non-blocking open so a FIFO or device cannot hang the program; only regular files are read.
    int fd = open(systemPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return std::nullopt;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    const spi_info* chosen = nullptr;
    for (const spi_info& p : plugins_) {
        // Each plug-in reads the file's start from the descriptor; rewind it for the next one.
        if (lseek(fd, 0, SEEK_SET) != 0) break;
        if (p.IsSupported(systemPath.c_str(), static_cast<uintptr_t>(fd)) != 0) {
            chosen = &p;
            break;
        }
    }
    close(fd);
    if (!chosen) return std::nullopt;

    // A picture the plug-in says is over the pixel budget is not decoded: the plug-in would
    // allocate it before DibToPicture could refuse it.
    SpiPictureInfo size{};
    if (chosen->GetPictureInfo(systemPath.c_str(), 0, SPI_INPUT_FILE, &size) == SPI_ALL_RIGHT) {
        std::free(size.hInfo);
        const auto magnitude = [](long v) {
            return v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
        };
        const std::uint64_t w = magnitude(size.width), h = magnitude(size.height);
        if (h != 0 && w > static_cast<std::uint64_t>(kMaxPicturePixels) / h) return std::nullopt;
    }

    void* infoBlock = nullptr;
    void* bitsBlock = nullptr;
    int rc = chosen->GetPicture(systemPath.c_str(), 0, SPI_INPUT_FILE, &infoBlock, &bitsBlock,
                                nullptr, 0);
    // After a failure the handles are not the program's: the plug-in keeps nothing allocated.
    if (rc != SPI_ALL_RIGHT) return std::nullopt;
    std::optional<SpiPicture> picture;
    if (infoBlock && bitsBlock) {
        // The blocks come without their lengths; the allocator knows a safe upper bound.
        picture = DibToPicture(
            static_cast<const std::uint8_t*>(infoBlock), malloc_usable_size(infoBlock),
            static_cast<const std::uint8_t*>(bitsBlock), malloc_usable_size(bitsBlock));
    }
    std::free(infoBlock);
    std::free(bitsBlock);
    return picture;
}

std::vector<std::string> SpiUnit::ListLines() const {
    std::vector<std::string> lines;
    lines.reserve(plugins_.size());
    for (const spi_info& p : plugins_) {
        std::string line = p.FileName;
        if (line.size() < 16) line.append(16 - line.size(), ' ');
        line += ' ';
        line += p.Description;
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string PatternExtension(std::string_view pattern) {
    pattern = pattern.substr(0, pattern.find(';'));
    std::size_t dot = pattern.find('.');
    if (dot != std::string_view::npos && dot != 0) pattern.remove_prefix(dot);
    return sjis::UpperAscii(pattern);
}

}  // namespace qv
