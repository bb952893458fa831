// Plain text in and out of a document, one card per line (code page 932):
//
//   ;無所属          the following lines belong to no group
//   ;グループ12      the following lines belong to group 12 (1..100)
//   ;name           the group's name plate (the first such line after a group change)
//   -               end of a group: the following lines belong to the next group number
//   anything else   the text of one card; empty lines are skipped
//
// Text export writes every group with its text cards; copy and cut put the selected cards on the
// clipboard in the same form; import and "new from clipboard" make cards from such lines.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/fs/atomic_file.h"
#include "core/io/read_result.h"

namespace qv {

class FragSet;

// ";無所属" and ";グループ" (the latter followed by a group number).
inline constexpr std::string_view kNoGroupSection = ";\x96\xb3\x8f\x8a\x91\xae";
inline constexpr std::string_view kGroupSection = ";\x83\x4f\x83\x8b\x81\x5b\x83\x76";
inline constexpr std::string_view kGroupEndLine = "-";

// The lines ExportText writes: for every group 0..100 with members, its header (";無所属", ";" +
// its name-plate text, or ";グループ" + its number), the texts of its text cards in stacking
// order, and "-".
std::vector<std::string> ExportLines(const FragSet& set);

// ExportLines joined with CR LF line ends: the bytes ExportText writes.
std::string ExportTextBytes(const FragSet& set);

// Writes ExportTextBytes to `path` (a file-system path), replacing the file atomically; refused
// when the text would be larger than an import reads. `lines` (when given) receives the number of
// lines written.
WriteResult ExportText(const FragSet& set, std::string_view path, int* lines = nullptr);

// The clipboard text of the selection: ";無所属" when group 0 has members, then for every group
// 0..100 its selected name plate (";" + text) and its selected text cards, in reading order with
// the setting ClipPosSort, else in stacking order; lines end in a line feed. Empty when nothing is
// selected. Serves as the cut buffer's clipboard text (FragBuffer's ClipboardTextFn).
std::string ClipboardText(const FragSet& set);

// Makes cards from text lines, starting in group `group` (0..100; others are clamped). Returns the
// number of cards made; stops at the fragment limit, counting the lines that would have made cards
// in *dropped (when given). Marks the set modified even when no card was made, and posts a refresh.
int ImportLines(FragSet& set, std::span<const std::string_view> lines, int group,
                int* dropped = nullptr);

// The group imported lines start in: 0 with the setting NewNoGroup, else the set's CurrentGroup.
int ImportStartGroup(const FragSet& set);

// Imports a text file (CR LF, LF or CR line ends; UTF-8 after a byte-order mark, converted) from
// `group`, or from ImportStartGroup when none is given. The result is Read, CutShort when the
// fragment limit stopped the import (the file then joins the set's IncompleteSources, so the
// document is never saved over it), or Missing / Unreadable, in which case the set is untouched.
ReadResult ImportTextFile(FragSet& set, std::string_view path, std::optional<int> group = {});

// "次の行は断片に保存できない文字を含むため取り込みませんでした": the warning before the lines
// of the clipboard that code page 932 cannot hold.
inline constexpr std::string_view kUnheldClipboardLines =
    "\x8e\x9f\x82\xcc\x8d\x73\x82\xcd\x92\x66\x95\xd0\x82\xc9\x95\xdb\x91\xb6\x82\xc5"
    "\x82\xab\x82\xc8\x82\xa2\x95\xb6\x8e\x9a\x82\xf0\x8a\xdc\x82\xde\x82\xbd\x82\xdf"
    "\x8e\xe6\x82\xe8\x8d\x9e\x82\xdd\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd";

// The same with the clipboard's text (command "new from clipboard"). Lines of the clipboard that
// the cards cannot hold are left out, after a warning that lists them.
int ImportClipboard(FragSet& set);

}  // namespace qv
