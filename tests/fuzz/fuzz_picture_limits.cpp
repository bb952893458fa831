// The JPEG decoder on arbitrary bytes under the scan and pixel limits. The first byte picks a small
// scan limit (1 … 64) so that inputs of a few kilobytes reach it; the rest is the file. A picture
// within the limits is never larger than the pixel limit, and the limits only refuse: what decodes
// under them decodes identically without them. A decoder that ignored them would run into the
// fuzzer's time and memory limits.
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "render/formats/jpeg_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const qv::JpegLimits limits{.MaxScans = 1 + (data[0] & 63), .MaxPixels = 1 << 20};
    const std::optional<QImage> limited = qv::DecodeJpeg(data + 1, size - 1, limits);
    if (!limited) return 0;
    if (static_cast<std::int64_t>(limited->width()) * limited->height() > limits.MaxPixels)
        std::abort();
    const std::optional<QImage> unlimited = qv::DecodeJpeg(data + 1, size - 1);
    if (!unlimited || *unlimited != *limited) std::abort();
    return 0;
}
