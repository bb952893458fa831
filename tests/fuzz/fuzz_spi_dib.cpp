// Bitmaps handed back by image plug-ins: the first two bytes give the length of the info block
// (header and colour table), the rest is split into that block and the pixel rows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/content/spi_unit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    std::size_t infoSize = static_cast<std::size_t>(data[0] | (data[1] << 8));
    data += 2;
    size -= 2;
    if (infoSize > size) infoSize = size;
    // Separate copies so the sanitizer sees each block's true end.
    std::vector<std::uint8_t> info(data, data + infoSize);
    std::vector<std::uint8_t> bits(data + infoSize, data + size);
    auto picture = qv::DibToPicture(info.data(), info.size(), bits.data(), bits.size());
    if (picture && picture->Pixels.size() != static_cast<std::size_t>(picture->Width) *
                                                 static_cast<std::size_t>(picture->Height))
        std::abort();
    return 0;
}
