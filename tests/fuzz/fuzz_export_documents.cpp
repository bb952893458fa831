// The exporters as consumers of hostile documents: any bytes read as a document (as a fragment
// file, or as a plain CSV of texts) must export to well-formed SVG, to a JSON Canvas that parses
// as one JSON object and to a Markdown outline of headings and items only, all in UTF-8. The SVG
// goes through the real exporter into a file, as the program writes it; the canvas is its text, as
// the exporter writes it.
//
// Card texts, links and group names are code page 932 bytes and may be anything; whatever they
// hold, the files are valid UTF-8.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QString>
#include <QXmlStreamReader>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/export/json_canvas.h"
#include "core/export/markdown_outline.h"
#include "core/io/fragment_file.h"
#include "core/settings/env_data.h"
#include "render/formats/document_export.h"
#include "render/painting/offscreen_document.h"
#include "render/painting/render_cache.h"

namespace {

std::string g_folder;

// Whether `bytes` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned c = *p;
        int n = 0;
        unsigned min = 0, v = 0;
        if (c < 0x80) {
            ++p;
            continue;
        }
        if ((c & 0xE0) == 0xC0) {
            n = 1, min = 0x80, v = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2, min = 0x800, v = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3, min = 0x10000, v = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= n) return false;
        for (int i = 1; i <= n; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            v = (v << 6) | (p[i] & 0x3F);
        }
        if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return false;
        p += n + 1;
    }
    return true;
}

// Whether a line's content would start a block of its own: a heading, list, quote, rule, code,
// table or HTML.
bool StartsBlock(std::string_view s) {
    if (s.empty()) return false;
    if (std::string_view(" \t#-+*=>`~|<_").find(s[0]) != std::string_view::npos) return true;
    std::size_t i = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i;
    return i > 0 && i < s.size() && (s[i] == '.' || s[i] == ')');
}

// Every line is a heading, an item, an item's continuation after a hard break, or blank.
bool IsOutline(std::string_view md) {
    bool hardBreak = false;
    bool inItem = false;
    while (!md.empty()) {
        const std::size_t end = md.find('\n');
        if (end == std::string_view::npos) return false;  // every line ends
        const std::string_view line = md.substr(0, end);
        md.remove_prefix(end + 1);
        if (line.find('\r') != std::string_view::npos) return false;
        std::string_view content;
        if (line.starts_with("## ")) {
            content = line.substr(3);
            inItem = false;
        } else if (line == "-" || line.starts_with("- ")) {
            content = line.substr(line.size() > 1 ? 2 : 1);
            inItem = true;
        } else if (line.starts_with("  ") && line.size() > 2) {
            if (!inItem || !hardBreak) return false;
            content = line.substr(2);
        } else if (line.empty()) {
            inItem = false;
        } else {
            return false;
        }
        if (StartsBlock(content)) return false;
        hardBreak = line.ends_with("  ");
    }
    return true;
}

}  // namespace

// Fontconfig keeps its font patterns for the life of the process; they are not our leaks.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    char folder[] = "/tmp/qv-fuzz-export-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    g_folder = folder;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(g_folder, ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    qv::EnvData env;
    // The first byte switches the display settings that change what is exported.
    env.GroupLine = data[0] & 1;
    env.DivLine = data[0] & 2;
    env.ImageIsBack = data[0] & 4;
    qv::OffscreenDocument doc(env);
    qv::FragSet& set = doc.Set();
    qv::ReadFragmentBytes(set, bytes, !(data[0] & 8), false);
    set.Recount();
    set.RefreshVisibility();

    qv::RenderCache cache;
    const std::string svgPath = g_folder + "/page.svg";
    const qv::WriteResult written = qv::ExportDocument(set, svgPath, qv::ExportFormat::Svg, cache);
    if (written) {
        QFile file(QString::fromStdString(svgPath));
        if (!file.open(QIODevice::ReadOnly)) std::abort();
        const QByteArray svg = file.readAll();
        if (!IsUtf8(std::string_view(svg.constData(), static_cast<std::size_t>(svg.size()))))
            std::abort();
        QXmlStreamReader xml(svg);
        while (!xml.atEnd())
            xml.readNext();
        if (xml.hasError()) {
            std::fprintf(stderr, "SVG: %s\n", qPrintable(xml.errorString()));
            std::abort();
        }
        QFile::remove(QString::fromStdString(svgPath));
    } else if (written.Problem == qv::WriteProblem::Unencodable) {
        // Only the file system may refuse; the SVG itself is always made.
        std::fprintf(stderr, "SVG not made: %s\n", written.Error.c_str());
        std::abort();
    }

    const std::string canvas = qv::JsonCanvasText(set);
    if (!IsUtf8(canvas)) std::abort();
    const QByteArray json(canvas.data(), static_cast<qsizetype>(canvas.size()));
    QJsonParseError parsed{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parsed);
    if (parsed.error != QJsonParseError::NoError || !document.isObject()) {
        std::fprintf(stderr, "canvas: %s at %d\n", qPrintable(parsed.errorString()), parsed.offset);
        std::abort();
    }

    const std::string md = qv::MarkdownOutlineText(set);
    if (!IsUtf8(md) || md.starts_with("\xef\xbb\xbf") || !IsOutline(md)) {
        std::fprintf(stderr, "Markdown outline broken:\n%s\n", md.c_str());
        std::abort();
    }
    return 0;
}
