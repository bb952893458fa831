// The other link readers of the property dialog's extraction menu: the ID3 version 1 tag of an MP3
// file, the title of a help file from its contents file, the text-file test and the first useful
// line of a text file; and which of the readers the menu offers for a link.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/content/name_value.h"

namespace qv {

// Clears `list`; when the last 128 bytes of the file are an ID3 version 1 tag, adds "TrackName",
// "ArtistName", "AlbumName", "Year" and "Comment" (all five, even when empty) and returns true.
// Fields are cut at their first zero byte and trimmed of blanks and control characters; no
// character set conversion is done.
bool ReadMp3Tag(const std::filesystem::path& path, NameValueList& list);
// The same on the contents of a file in memory.
bool ReadMp3TagFromBytes(std::string_view file, NameValueList& list);

// The title a help file's contents file (same name, extension ".CNT" in any letter case) gives on
// its ":Title " line; empty text when there is no such file or line.
std::string ReadHelpTitle(const std::filesystem::path& helpFile);
// The same on the contents file's bytes.
std::string HelpTitleFromContents(std::string_view contents);

// True for a readable regular file whose first 2048 bytes hold no 0x00 and nothing above 0xFC.
// An empty file is a text file.
bool IsTextFile(const std::filesystem::path& path);
// The same test on the start of a file (only the first 2048 bytes count).
bool IsTextBytes(std::string_view start);

// The first non-empty line, trimmed of blanks and control characters, that is not a decoration
// row (at most four distinct byte values, one of them more than 20 times, like "=====...").
// Without one, the last line read, trimmed. Empty text when the file cannot be read.
std::string ReadFirstLine(const std::filesystem::path& path);
// The same on the contents of a file in memory.
std::string FirstLineFromBytes(std::string_view file);

// What the extraction menu offers for a link.
enum class LinkContent {
    None,
    HtmlHead,   // ".HTM", ".HTML", ".SHTML": title, description, keywords
    HelpTitle,  // ".HLP": title
    Mp3Tag,     // ".MP3": the five tag fields
    FirstLine,  // any other text file: the first useful line
};

// The upper-cased extension of a link text in code page 932, with its dot (".HTML"); empty when
// the file name has none. Steps over whole characters, so a trail byte 0x5C is no separator.
std::string LinkExtension(std::string_view link);

// The reader for an upper-cased extension; FirstLine stands for "any other extension" and applies
// only when the file is a text file.
LinkContent LinkContentForExtension(std::string_view upperExtension);

// The reader the menu offers for a file: by extension, else FirstLine when IsTextFile holds.
LinkContent LinkContentFor(const std::filesystem::path& file);

}  // namespace qv
