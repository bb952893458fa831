// The picture readers other than JPEG's, through the program's own loader and its limits: the
// first byte picks the file's name (a bitmap, an icon, a PNG, a GIF, a PPM, a name no reader
// claims) and which test image plug-in is installed (none, the PPM reader, its inverting variant,
// one that reports every picture huge, one without GetPicture, an export filter); the rest is the
// file. A picture that loads is never empty, never beyond the pixel limit and in one of the two
// layouts the painters expect; the shared cache, with a small budget, keeps to that budget.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/content/spi_unit.h"
#include "render/pictures/picture.h"
#include "render/pictures/picture_cache.h"

namespace {

constexpr const char* kNames[] = {"p.bmp", "p.ico", "p.png", "p.gif",
                                  "p.ppm", "p.pic", "p.BMP", "p"};
constexpr const char* kPlugins[] = {"ppm", "ppm_alt", "ppm_huge_info", "ppm_incomplete",
                                    "ppm_export"};
constexpr std::int64_t kBudget = std::int64_t{64} << 20;

std::string g_folder;
std::vector<std::unique_ptr<qv::SpiUnit>> g_units;  // [0]: none, then one per plug-in

void Check(const std::optional<QImage>& image) {
    if (!image) return;
    const std::int64_t pixels = std::int64_t{image->width()} * image->height();
    if (image->isNull() || pixels <= 0 || pixels > qv::kMaxPicturePixels) std::abort();
    if (image->format() != QImage::Format_RGB32 &&
        image->format() != QImage::Format_ARGB32_Premultiplied)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/qv-fuzz-pictures-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    g_folder = folder;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(g_folder, ec);
    });
    g_units.push_back(std::make_unique<qv::SpiUnit>(std::string()));
    // Each plug-in alone in a folder of its own, so that it is the one asked.
    for (const char* name : kPlugins) {
        const std::string dir = g_folder + "/" + name;
        ::mkdir(dir.c_str(), 0700);
        const std::string from = std::string(QV_TEST_PLUGIN_DIR) + "/" + name + ".spi";
        if (::symlink(from.c_str(), (dir + "/" + name + ".spi").c_str()) != 0) std::abort();
        // Held open for good: the fuzzer counts coverage inside the plug-in, and a plug-in the
        // program refuses is closed again, which would unmap counters the fuzzer still clears.
        if (!::dlopen(from.c_str(), RTLD_NOW | RTLD_NODELETE)) std::abort();
        g_units.push_back(std::make_unique<qv::SpiUnit>(dir));
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string path = g_folder + "/" + kNames[data[0] % std::size(kNames)];
    const qv::SpiUnit* plugins = g_units[(data[0] >> 3) % g_units.size()].get();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size > 1 && std::fwrite(data + 1, 1, size - 1, file) != size - 1) std::abort();
    std::fclose(file);

    Check(qv::LoadPictureFile(path, plugins));
    // The cache: its own header check before decoding, the budget after, a scaled copy.
    qv::PictureCache cache(kBudget);
    const qv::PictureCache::Result r = cache.Load(path, path, plugins, 1 + (data[0] & 1), 2);
    if (r.Picture) {
        Check(r.Picture->Image);
        if (cache.BytesInUse() > kBudget) std::abort();
    }
    ::unlink(path.c_str());
    return 0;
}
