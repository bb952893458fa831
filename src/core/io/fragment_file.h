// The fragment file: a document as comma-separated code page 932 text. The header line names the
// nine columns; then one line per card (stacking order), one per group line, the fixed page size
// and the division grid, each line ending in CR LF:
//
//   #Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link
//   "text",code,Left,Top,Columns,Lines,ColFG,ColBG,link
//   #関係線,2000+type,from,to,width,0,0,0,
//   #画面サイズ,5001,0,0,FixedWidth,FixedHeight,0,0,
//   #画面分割線,5002,0,0,DivColumns,DivRows,0,0,
//
// The card code is the group g (Text), -g (NamePlate), 1000 + g (Symbol) or 1500 + g (Image).
// Colours are signed decimals of 0x00BBGGRR. Texts are always quoted with inner quotes doubled;
// a link is written bare unless it holds a comma or a quote, or starts or ends with a blank or a
// control byte, which would not read back bare; then it is quoted like a text.
//
// A file that starts with a UTF-8 or UTF-16 byte-order mark (a document an editor saved as
// Unicode) is read the same way once its lines are converted to code page 932.
//
// Paths are file-system paths, the user's own bytes; only links inside the file are code page 932.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/fs/atomic_file.h"
#include "core/fs/read_file.h"
#include "core/io/read_result.h"

namespace qv {

class FragSet;

// The header line, and the first field that makes a CSV a fragment file.
inline constexpr std::string_view kFragmentFileHeader =
    "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link";
inline constexpr std::string_view kFragmentFileMagic = "#Quillovarsta";

// Codes of the lines that are not cards.
inline constexpr int kGroupLineCodeBase = 2000;  // + line type 1..4
inline constexpr int kPageSizeCode = 5001;
inline constexpr int kDivisionCode = 5002;
// Card codes: Symbol and Image are offset from the group number.
inline constexpr int kSymbolCodeBase = 1000;
inline constexpr int kImageCodeBase = 1500;

// Labels of the special lines, for the human reader only: "#関係線", "#画面サイズ", "#画面分割線".
inline constexpr std::string_view kGroupLineLabel = "#\x8a\xd6\x8c\x57\x90\xfc";
inline constexpr std::string_view kPageSizeLabel = "#\x89\xe6\x96\xca\x83\x54\x83\x43\x83\x59";
inline constexpr std::string_view kDivisionLabel = "#\x89\xe6\x96\xca\x95\xaa\x8a\x84\x90\xfc";

// The UTF-8 byte-order mark, and "〓", which stands for a character of a UTF-8 file that code page
// 932 cannot hold.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
inline constexpr std::string_view kUnconvertibleMark = "\x81\xAC";

enum class FragmentFileCheck {
    NotCsv,        // the name does not end in ".CSV" (any letter case)
    Csv,           // a CSV name, but not a fragment file (or it cannot be read)
    FragmentFile,  // a CSV whose first line starts with "#Quillovarsta," (after a UTF-8 mark)
};

// Tells the kind of the file at `path`. A CSV name that cannot be read counts as Csv; `probe`
// (when given) then says why it could not be read (Status Read when it could).
FragmentFileCheck CheckFragmentFile(std::string_view path, WholeFile* probe = nullptr);
// The same for a file whose bytes were read already.
FragmentFileCheck CheckFragmentBytes(std::string_view path, std::string_view bytes);

// Whether a first line marks a fragment file: its first comma-separated field is exactly
// "#Quillovarsta" and a comma follows it. A UTF-8 byte-order mark before it is passed over. Only
// the first 1023 bytes of the line count.
bool IsFragmentFileHeader(std::string_view firstLine);

// Reads the file at `path` into `set`; with `merge` the cards, group lines, page size and grid of
// the file are added to the set's own, otherwise the set (normally new and empty) takes the file's
// lines and, unless it already has a name, the file's path and read-only state.
//
// A CSV that is not a fragment file is read as texts: the first field of each line from the
// second on becomes a text card of the current group (the caller asks the user first).
//
// When the fragment limit stops the reading of cards (after the model's warning), the remaining
// group lines, page size and grid are still read and the cards left out are counted. A document
// opened this way (not merged), or from a UTF-8 file with texts code page 932 cannot hold, is made
// read-only; in any case the file joins the set's IncompleteSources, so that it is never written
// over with what the document lacks. A UTF-8 document opened whole is marked modified. A document
// read (not merged) starts its edit history here.
//
// With Missing or Unreadable the set is untouched.
ReadResult ReadFragmentFile(FragSet& set, std::string_view path, bool merge);
// ReadFragmentFile on the bytes of `path` read already (ReadWholeFile with kMaxDocumentFileSize),
// so that opening a document reads its file once.
ReadResult ReadFragmentFile(FragSet& set, std::string_view path, const WholeFile& bytes,
                            bool merge);

// The reading part of ReadFragmentFile on bytes already in memory: `fragmentFile` tells how to
// read them (as CheckFragmentFile would). Names, read-only state and IncompleteSources are left to
// the caller. The result is Read or CutShort.
ReadResult ReadFragmentBytes(FragSet& set, std::string_view bytes, bool fragmentFile, bool merge);

// The bytes SaveFragmentFile writes for `set`.
std::string FragmentFileText(const FragSet& set);

// Writes `set` to `path` (replacing it atomically: on failure the previous file is unchanged).
// Refused: a file among the set's IncompleteSources (however the path spells it), a document whose
// file would be larger than a document may be (it could not be read back), and whatever
// ReplaceFileAtomically refuses. On success the set is named by the path, not modified and not
// read-only, and its edit history knows the state now as the saved one. On failure the set is unchanged and the result says why.
WriteResult SaveFragmentFile(FragSet& set, std::string_view path);

// Replaces every line of UTF-8 `text` by its code page 932 form, with kUnconvertibleMark for each
// character code page 932 cannot hold; the numbers (1 for the first) of such lines are appended to
// `badLines`. Lines are joined by CR LF.
std::string Utf8LinesToCp932(std::string_view text, std::vector<int>& badLines);

// The bytes of a document or text file as code page 932 text: a file that starts with a UTF-8 or
// UTF-16 byte-order mark has its lines converted into `converted`, and `result` records it
// (ConvertedFromUtf8, Utf16, UnconvertibleLines); other bytes are given back as they are.
std::string_view Cp932Text(std::string_view bytes, std::string& converted, ReadResult& result);

}  // namespace qv
