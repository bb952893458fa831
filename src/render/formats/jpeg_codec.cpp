#include "render/formats/jpeg_codec.h"

#include <QtGlobal>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

// jpeglib.h needs FILE and size_t declared first, and jerror.h the configuration it brings.
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "core/content/spi_unit.h"

namespace qv {

namespace {

// libjpeg's default error handler prints and calls exit(); this one jumps back to the caller.
// The functions that call setjmp keep only plain data in their frames, so the jump skips no
// destructor.
struct ErrorManager {
    jpeg_error_mgr Pub;
    std::jmp_buf Jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->Jump, 1);
}

// Warnings that mean part of the picture is missing or garbage count as failures; harmless ones
// (unknown JFIF revision, stray bytes between markers, odd ICC data) do not.
void EmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;  // trace messages
    switch (cinfo->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
#if JPEG_LIB_VERSION >= 70 || defined(D_ARITH_CODING_SUPPORTED)
        case JWRN_ARITH_BAD_CODE:
#endif
        case JWRN_MUST_RESYNC:
        case JWRN_BOGUS_PROGRESSION:
            ErrorExit(cinfo);
        default:
            ++cinfo->err->num_warnings;
    }
}

void OutputMessage(j_common_ptr) {}

// Counts the scans as each one starts and refuses the picture when they go beyond the limits:
// every scan is a pass over all coefficients of the components it carries.
struct ScanMonitor {
    jpeg_progress_mgr Pub;
    const JpegLimits* Limits;
    int SeenScans;
    std::int64_t ScanPixels;
};

void CheckScans(j_common_ptr common) {
    auto* monitor = reinterpret_cast<ScanMonitor*>(common->progress);
    const auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    if (cinfo->input_scan_number == monitor->SeenScans) return;
    monitor->SeenScans = cinfo->input_scan_number;
    if (monitor->SeenScans > monitor->Limits->MaxScans) ErrorExit(common);
    for (int i = 0; i < cinfo->comps_in_scan; ++i) {
        const jpeg_component_info* comp = cinfo->cur_comp_info[i];
        monitor->ScanPixels +=
            static_cast<std::int64_t>(comp->width_in_blocks) * comp->height_in_blocks * DCTSIZE2;
    }
    if (monitor->ScanPixels > monitor->Limits->MaxScanPixels) ErrorExit(common);
}

void InstallErrorManager(ErrorManager& err) {
    jpeg_std_error(&err.Pub);
    err.Pub.error_exit = ErrorExit;
    err.Pub.emit_message = EmitMessage;
    err.Pub.output_message = OutputMessage;
}

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
// QImage::Format_RGB32 is 0xffRRGGBB in native order: blue, green, red, alpha in memory.
constexpr J_COLOR_SPACE kNativeRgb32 = JCS_EXT_BGRA;
#else
constexpr J_COLOR_SPACE kNativeRgb32 = JCS_EXT_ARGB;
#endif

// Converts one row of CMYK samples, in place, to 0xffRRGGBB. Adobe writes the inks inverted
// (0 = full ink), which is what nearly every CMYK JPEG in the wild is.
void CmykRowToRgb32(unsigned char* row, JDIMENSION width, bool inverted) {
    auto* out = reinterpret_cast<QRgb*>(row);
    for (JDIMENSION x = 0; x < width; ++x) {
        unsigned c = row[4 * x], m = row[4 * x + 1], y = row[4 * x + 2], k = row[4 * x + 3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        out[x] = qRgb(static_cast<int>(c * k / 255), static_cast<int>(m * k / 255),
                      static_cast<int>(y * k / 255));
    }
}

bool RunDecode(jpeg_decompress_struct* cinfo, ErrorManager* err, std::FILE* file,
               const std::uint8_t* data, std::size_t size, std::int64_t maxPixels, QImage* out) {
    if (setjmp(err->Jump)) return false;
    if (file)
        jpeg_stdio_src(cinfo, file);
    else
        jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return false;
    if (cinfo->image_width == 0 || cinfo->image_height == 0 ||
        static_cast<std::int64_t>(cinfo->image_width) * cinfo->image_height > maxPixels)
        return false;
    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = cmyk ? JCS_CMYK : kNativeRgb32;
    jpeg_start_decompress(cinfo);
    if (cinfo->output_components != 4) return false;
    *out = QImage(static_cast<int>(cinfo->output_width), static_cast<int>(cinfo->output_height),
                  QImage::Format_RGB32);
    if (out->isNull()) return false;
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = out->scanLine(static_cast<int>(cinfo->output_scanline));
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1) return false;
        if (cmyk) CmykRowToRgb32(row, cinfo->output_width, cinfo->saw_Adobe_marker);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

std::optional<QImage> Decode(std::FILE* file, const std::uint8_t* data, std::size_t size,
                             const JpegLimits& limits) {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    InstallErrorManager(err);
    cinfo.err = &err.Pub;
    jpeg_create_decompress(&cinfo);
    ScanMonitor monitor{};
    monitor.Pub.progress_monitor = CheckScans;
    monitor.Limits = &limits;
    cinfo.progress = &monitor.Pub;
    QImage image;
    bool ok = RunDecode(&cinfo, &err, file, data, size, limits.MaxPixels, &image);
    jpeg_destroy_decompress(&cinfo);
    if (!ok) return std::nullopt;
    return image;
}

}  // namespace

int ClampJpegQuality(int quality) {
    return std::clamp(quality, kMinJpegQuality, kMaxJpegQuality);
}

std::optional<QImage> DecodeJpeg(const std::uint8_t* data, std::size_t size,
                                 const JpegLimits& limits) {
    if (!data || size == 0) return std::nullopt;
    return Decode(nullptr, data, size, limits);
}

std::optional<QImage> DecodeJpegStream(std::FILE* file, const JpegLimits& limits) {
    if (!file) return std::nullopt;
    return Decode(file, nullptr, 0, limits);
}

// ---- Streamed encoding ----

struct JpegStreamEncoder::State {
    jpeg_compress_struct Info{};
    ErrorManager Err{};
    jpeg_destination_mgr Dest{};
    Sink Out;
    unsigned char Buffer[64 * 1024];
    bool Created = false;
    bool Failed = false;
};

namespace {

JpegStreamEncoder::State* StateOf(j_compress_ptr cinfo) {
    return static_cast<JpegStreamEncoder::State*>(cinfo->client_data);
}

void InitDestination(j_compress_ptr) {}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    JpegStreamEncoder::State* st = StateOf(cinfo);
    if (!st->Out(reinterpret_cast<const char*>(st->Buffer), sizeof st->Buffer))
        ERREXIT(cinfo, JERR_FILE_WRITE);
    st->Dest.next_output_byte = st->Buffer;
    st->Dest.free_in_buffer = sizeof st->Buffer;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    JpegStreamEncoder::State* st = StateOf(cinfo);
    const std::size_t used = sizeof st->Buffer - st->Dest.free_in_buffer;
    if (used > 0 && !st->Out(reinterpret_cast<const char*>(st->Buffer), used))
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

bool RunStart(JpegStreamEncoder::State* st, int width, int height, int quality) {
    if (setjmp(st->Err.Jump)) return false;
    jpeg_compress_struct* cinfo = &st->Info;
    st->Dest.init_destination = InitDestination;
    st->Dest.empty_output_buffer = EmptyOutputBuffer;
    st->Dest.term_destination = TermDestination;
    st->Dest.next_output_byte = st->Buffer;
    st->Dest.free_in_buffer = sizeof st->Buffer;
    cinfo->dest = &st->Dest;
    cinfo->image_width = static_cast<JDIMENSION>(width);
    cinfo->image_height = static_cast<JDIMENSION>(height);
    cinfo->input_components = 4;
    cinfo->in_color_space = kNativeRgb32;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    if (quality >= 90) {
        for (int i = 0; i < cinfo->num_components; ++i) {
            cinfo->comp_info[i].h_samp_factor = 1;
            cinfo->comp_info[i].v_samp_factor = 1;
        }
    }
    jpeg_start_compress(cinfo, TRUE);
    return true;
}

bool RunRows(JpegStreamEncoder::State* st, const QImage* band, int rows) {
    if (setjmp(st->Err.Jump)) return false;
    for (int y = 0; y < rows; ++y) {
        JSAMPROW row = const_cast<JSAMPROW>(band->constScanLine(y));
        if (jpeg_write_scanlines(&st->Info, &row, 1) != 1) return false;
    }
    return true;
}

bool RunFinish(JpegStreamEncoder::State* st) {
    if (setjmp(st->Err.Jump)) return false;
    jpeg_finish_compress(&st->Info);
    return true;
}

}  // namespace

JpegStreamEncoder::JpegStreamEncoder() : state_(std::make_unique<State>()) {}

JpegStreamEncoder::~JpegStreamEncoder() {
    if (state_->Created) jpeg_destroy_compress(&state_->Info);
}

bool JpegStreamEncoder::Start(int width, int height, int quality, Sink sink) {
    State* st = state_.get();
    if (st->Created || width < 1 || height < 1 || width > 65500 || height > 65500) {
        st->Failed = true;
        return false;
    }
    InstallErrorManager(st->Err);
    st->Info.err = &st->Err.Pub;
    jpeg_create_compress(&st->Info);
    st->Info.client_data = st;
    st->Created = true;
    st->Out = std::move(sink);
    st->Failed = !RunStart(st, width, height, ClampJpegQuality(quality));
    return !st->Failed;
}

bool JpegStreamEncoder::WriteRows(const QImage& band, int rows) {
    State* st = state_.get();
    if (st->Failed || !st->Created || band.format() != QImage::Format_RGB32 ||
        band.width() != static_cast<int>(st->Info.image_width) || rows < 0 ||
        rows > band.height() ||
        st->Info.next_scanline + static_cast<JDIMENSION>(rows) > st->Info.image_height) {
        st->Failed = true;
        return false;
    }
    st->Failed = !RunRows(st, &band, rows);
    return !st->Failed;
}

bool JpegStreamEncoder::Finish() {
    State* st = state_.get();
    if (st->Failed || !st->Created || st->Info.next_scanline != st->Info.image_height) {
        st->Failed = true;
        return false;
    }
    st->Failed = !RunFinish(st);
    return !st->Failed;
}

// The picture in one band, through the same encoder as the image output.
std::optional<QByteArray> EncodeJpeg(const QImage& image, int quality) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return std::nullopt;
    const QImage rgb32 = image.format() == QImage::Format_RGB32
                             ? image
                             : image.convertToFormat(QImage::Format_RGB32);
    if (rgb32.isNull()) return std::nullopt;
    QByteArray bytes;
    JpegStreamEncoder encoder;
    const bool encoded = encoder.Start(rgb32.width(), rgb32.height(), quality,
                                       [&](const char* data, std::size_t size) {
                                           bytes.append(data, static_cast<qsizetype>(size));
                                           return true;
                                       }) &&
                         encoder.WriteRows(rgb32, rgb32.height()) && encoder.Finish();
    if (!encoded || bytes.isEmpty()) return std::nullopt;
    return bytes;
}

}  // namespace qv
