#include "render/formats/png_stream.h"

#include <png.h>

#include <csetjmp>
#include <string>
#include <vector>

namespace qv {

struct PngStreamEncoder::State {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    Sink Out;
    std::vector<unsigned char> Row;
    int Width = 0;
    int Height = 0;
    int RowsDone = 0;
    bool Failed = false;
    bool Finished = false;

    ~State() {
        if (Png) png_destroy_write_struct(&Png, Info ? &Info : nullptr);
    }
};

namespace {

void WriteData(png_structp png, png_bytep data, png_size_t size) {
    auto* s = static_cast<PngStreamEncoder::State*>(png_get_io_ptr(png));
    if (!s->Out(reinterpret_cast<const char*>(data), size)) png_error(png, "write failed");
}

void FlushData(png_structp) {}

// libpng reports errors by jumping back to the setjmp of the call that failed.
void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// The calls into libpng, each behind its own setjmp; they hold no objects with destructors.
bool StartPng(PngStreamEncoder::State* s) {
    if (setjmp(png_jmpbuf(s->Png))) return false;
    png_set_write_fn(s->Png, s, WriteData, FlushData);
    png_set_IHDR(s->Png, s->Info, static_cast<png_uint_32>(s->Width),
                 static_cast<png_uint_32>(s->Height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Pages are mostly flat colour repeated row after row: the Up filter alone and a middle
    // compression level compress them within a few per cent of the full adaptive search, and
    // without choosing a filter per row about half again as fast as Sub and Up together.
    png_set_filter(s->Png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_level(s->Png, 3);
    // 96 dots per inch, as the bitmap output says.
    png_set_pHYs(s->Png, s->Info, 3780, 3780, PNG_RESOLUTION_METER);
    png_write_info(s->Png, s->Info);
    return true;
}

bool WriteRow(PngStreamEncoder::State* s) {
    if (setjmp(png_jmpbuf(s->Png))) return false;
    png_write_row(s->Png, s->Row.data());
    return true;
}

bool EndPng(PngStreamEncoder::State* s) {
    if (setjmp(png_jmpbuf(s->Png))) return false;
    png_write_end(s->Png, s->Info);
    return true;
}

}  // namespace

PngStreamEncoder::PngStreamEncoder() = default;
PngStreamEncoder::~PngStreamEncoder() = default;

bool PngStreamEncoder::Start(int width, int height, Sink sink) {
    if (width <= 0 || height <= 0 || static_cast<png_uint_32>(width) > PNG_UINT_31_MAX / 3)
        return false;
    auto s = std::make_unique<State>();
    s->Out = std::move(sink);
    s->Width = width;
    s->Height = height;
    s->Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!s->Png) return false;
    // Pages far wider than libpng's default guard (a million pixels) are still fine to write.
    png_set_user_limits(s->Png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    s->Info = png_create_info_struct(s->Png);
    if (!s->Info) return false;
    try {
        s->Row.resize(static_cast<std::size_t>(width) * 3);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!StartPng(s.get())) return false;
    state_ = std::move(s);
    return true;
}

bool PngStreamEncoder::WriteRows(const QImage& band, int rows) {
    State* s = state_.get();
    if (!s || s->Failed || s->Finished || band.width() != s->Width ||
        band.format() != QImage::Format_RGB32 || rows < 0 || rows > band.height() ||
        rows > s->Height - s->RowsDone)
        return false;
    for (int y = 0; y < rows; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(band.constScanLine(y));
        unsigned char* out = s->Row.data();
        for (int x = 0; x < s->Width; ++x) {
            *out++ = static_cast<unsigned char>(qRed(in[x]));
            *out++ = static_cast<unsigned char>(qGreen(in[x]));
            *out++ = static_cast<unsigned char>(qBlue(in[x]));
        }
        if (!WriteRow(s)) {
            s->Failed = true;
            return false;
        }
        ++s->RowsDone;
    }
    return true;
}

bool PngStreamEncoder::Finish() {
    State* s = state_.get();
    if (!s || s->Failed || s->Finished || s->RowsDone != s->Height) return false;
    if (!EndPng(s)) {
        s->Failed = true;
        return false;
    }
    s->Finished = true;
    return true;
}

}  // namespace qv
