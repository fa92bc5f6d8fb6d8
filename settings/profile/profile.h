#pragma once
// The profile-file layer: an INI file read and written one key at a time, keeping every line it
// does not change byte for byte. No Qt.
//
// Syntax (reading and writing agree on it):
// - Lines end with LF, CRLF or a lone CR; a last line needs no ending.
// - Blanks are spaces and tabs; blanks around section names, key names and values are ignored.
// - A line whose first non-blank character is ";" is a comment.
// - A line whose first non-blank character is "[" starts a section; its name runs up to the first
//   "]" and the rest of the line is ignored. A "[" without "]" names the section with the rest of
//   the line, so the keys below it never fall into the section above.
// - Inside a section, "key=value" splits at the first "="; a line without "=" is ignored, and so is
//   every key line before the first section.
// - Section and key names compare case-insensitively (ASCII letters only). Names longer than
//   kMaxNameLength characters are never found and never written.
// - A value enclosed in a matching pair of single or double quotes loses them; a value is returned
//   up to kMaxValueLength characters and cut there.
// - The first of duplicate sections wins: later sections of the same name are never read or
//   written. Within a section the first of duplicate keys wins.
// - Any byte other than CR and LF (NUL and binary data included) is an ordinary character.
// - A UTF-8 byte-order mark at the start of the file is skipped; writing keeps it where it is.
// - A file larger than kMaxFileSize is reported as a read error, and so is a file that starts with a
//   UTF-16 byte-order mark (it is never written into, which would mix two encodings in one file).
//
// Writing:
// - An existing key keeps its line: only the text of its value changes (its key spelling, the
//   blanks before the value and the line ending stay).
// - A new key goes right after the last key line of the first section of its name (or after the
//   header when the section has no keys), so blank lines and comments before the next section stay
//   where they are.
// - A new section "[section]" with its "key=value" line is appended at the end of the file, after
//   a line break when the file does not end with one.
// - New lines end with CRLF when the file has more CRLF than LF endings, with a lone CR when the
//   file has nothing but lone CRs, and with LF otherwise (on a tie, and in a new file).
// - Values are written as given, except that a value with blanks at either end, or enclosed in a
//   matching pair of quotes, is written in double quotes, so that a read returns it unchanged.
// - Every write replaces the whole file atomically (util/atomic_file.h: a temporary file beside it,
//   flushed to disk and renamed over it, owner and permission bits kept). A failed write leaves the
//   old file untouched. So a read-only file is never changed (not even by root), and a file in a
//   folder without write permission cannot be written even when the file itself is writable. A
//   symbolic link stays and its target is replaced, or created when the link dangles.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace dp {

inline constexpr std::size_t kMaxValueLength = 2047;
inline constexpr std::size_t kMaxNameLength = 1024;
inline constexpr std::uint64_t kMaxFileSize = 256ull << 20;

// What a read of one key found.
enum class TProfileStatus {
    Found,     // the key is there; its value is returned
    Missing,   // no file, section or key (or an impossible name): the default is returned
    ReadError, // the file exists but cannot be read (permission, a folder, I/O error, too large, UTF-16)
};

// Reads one key, streaming the file; stops at the end of the first section of that name.
// Returns the value, or `def` when the status is not Found. The status goes to *status when given.
std::string GetProfileString(const std::string& file, const std::string& section, const std::string& key,
                             const std::string& def, TProfileStatus* status = nullptr);

// Writes one key (see above). False when the names or the value cannot be written (empty names,
// a line break or NUL, "]" in a section name, "=" in a key name, a key starting with ";" or "[",
// blanks at the ends of a name), when the existing file cannot be read, or when the file cannot
// be replaced (read-only file or folder, disk full); the old file then stays as it was.
bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value);

// True when `section` can name a section that a read finds and a write creates.
bool IsValidProfileSection(std::string_view section);
// True when `key` can name a key that a read finds and a write creates.
bool IsValidProfileKey(std::string_view key);

// Reads a whole file once and then answers any number of keys with the same answers as
// GetProfileString. Each answer costs a hash look-up, not a pass over the file.
class TProfileReader {
public:
    explicit TProfileReader(const std::string& file);
    // Parses text held in memory, as if it were the content of an existing file.
    static TProfileReader FromText(std::string text);

    // Found when the file was read, Missing when it does not exist (every key is then missing),
    // ReadError when it exists but could not be read (every key then reports ReadError).
    TProfileStatus LoadStatus() const { return loadStatus_; }
    // errno of the failure when LoadStatus() is ReadError, else 0.
    int ErrorNumber() const { return errorNumber_; }

    std::string GetString(std::string_view section, std::string_view key, const std::string& def,
                          TProfileStatus* status = nullptr) const;

    // The text the reader parsed.
    const std::string& Text() const { return text_; }

    // Where a section and its keys lie in Text(); used by the writer.
    struct TSectionSpan {
        std::size_t header = 0;    // offset of the header line
        std::size_t end = 0;       // offset of the next header line, or the text's size
        std::size_t lastEntry = 0; // offset of the last key line, or of the header line without keys
    };
    // The first section named `section`; false when there is none.
    bool FindSection(std::string_view section, TSectionSpan* span) const;
    // Offset of the line of the first `key` in the section; false when there is none.
    bool FindKeyLine(const TSectionSpan& span, std::string_view section, std::string_view key,
                     std::size_t* line) const;

private:
    TProfileReader() = default;
    void Index();

    struct TLineRecord {
        std::uint32_t hash;
        std::uint32_t line;
    };
    struct THeaderRecord {
        std::uint32_t line;
        std::uint32_t lastEntry;
    };
    std::string text_;
    TProfileStatus loadStatus_ = TProfileStatus::Missing;
    int errorNumber_ = 0;
    std::vector<THeaderRecord> headers_;    // every section header, in file order
    std::vector<TLineRecord> sectionIndex_; // by name hash, then position
    std::vector<TLineRecord> keyIndex_;     // by section and key name hash, then position
};

// Loads a file once, applies any number of key writes in memory with the same effect as that many
// WriteProfileString calls in a row, and writes the file once. A failed Commit leaves the old file
// untouched: it is replaced atomically or not at all.
class TProfileWriter {
public:
    explicit TProfileWriter(const std::string& file);
    // Works on text held in memory; Commit then fails, Text() gives the result.
    static TProfileWriter FromText(std::string text);

    // As for TProfileReader: a ReadError here makes every write and the commit fail.
    TProfileStatus LoadStatus() const { return original_.LoadStatus(); }

    // Records one key write; false when it cannot be written (see WriteProfileString) or the file
    // could not be read.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);

    // The whole content that Commit writes.
    std::string Text() const;

    // Replaces the file with Text(); true on success. Writes even when nothing changed.
    bool Commit() const;

private:
    explicit TProfileWriter(TProfileReader original, std::string file);

    struct TNewKeys {
        std::vector<std::pair<std::string, std::string>> keys; // in the order first written
        std::map<std::string, std::size_t> byName;             // lower-case name -> index
    };
    struct TNewSection {
        std::string name;
        TNewKeys keys;
    };
    TProfileReader original_;
    std::string file_;
    std::string lineEnd_;
    std::map<std::size_t, std::string> replaced_;         // key line offset -> new value
    std::map<std::size_t, TNewKeys> added_;               // after this line of an existing section
    std::vector<TNewSection> newSections_;                // appended at the end, in order
    std::map<std::string, std::size_t> newSectionByName_; // lower-case name -> index
};

namespace profile_detail {
// The streaming look-up behind GetProfileString over text in memory, fed in pieces of `chunk`
// bytes (tests and the fuzz target check every piece size gives the same answer).
bool FindValueStreaming(std::string_view text, std::string_view section, std::string_view key,
                        std::size_t chunk, std::string* value);
} // namespace profile_detail

} // namespace dp
