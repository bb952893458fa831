#include "core/io/fragment_file.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <vector>

#include "core/fs/file_identity.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/text/cp932.h"
#include "core/text/sjis.h"
#include "core/text/text_helpers.h"
#include "core/text/unicode.h"

namespace qv {

namespace {

// Only this much of the first line is looked at, as the file test always has.
constexpr std::size_t kHeaderProbeBytes = 1023;

// Card sizes a file may give; others fall back to the settings.
constexpr int kMaxFileColumns = 40;
constexpr int kMaxFileLines = 20;

bool HasCsvExtension(std::string_view path) {
    // '/' and '.' are never trail bytes, so plain byte searches are safe on double-byte names.
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return false;
    return sjis::UpperAscii(path.substr(dot)) == ".CSV";
}

std::string_view FirstLine(std::string_view bytes) {
    const std::size_t end = bytes.find_first_of("\r\n");
    return end == std::string_view::npos ? bytes : bytes.substr(0, end);
}

// More than one line (the header) in the text?
bool HasSecondLine(std::string_view bytes) {
    std::size_t end = bytes.find_first_of("\r\n");
    if (end == std::string_view::npos) return false;
    if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
    return end + 1 < bytes.size();
}

std::optional<Color> ParseColor(std::string_view text) {
    // Written as signed decimals; the unsigned form of the same 32 bits is accepted as well.
    const auto v = ParseDecimal(text, std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::uint32_t>::max());
    if (!v) return std::nullopt;
    return ColorFromSigned(*v);
}

struct CardCode {
    FragmentKind Kind;
    int Group;
};

// The kind and group of a card code. Codes in the ranges the writer produces (g, -g, 1000 + g,
// 1500 + g with g 0..100) name their group exactly; any other code keeps its last two digits.
CardCode DecodeCard(int code) {
    const std::int64_t c = code;
    CardCode r{FragmentKind::Text, 0};
    std::int64_t base = 0;
    if (c < 0) {
        r.Kind = FragmentKind::NamePlate;
    } else if (c >= kImageCodeBase) {
        r.Kind = FragmentKind::Image;
        base = kImageCodeBase;
    } else if (c >= kSymbolCodeBase) {
        r.Kind = FragmentKind::Symbol;
        base = kSymbolCodeBase;
    }
    std::int64_t g = c < 0 ? -c : c - base;
    if (g > kMaxGroup) g = (c < 0 ? -c : c) % 100;
    r.Group = static_cast<int>(g);
    // Only a group can have a name plate.
    if (r.Kind == FragmentKind::NamePlate && r.Group == kNoGroup) r.Kind = FragmentKind::Text;
    return r;
}

int EncodeCard(const Fragment& f) {
    switch (f.Kind) {
        case FragmentKind::NamePlate:
            return -f.Group;
        case FragmentKind::Symbol:
            return f.Group + kSymbolCodeBase;
        case FragmentKind::Image:
            return f.Group + kImageCodeBase;
        default:
            return f.Group;
    }
}

class FragmentReader {
  public:
    FragmentReader(FragSet& set) : set_(set), env_(set.Env()) {}

    struct Counts {
        int Read = 0;
        int Dropped = 0;
    };

    Counts ReadFragmentLines(std::string_view bytes) {
        set_.FixedSize = false;
        Counts counts;
        bool full = false;
        ForEachLine(bytes, [&](std::string_view line, std::size_t index) {
            if (index == 0 || line.empty()) return true;
            if (SplitFields(line, 9, fields_) == 0) return true;
            const int code = ParseInt(fields_[1]).value_or(1);
            if (code == kPageSizeCode) {
                ReadPageSize();
            } else if (code == kDivisionCode) {
                set_.DivColumns = ParseInt(fields_[4]).value_or(0);
                set_.DivRows = ParseInt(fields_[5]).value_or(0);
            } else if (code > kGroupLineCodeBase &&
                       code <= kGroupLineCodeBase + kLineReverseDoubleArrow) {
                ReadGroupLine(code - kGroupLineCodeBase);
            } else {
                // Past the limit the cards are counted, and the page and the lines after them are
                // still worth having.
                full = full || !ReadCard(code);
                ++(full ? counts.Dropped : counts.Read);
            }
            return true;
        });
        return counts;
    }

    // A foreign CSV: the first field of every line after the first becomes a text card.
    Counts ReadTextLines(std::string_view bytes) {
        const int group = env_.NewNoGroup ? kNoGroup : set_.CurrentGroup();
        Counts counts;
        ForEachLine(bytes, [&](std::string_view line, std::size_t index) {
            if (index == 0 || line.empty()) return true;
            SplitFields(line, 1, fields_);
            if (fields_[0].empty()) return true;
            if (counts.Dropped > 0) {
                ++counts.Dropped;
                return true;
            }
            Fragment* f = set_.AddFragment();
            if (!f) {
                ++counts.Dropped;
                return true;
            }
            ++counts.Read;
            f->Text = std::move(fields_[0]);
            f->Group = group;
            f->Kind = FragmentKind::Text;
            f->Columns = env_.FrgWidth;
            f->Lines = env_.FrgHeight;
            f->ColFG = env_.Colors.DefFrgFG;
            f->ColBG = env_.Colors.DefFrgBG;
            const Point p = set_.NewFragmentPosition(
                f->Columns, f->Lines,
                static_cast<int>(std::min<std::size_t>(index, std::numeric_limits<int>::max())));
            f->Left = p.X;
            f->Top = p.Y;
            f->Measure();
            return true;
        });
        return counts;
    }

  private:
    void ReadPageSize() {
        set_.FixedSize = true;
        // A page needs a real size; anything else takes the size a new fixed page gets.
        const auto w = ParseInt(fields_[4]);
        const auto h = ParseInt(fields_[5]);
        set_.FixedWidth = w && *w >= 1 ? *w : env_.DefScrWidth;
        set_.FixedHeight = h && *h >= 1 ? *h : env_.DefScrHeight;
    }

    void ReadGroupLine(int type) {
        const int from = ParseInt(fields_[2]).value_or(-1);
        const int to = ParseInt(fields_[3]).value_or(-1);
        if (from < 1 || from > kMaxGroup || to < 1 || to > kMaxGroup || from == to) return;
        TArrowList& lines = set_.GroupLines;
        if (std::any_of(lines.begin(), lines.end(),
                        [&](const ArrowLine& l) { return l.Joins(from, to); }))
            return;
        ArrowLine line;
        line.From = from;
        line.To = to;
        line.Type = type;
        line.Width = SanitizeLineWidth(ParseInt(fields_[4]).value_or(1));
        lines.push_back(line);
    }

    // False when the set refuses another card.
    bool ReadCard(int code) {
        Fragment* f = set_.AddFragment();
        if (!f) return false;
        const CardCode card = DecodeCard(code);
        f->Text = std::move(fields_[0]);
        f->Kind = card.Kind;
        f->Group = card.Group;
        f->Left = ParseInt(fields_[2]).value_or(2);
        f->Top = ParseInt(fields_[3]).value_or(2);
        const auto columns = ParseInt(fields_[4]);
        f->Columns =
            columns && *columns >= 1 && *columns <= kMaxFileColumns ? *columns : env_.FrgWidth;
        const auto lines = ParseInt(fields_[5]);
        f->Lines = lines && *lines >= 1 && *lines <= kMaxFileLines ? *lines : env_.FrgHeight;
        const bool plate = card.Kind == FragmentKind::NamePlate;
        f->ColFG =
            ParseColor(fields_[6]).value_or(plate ? env_.Colors.NamFrgFG : env_.Colors.DefFrgFG);
        f->ColBG =
            ParseColor(fields_[7]).value_or(plate ? env_.Colors.NamFrgBG : env_.Colors.DefFrgBG);
        f->Link = std::move(fields_[8]);
        f->LoadPicture();
        f->Measure();
        return true;
    }

    FragSet& set_;
    const EnvData& env_;
    std::vector<std::string> fields_;
};

// ---- Writing ----

void AppendInt(std::string& out, std::int64_t v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

// A text as a quoted field: quotes doubled byte by byte (the reader finds quotes byte by byte, so
// a quote after a stray lead byte must be doubled too). A line break cannot live inside a line of
// the file; it is kept as the line-break marker, as the editor stores it.
void AppendQuoted(std::string& out, std::string_view text, std::string_view marker) {
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            out += "\"\"";
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += marker;
        } else {
            out += c;
        }
    }
    out += '"';
}

// A link is written bare when it reads back bare: no comma or quote inside, and no blank or control
// byte at either end (the field splitter trims those).
bool LinkNeedsQuotes(std::string_view link) {
    if (link.empty()) return false;
    if (static_cast<unsigned char>(link.front()) <= 0x20 ||
        static_cast<unsigned char>(link.back()) <= 0x20)
        return true;
    return link.find_first_of(",\"") != std::string_view::npos;
}

void AppendLink(std::string& out, std::string_view link) {
    std::string clean;
    if (link.find_first_of("\r\n") != std::string_view::npos) {
        // No file name holds a line break; one would split the line.
        for (char c : link)
            if (c != '\r' && c != '\n') clean += c;
        link = clean;
    }
    if (LinkNeedsQuotes(link))
        AppendQuoted(out, link, {});
    else
        out.append(link);
}

// Label, code and four numbers, then the two colour fields (0) and an empty link.
void AppendSpecialLine(std::string& out, std::string_view label, int code, int a, int b, int c,
                       int d) {
    out.append(label);
    for (int v : {code, a, b, c, d}) {
        out += ',';
        AppendInt(out, v);
    }
    out += ",0,0,\r\n";  // colours and an empty link
}

}  // namespace

namespace {

// Whether the file starting with `bytes` is a fragment file by its first line, in whichever of
// code page 932, UTF-8 or UTF-16 it is written.
bool StartsWithFragmentHeader(std::string_view bytes) {
    if (HasUtf16Bom(bytes)) {
        const std::optional<std::string> utf8 =
            Utf16ToUtf8(bytes.substr(0, std::min(bytes.size(), 2 + 2 * kHeaderProbeBytes)));
        return utf8 && IsFragmentFileHeader(FirstLine(*utf8));
    }
    return IsFragmentFileHeader(FirstLine(bytes));
}

}  // namespace

bool IsFragmentFileHeader(std::string_view firstLine) {
    if (firstLine.starts_with(kUtf8Bom)) firstLine.remove_prefix(kUtf8Bom.size());
    firstLine = firstLine.substr(0, std::min(firstLine.size(), kHeaderProbeBytes));
    return firstLine.size() > kFragmentFileMagic.size() &&
           firstLine.substr(0, kFragmentFileMagic.size()) == kFragmentFileMagic &&
           firstLine[kFragmentFileMagic.size()] == ',';
}

FragmentFileCheck CheckFragmentFile(std::string_view path, WholeFile* probe) {
    const bool csv = HasCsvExtension(path);
    if (!csv && !probe) return FragmentFileCheck::NotCsv;
    // Enough for the first line in UTF-16 too.
    WholeFile start = ReadFileStart(std::filesystem::path(path), 2 + 2 * kHeaderProbeBytes);
    const bool header =
        start.Status == WholeFile::Result::Read && StartsWithFragmentHeader(start.Bytes);
    if (probe) *probe = std::move(start);
    if (!csv) return FragmentFileCheck::NotCsv;
    return header ? FragmentFileCheck::FragmentFile : FragmentFileCheck::Csv;
}

std::string Utf8LinesToCp932(std::string_view text, std::vector<int>& badLines) {
    std::string out;
    out.reserve(text.size());
    ForEachLine(text, [&](std::string_view line, std::size_t index) {
        const Cp932Encoding enc = Utf8ToCp932(line, kUnconvertibleMark);
        if (!enc.Complete)
            badLines.push_back(static_cast<int>(
                std::min<std::size_t>(index + 1, std::numeric_limits<int>::max())));
        out += enc.Bytes;
        out += "\r\n";
        return true;
    });
    return out;
}

std::string_view Cp932Text(std::string_view bytes, std::string& converted, ReadResult& result) {
    std::optional<std::string> utf16 = Utf16ToUtf8(bytes);
    if (utf16) {
        bytes = *utf16;
        result.Utf16 = true;
    }
    if (!bytes.starts_with(kUtf8Bom)) return bytes;
    converted = Utf8LinesToCp932(bytes.substr(kUtf8Bom.size()), result.UnconvertibleLines);
    result.ConvertedFromUtf8 = true;
    return converted;
}

ReadResult ReadFragmentBytes(FragSet& set, std::string_view bytes, bool fragmentFile, bool merge) {
    ReadResult result;
    result.Status = ReadStatus::Read;
    std::string converted;
    bytes = Cp932Text(bytes, converted, result);
    if (!bytes.empty()) {
        if (!merge) {
            set.EraseGroupLines();
            set.GroupLines.clear();
            set.SelectedLine = -1;
        }
        FragmentReader reader(set);
        const FragmentReader::Counts counts =
            fragmentFile ? reader.ReadFragmentLines(bytes) : reader.ReadTextLines(bytes);
        result.CardsRead = counts.Read;
        result.CardsDropped = counts.Dropped;
        if (counts.Dropped > 0) result.Status = ReadStatus::CutShort;
        // Merging never clears changes the document already had.
        if (merge && HasSecondLine(bytes)) set.Modified = true;
    }
    set.Recount();
    set.ComputeWholeSize();
    set.RefreshRequest();
    return result;
}

FragmentFileCheck CheckFragmentBytes(std::string_view path, std::string_view bytes) {
    if (!HasCsvExtension(path)) return FragmentFileCheck::NotCsv;
    return StartsWithFragmentHeader(bytes) ? FragmentFileCheck::FragmentFile
                                           : FragmentFileCheck::Csv;
}

ReadResult ReadFragmentFile(FragSet& set, std::string_view path, bool merge) {
    return ReadFragmentFile(
        set, path, ReadWholeFile(std::filesystem::path(path), kMaxDocumentFileSize), merge);
}

ReadResult ReadFragmentFile(FragSet& set, std::string_view path, const WholeFile& bytes,
                            bool merge) {
    const std::filesystem::path file(path);
    if (bytes.Status != WholeFile::Result::Read) return ReadResult::Failed(bytes);
    const bool fragmentFile =
        CheckFragmentBytes(path, bytes.Bytes) == FragmentFileCheck::FragmentFile;
    ReadResult result = ReadFragmentBytes(set, bytes.Bytes, fragmentFile, merge);
    if (!merge) {
        if (set.FileName.empty()) {
            set.ReadOnly = IsReadOnlyFile(file);
            set.FileName = std::string(path);
        }
        // Saving a document that lacks some of its file's cards, or holds "〓" for characters it
        // could not keep, over that file would lose them.
        if (!result.Complete()) set.ReadOnly = true;
        if (result.ConvertedFromUtf8) set.Modified = true;
        // What was read is where undo stops.
        set.History().Reset();
    }
    if (!result.Complete()) {
        if (const auto id = IdentityOf(file)) set.IncompleteSources.push_back(*id);
    }
    return result;
}

std::string FragmentFileText(const FragSet& set) {
    std::string out;
    // Most lines are short: a text, eight numbers and maybe a path.
    out.reserve(96 + static_cast<std::size_t>(set.Count()) * 96);
    out.append(kFragmentFileHeader);
    out += "\r\n";
    const std::string_view marker = set.Env().CR_String;
    for (const auto& p : set.Fragments()) {
        const Fragment& f = *p;
        AppendQuoted(out, f.Text, marker);
        for (std::int64_t v :
             {std::int64_t{EncodeCard(f)}, std::int64_t{f.Left}, std::int64_t{f.Top},
              std::int64_t{f.Columns}, std::int64_t{f.Lines}, std::int64_t{ColorToSigned(f.ColFG)},
              std::int64_t{ColorToSigned(f.ColBG)}}) {
            out += ',';
            AppendInt(out, v);
        }
        out += ',';
        AppendLink(out, f.Link);
        out += "\r\n";
    }
    for (const ArrowLine& line : set.GroupLines)
        AppendSpecialLine(out, kGroupLineLabel, kGroupLineCodeBase + SanitizeLineType(line.Type),
                          line.From, line.To, line.Width, 0);
    if (set.FixedSize)
        AppendSpecialLine(out, kPageSizeLabel, kPageSizeCode, 0, 0, set.FixedWidth,
                          set.FixedHeight);
    if (set.DivColumns > 1 || set.DivRows > 1)
        AppendSpecialLine(out, kDivisionLabel, kDivisionCode, 0, 0, set.DivColumns, set.DivRows);
    return out;
}

WriteResult SaveFragmentFile(FragSet& set, std::string_view path) {
    const std::filesystem::path file(path);
    if (const auto id = IdentityOf(file)) {
        const auto& sources = set.IncompleteSources;
        if (std::find(sources.begin(), sources.end(), *id) != sources.end())
            return {WriteProblem::Incomplete,
                    "not writing " + std::string(path) +
                        ": the document holds only part of that file, so saving over it would "
                        "lose the rest"};
    }
    const std::string text = FragmentFileText(set);
    if (text.size() > kMaxDocumentFileSize)
        return {WriteProblem::TooLarge,
                "not writing " + std::string(path) + ": the document would take " +
                    std::to_string((text.size() + (1u << 20) - 1) >> 20) + " MiB, more than the " +
                    std::to_string(kMaxDocumentFileSize >> 20) +
                    " MiB a document file can be read with"};
    WriteResult written = ReplaceFileAtomically(file, text);
    if (!written) return written;
    set.FileName = std::string(path);
    set.History().MarkSaved();
    set.Modified = false;
    set.ReadOnly = false;
    return written;
}

}  // namespace qv
