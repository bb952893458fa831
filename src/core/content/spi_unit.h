// SpiUnit: the image plug-in manager. Loads every import-filter plug-in (*.spi, any letter case)
// of the plug-in folder, lists them for the dialogs, and decodes a picture with the first plug-in
// that accepts it. The plug-in interface is written down in docs/plugins.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/spi_abi.h"

namespace qv {

// Pictures above this many pixels are refused rather than allocated.
inline constexpr std::int64_t kMaxPicturePixels = 100'000'000;

// Paths handed to a plug-in are at most this many bytes (plus the terminating zero), so a plug-in
// may copy them into a fixed 260-byte buffer.
inline constexpr std::size_t kMaxSpiPathBytes = 259;

// A decoded picture: top-down rows, one 0xFFRRGGBB value per pixel (the layout of an opaque
// 32-bit image in the render layer).
struct SpiPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;
};

// One loaded plug-in. The library stays loaded for as long as the owning SpiUnit lives.
struct spi_info {
    void* Module = nullptr;
    SpiGetPluginInfoFn GetPluginInfo = nullptr;
    SpiIsSupportedFn IsSupported = nullptr;
    SpiGetPictureInfoFn GetPictureInfo = nullptr;  // asked for the size before decoding
    SpiGetPictureFn GetPicture = nullptr;
    std::string FileName;     // without folder, code page 932
    std::string Pattern;      // first file-name pattern ("*.pic"), empty when none
    std::string Description;  // first format description, empty when none
};

using TSpiList = std::vector<spi_info>;

class SpiUnit {
  public:
    // Loads the plug-ins of `folder` (code page 932 bytes, with or without the trailing '/').
    // An empty folder gives an empty list. Plug-ins are kept in the order of their file names
    // compared without regard to letter case, which is the order they are asked in.
    explicit SpiUnit(std::string folder);
    ~SpiUnit();

    SpiUnit(const SpiUnit&) = delete;
    SpiUnit& operator=(const SpiUnit&) = delete;

    // The folder as used, ending in '/' (empty when none was given).
    const std::string& Folder() const { return folder_; }
    const TSpiList& Plugins() const { return plugins_; }
    int Count() const { return static_cast<int>(plugins_.size()); }
    const spi_info& At(int index) const { return plugins_.at(static_cast<std::size_t>(index)); }

    // Decodes `path` (code page 932 bytes) with the first plug-in whose IsSupported accepts it.
    // None when the list is empty, the file cannot be opened or is no regular file, the path is too
    // long for a plug-in, no plug-in accepts it, the chosen plug-in reports a picture of more than
    // kMaxPicturePixels (GetPictureInfo; GetPicture is then not called), or it fails or returns
    // an unusable bitmap.
    std::optional<SpiPicture> LoadPictureFile(const std::string& path) const;

    // One line per plug-in for the options dialog: the file name padded to 16 bytes, a blank and
    // the description ("%-16s %s").
    std::vector<std::string> ListLines() const;

  private:
    std::string folder_;
    TSpiList plugins_;
};

// The file extension a plug-in pattern stands for, in upper case: everything before the first '.'
// is dropped unless that '.' comes first, and only the first of several ';'-separated patterns
// counts ("*.pic;*.pi2" -> ".PIC").
std::string PatternExtension(std::string_view pattern);

// Converts a device-independent bitmap (header and colour table in `info`, pixel rows in `bits`)
// into a picture. Checks every size against the given block lengths; none for anything it cannot
// read safely (unknown header, compression or bit depth, zero or too large dimensions, short
// blocks).
std::optional<SpiPicture> DibToPicture(const std::uint8_t* info, std::size_t infoSize,
                                       const std::uint8_t* bits, std::size_t bitsSize);

}  // namespace qv
