#include "core/content/japanese_codes.h"

#include <cstddef>

#include "core/text/cp932.h"
#include "core/text/iconv_converter.h"

namespace qv {

namespace {

constexpr char kEsc = 0x1B;
constexpr char kShiftOut = 0x0E;
constexpr char kShiftIn = 0x0F;

unsigned char Byte(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

struct EucSequence {
    std::size_t Length;  // bytes taken, at least 1
    bool Valid;
};

bool InRange(unsigned char b, unsigned char lo, unsigned char hi) {
    return b >= lo && b <= hi;
}

// The shape of the EUC-JP character starting at p. A broken sequence takes its lead byte and the
// continuation bytes that did fit, so an ASCII byte after a stray lead byte (a "<" of a tag, say)
// is never swallowed.
EucSequence EucAt(std::string_view s, std::size_t p) {
    unsigned char b = Byte(s, p);
    if (b < 0x80) return {1, true};
    unsigned char lo = 0xA1;
    unsigned char hi = 0xFE;
    std::size_t need = 2;
    if (b == 0x8E) {
        hi = 0xDF;
    } else if (b == 0x8F) {
        need = 3;
    } else if (!InRange(b, 0xA1, 0xFE)) {
        return {1, false};
    }
    std::size_t len = 1;
    while (len < need && p + len < s.size() && InRange(Byte(s, p + len), lo, hi))
        ++len;
    return {len, len == need};
}

void AppendSjis(std::string& out, std::uint16_t code) {
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
}

// Rows 89..92 hold the IBM kanji as Windows and web browsers read EUC-JP; the EUC-JP-MS table
// puts user-defined characters there instead. The arithmetic conversion gives the code page 932
// codes of those kanji.
bool IsIbmRow(std::string_view s, std::size_t p) {
    return InRange(Byte(s, p), 0xF9, 0xFC) && p + 1 < s.size() &&
           InRange(Byte(s, p + 1), 0xA1, 0xFE);
}

// Code page 932 has no character at a few codes the arithmetic reaches in the vendor rows.
bool IsUnassignedVendorCode(std::uint16_t sjis) {
    return sjis == 0xEEED || sjis == 0xEEEE;
}

// Well-formed EUC-JP by arithmetic: JIS X 0208 and the vendor rows by JisCodeToSjis, katakana
// by offset; JIS X 0212 becomes "?". The only path when the system has no EUC-JP converter.
void ArithmeticEucSequence(std::string_view seq, std::string& out) {
    unsigned char b = Byte(seq, 0);
    if (seq.size() == 1) {
        out += static_cast<char>(b);
    } else if (b == 0x8E) {
        out += seq[1];
    } else if (seq.size() == 2) {
        std::uint16_t sjis =
            JisCodeToSjis(static_cast<std::uint16_t>(((b & 0x7F) << 8) | (Byte(seq, 1) & 0x7F)));
        if (sjis && !IsUnassignedVendorCode(sjis)) {
            AppendSjis(out, sjis);
        } else {
            out += '?';
        }
    } else {
        out += '?';
    }
}

}  // namespace

std::uint16_t JisCodeToSjis(std::uint16_t jis) {
    unsigned j1 = jis >> 8;
    unsigned j2 = jis & 0xFF;
    if (jis > 0x7E7E || jis <= 0x2120 || j2 <= 0x20 || j2 >= 0x7F) return 0;
    unsigned lead = (j1 + 1) / 2 + (j1 <= 0x5E ? 0x70 : 0xB0);
    unsigned trail = (j1 & 1) ? (j2 < 0x60 ? j2 + 0x1F : j2 + 0x20) : j2 + 0x7E;
    return static_cast<std::uint16_t>((lead << 8) | trail);
}

std::string EucToSjis(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    // The Microsoft flavour knows the vendor rows (circled numbers, IBM kanji) that pages written
    // on Windows contain; plain EUC-JP is the next best.
    IconvConverter converter("CP932", {"EUC-JP-MS", "EUC-JP"});
    IconvConverter* cv = converter.Ok() ? &converter : nullptr;
    std::size_t p = 0;
    while (p < text.size()) {
        EucSequence seq = EucAt(text, p);
        if (!seq.Valid) {
            out += '?';
            p += seq.Length;
            continue;
        }
        if (Byte(text, p) < 0x80) {
            // ASCII is the same in both encodings; markup is mostly ASCII, so copy it directly.
            std::size_t end = p + 1;
            while (end < text.size() && Byte(text, end) < 0x80)
                ++end;
            out.append(text.substr(p, end - p));
            p = end;
            continue;
        }
        if (!cv || IsIbmRow(text, p)) {
            ArithmeticEucSequence(text.substr(p, seq.Length), out);
            p += seq.Length;
            continue;
        }
        // Hand the longest run of well-formed double-byte sequences to iconv at once.
        std::size_t end = p + seq.Length;
        while (end < text.size() && Byte(text, end) >= 0x80 && !IsIbmRow(text, end)) {
            EucSequence next = EucAt(text, end);
            if (!next.Valid) break;
            end += next.Length;
        }
        std::string_view run = text.substr(p, end - p);
        while (!run.empty()) {
            if (cv->Convert(run, out)) break;
            // A code with no character behind it, or one code page 932 cannot hold.
            out += '?';
            run.remove_prefix(EucAt(run, 0).Length);
            cv->Reset();
        }
        p = end;
    }
    return out;
}

std::string JisToSjis(std::string_view text) {
    // The escape sequences are unwrapped here into EUC-JP, whose converter then does the
    // character mapping; iconv's own ISO-2022-JP decoders reject the vendor rows and SO/SI.
    enum class Set { Ascii, Katakana, Jis0208, Jis0212, Other94, Other94x94 };
    Set g0 = Set::Ascii;
    bool shiftedOut = false;
    std::string euc;
    euc.reserve(text.size());
    std::size_t p = 0;
    while (p < text.size()) {
        char c = text[p];
        unsigned char b = Byte(text, p);
        if (c == kEsc) {
            std::size_t q = p + 1;
            while (q < text.size() && InRange(Byte(text, q), 0x20, 0x2F))
                ++q;
            if (q >= text.size() || !InRange(Byte(text, q), 0x30, 0x7E)) {
                // A broken escape sequence: mark it and go on after its intermediate bytes.
                euc += '?';
                p = q;
                continue;
            }
            std::string_view mid = text.substr(p + 1, q - p - 1);
            char fin = text[q];
            if (mid == "(") {
                g0 = (fin == 'B' || fin == 'J' || fin == 'H') ? Set::Ascii
                     : fin == 'I'                             ? Set::Katakana
                                                              : Set::Other94;
            } else if (mid == "$" || mid == "$(") {
                g0 = (fin == '@' || fin == 'B')    ? Set::Jis0208
                     : (fin == 'D' && mid == "$(") ? Set::Jis0212
                                                   : Set::Other94x94;
            }
            // Anything else (the JIS X 0208-1990 announcer ESC & @, designations to G1..G3,
            // single shifts) leaves the G0 set alone.
            p = q + 1;
            continue;
        }
        if (c == kShiftOut || c == kShiftIn) {
            shiftedOut = c == kShiftOut;
            ++p;
            continue;
        }
        if (b >= 0x80) {
            euc += '?';  // no eight-bit bytes in a seven-bit encoding
            ++p;
            continue;
        }
        if (b <= 0x20 || b == 0x7F) {
            euc += c;  // controls and blanks stand for themselves in every set
            ++p;
            continue;
        }
        Set set = shiftedOut ? Set::Katakana : g0;
        switch (set) {
            case Set::Ascii:
                euc += c;
                ++p;
                continue;
            case Set::Katakana:
                if (b <= 0x5F) {
                    euc += static_cast<char>(0x8E);
                    euc += static_cast<char>(b | 0x80);
                } else {
                    euc += '?';
                }
                ++p;
                continue;
            case Set::Other94:
                euc += '?';
                ++p;
                continue;
            default:
                break;
        }
        if (p + 1 >= text.size() || !InRange(Byte(text, p + 1), 0x21, 0x7E)) {
            euc += '?';  // half a double-byte character
            ++p;
            continue;
        }
        if (set == Set::Other94x94) {
            euc += '?';
        } else {
            if (set == Set::Jis0212) euc += static_cast<char>(0x8F);
            euc += static_cast<char>(b | 0x80);
            euc += static_cast<char>(Byte(text, p + 1) | 0x80);
        }
        p += 2;
    }
    return EucToSjis(euc);
}

std::string Utf8ToAnsi(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    return Utf8ToCp932(text).Bytes;
}

}  // namespace qv
