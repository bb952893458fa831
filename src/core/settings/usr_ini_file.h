// UsrIniFile: the settings file held in memory.
//
// The whole file is read once; reads are answered from memory, writes change memory only and mark
// the store modified, and UpdateFile writes the whole file back when (and only when) something
// changed. The file is code page 932 text with CR LF line ends:
//   - lines starting with ';' and empty lines are dropped, other lines are kept verbatim (no
//     trimming); lines before the first section header are dropped;
//   - "[name]" starts a section; a header that appears twice makes two sections, lookups use the
//     first; section and key names compare without regard to ASCII letter case;
//   - a key's value is everything after the first '='; an empty value counts as missing; a value
//     of two or more characters starting and ending with '"' loses those two quotes;
//   - integers: leading blanks, an optional sign, then decimal digits or hexadecimal digits after
//     "$", "x", "X", "0x" or "0X"; anything else (a trailing blank too) makes the value invalid.
// Writing regenerates the file in memory order ("[name]", its lines, an empty line), so comments
// are lost but unknown keys and sections survive. The file is replaced atomically: a temporary file
// beside it is written, flushed to disk and renamed over it, so a failed write leaves the old file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/color.h"
#include "core/fs/atomic_file.h"
#include "core/settings/font_setting.h"

namespace qv {

// The integer rule of the settings file; std::nullopt when the text is not a valid integer.
// Hexadecimal values up to FFFFFFFF wrap into the signed range (colours are 32-bit values).
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

class UsrIniFile {
  public:
    enum class LoadState {
        Loaded,      // the file was read
        Missing,     // no file: an empty store, created by the first UpdateFile
        Unreadable,  // the file exists but could not be read: an empty store that is never written
                     // back, so the user's file is not replaced by defaults
    };

    // Largest settings file read; anything bigger is treated as unreadable.
    static constexpr std::size_t kMaxFileSize = 64u << 20;

    // An empty store without a file (UpdateFile fails unless it has nothing to write).
    UsrIniFile() = default;
    // Remembers `path` (a file-system path, not code page 932) and loads the file.
    explicit UsrIniFile(std::string path);

    // A store parsed from text, for tests and tools; `path` is where UpdateFile writes.
    static UsrIniFile FromText(std::string_view text, std::string path = {});

    const std::string& Path() const { return path_; }
    LoadState State() const { return state_; }
    bool Modified() const { return modified_; }
    // Why the last load or UpdateFile failed (empty when it did not).
    const std::string& LastError() const { return lastError_; }
    // What kept the last UpdateFile from writing: ReadOnly for a write-protected settings file,
    // which is never replaced (the program tells the user once and keeps running).
    WriteProblem LastWriteProblem() const { return lastProblem_; }
    // Whether the settings file is write-protected now.
    bool ReadOnly() const { return !path_.empty() && IsReadOnlyFile(path_); }

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    Color ReadColor(std::string_view section, std::string_view key, Color defaultValue) const;
    // FontCharset (default 128), FontName, FontSize, FontBold, FontItalic with defaults from
    // `base`; without a base: no face, 11 points, not bold, not italic.
    FontSpec ReadFont(std::string_view section, const FontSpec* base) const;

    // Sets key=text in the first section named `section` (appending the section or the line when
    // missing). A line is replaced only when it differs letter for letter, so writing the stored
    // value again does not make the file rewritten. Line breaks in `text` are dropped (they would
    // split the line), and a text that itself starts and ends with '"' is written inside one more
    // pair of quotes so that it reads back unchanged.
    void WriteString(std::string_view section, std::string_view key, std::string_view text);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    // Written as the signed decimal of the 32-bit value (system colours come out negative).
    void WriteColor(std::string_view section, std::string_view key, Color value);
    // FontName, FontSize, FontBold, FontItalic, in this order. The character set is never written.
    void WriteFont(std::string_view section, const FontSpec& font);

    // Writes the file when the store is modified and clears the flag. Returns true when nothing
    // needed writing or the file was replaced; false (flag kept, old file intact, LastError set)
    // when it could not be written, is write-protected, was unreadable at load, or would grow
    // past kMaxFileSize (the next start could not read it).
    bool UpdateFile();

    // The file's text as UpdateFile writes it.
    std::string Text() const;

    // Names of the sections in memory order (duplicates included).
    std::vector<std::string> SectionNames() const;
    // The kept lines of the first section named `section` (empty when there is none).
    std::vector<std::string> SectionLines(std::string_view section) const;

  private:
    // Where a line or a section name is kept: a slice of the loaded text, or (Length ==
    // kWrittenText) entry Offset of written_, for what was written since.
    struct Span {
        std::uint32_t Offset = 0;
        std::uint32_t Length = 0;
    };
    static constexpr std::uint32_t kWrittenText = 0xFFFFFFFFu;
    struct Line {
        Span Text;
        std::uint32_t Section = 0;
    };

    // A settings file of millions of tiny lines or sections must cost memory in proportion to its
    // size: the loaded text is kept whole and every line is 12 bytes beside it, every section 8.
    // Lookups go through two open-addressing tables of indexes (0 = free slot, else index + 1):
    // the first section of each name, and the first line of each key in such a first section (the
    // only ones ever looked up).
    void Parse(std::string text);
    std::string_view View(Span span) const;
    Span Keep(std::string text);
    void Replace(Span& span, std::string text);
    std::uint32_t AddSection(Span name);
    void AddLine(std::uint32_t section, Span text);
    std::optional<std::uint32_t> FindSection(std::string_view name) const;
    std::optional<std::uint32_t> FindKey(std::uint32_t section, std::string_view key) const;
    // The raw value of `key` in the first matching section, or std::nullopt.
    std::optional<std::string_view> FindValue(std::string_view section, std::string_view key) const;
    std::uint64_t SectionHash(std::uint32_t section) const;
    std::uint64_t KeyHash(std::uint32_t line) const;
    // Indexes of lines_ grouped by section, each group in the order its lines were added.
    std::vector<std::uint32_t> LinesBySection(std::vector<std::uint32_t>& firstOfSection) const;

    std::string path_;
    std::string text_;                  // the file as loaded
    std::vector<std::string> written_;  // lines and section names written since
    std::vector<Span> sections_;        // section names in file order
    std::vector<Line> lines_;           // every kept line, in the order added
    std::vector<std::uint32_t> sectionSlots_;
    std::vector<std::uint32_t> keySlots_;
    std::size_t sectionNameCount_ = 0;
    std::size_t keyCount_ = 0;
    LoadState state_ = LoadState::Missing;
    bool modified_ = false;
    std::string lastError_;
    WriteProblem lastProblem_ = WriteProblem::None;
};

}  // namespace qv
