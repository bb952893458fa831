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
// Paths are code page 932 bytes, as a document holds its file name.
#pragma once

#include <string>
#include <string_view>

#include "core/io/file_access.h"

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

// What the window caption of a read-only document ends with: " : 編集禁止".
inline constexpr std::string_view kReadOnlyCaptionMark = " : \x95\xd2\x8f\x57\x8b\xd6\x8e\x7e";

enum class FragmentFileCheck {
    NotCsv,        // the name does not end in ".CSV" (any letter case)
    Csv,           // a CSV name, but not a fragment file (or it cannot be read)
    FragmentFile,  // a CSV whose first line starts with "#Quillovarsta,"
};

FragmentFileCheck CheckFragmentFile(std::string_view path);
// The same for a file whose bytes were read already.
FragmentFileCheck CheckFragmentBytes(std::string_view path, std::string_view bytes);

// Whether a first line marks a fragment file: its first comma-separated field is exactly
// "#Quillovarsta" and a comma follows it. Only the first 1023 bytes of the line count.
bool IsFragmentFileHeader(std::string_view firstLine);

// Reads the file at `path` into `set`; with `merge` the cards, group lines, page size and grid of
// the file are added to the set's own, otherwise the set (normally new and empty) takes the file's
// lines and, unless it already has a name, the file's path and read-only state.
//
// A CSV that is not a fragment file is read as texts: the first field of each line from the
// second on becomes a text card of the current group (the caller asks the user first).
//
// When the fragment limit stops the reading of cards (after the model's warning), the remaining
// group lines, page size and grid are still read; a document opened this way (not merged) is
// made read-only, because saving it over its file would lose the cards that were not read.
//
// Returns the number of fragments in the set afterwards. `status` (when given) tells how it went;
// with Missing or Unreadable the set is untouched.
int ReadFragmentFile(FragSet& set, std::string_view path, bool merge, ReadStatus* status = nullptr);
// ReadFragmentFile on the bytes of `path` read already (so that opening reads a file once).
int ReadFragmentFile(FragSet& set, std::string_view path, const FileBytes& file, bool merge,
                     ReadStatus* status = nullptr);

// The reading part of ReadFragmentFile on bytes already in memory: `fragmentFile` tells how to
// read them (as CheckFragmentFile would). Names and read-only state are left to the caller.
// Returns Read or CutShort.
ReadStatus ReadFragmentBytes(FragSet& set, std::string_view bytes, bool fragmentFile, bool merge);

// The bytes SaveFragmentFile writes for `set`.
std::string FragmentFileText(const FragSet& set);

// Writes `set` to `path` (replacing it atomically: on failure the previous file is unchanged).
// On success the set is named by the path, not modified and not read-only. On failure the set is
// unchanged and *error (when given) says why.
bool SaveFragmentFile(FragSet& set, std::string_view path, std::string* error = nullptr);

}  // namespace qv
