// The profile-file layer. One streaming line scanner serves every path: the one-key read feeds it
// the file piece by piece and stops at the end of the wanted section; the reader runs it once over
// the whole text to index the section and key lines, and re-scans single lines to answer; the
// writer finds its lines through the reader and splices its edits into the original text.
#include "settings/profile/profile.h"

#include "util/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dp {

namespace {

constexpr std::size_t kReadPiece = 64 * 1024;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}
char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

std::string LowerCopy(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = LowerAscii(c);
    return r;
}

std::uint32_t HashName(std::string_view s) {
    std::uint32_t h = 2166136261u; // FNV-1a over the lower-case bytes
    for (char c : s) {
        h ^= static_cast<unsigned char>(LowerAscii(c));
        h *= 16777619u;
    }
    return h;
}

std::uint32_t CombineHash(std::uint32_t section, std::uint32_t key) {
    return (section * 0x9E3779B1u) ^ (key + 0x7F4A7C15u + (section << 6) + (section >> 2));
}

bool HasNoBreaks(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// A UTF-8 byte-order mark at the start of the text is no part of the first line: it is skipped on
// reading and stays in place on writing.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::size_t MarkLength(std::string_view text) {
    return text.substr(0, kUtf8Mark.size()) == kUtf8Mark ? kUtf8Mark.size() : 0;
}

// A UTF-16 (or UTF-32) byte-order mark: such a file is not read, so it is never written into either,
// which would leave a file of two encodings.
bool StartsWithWideMark(std::string_view text) {
    return text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF";
}

// The text written for a value: the value itself, or the value in double quotes when a read would
// otherwise lose its blanks at the ends or its own enclosing quotes.
std::string EncodeValue(std::string_view v) {
    const bool quote =
        !v.empty() && (IsBlank(v.front()) || IsBlank(v.back()) ||
                       (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()));
    return quote ? "\"" + std::string(v) + "\"" : std::string(v);
}

bool IsValidName(std::string_view s) {
    return !s.empty() && s.size() <= kMaxNameLength && !IsBlank(s.front()) && !IsBlank(s.back()) &&
           HasNoBreaks(s);
}

// A name or value as it streams past: its first `cap` bytes, and where its last non-blank byte is,
// which is all that trimming, quote removal and the length cut need, however long the text runs.
class TField {
public:
    explicit TField(std::size_t cap) : cap_(cap) { head_.reserve(cap); }

    void Clear() {
        head_.clear();
        length_ = 0;
        trimmed_ = 0;
        last_ = 0;
    }

    void Append(const char* p, std::size_t n) {
        if (n == 0) return;
        if (head_.size() < cap_) head_.append(p, std::min(n, cap_ - head_.size()));
        std::size_t i = n;
        while (i > 0 && IsBlank(p[i - 1])) --i;
        if (i > 0) {
            trimmed_ = length_ + i;
            last_ = p[i - 1];
        }
        length_ += n;
    }

    // A name longer than the cap matches nothing.
    bool Overlong() const { return trimmed_ > cap_; }
    std::string_view Name() const { return {head_.data(), std::min(trimmed_, head_.size())}; }
    bool NameEquals(std::string_view name) const { return !Overlong() && EqualNoCase(Name(), name); }

    // The value: trailing blanks gone (leading ones were never appended), a matching pair of
    // enclosing quotes removed, cut at kMaxValueLength. The head holds kMaxValueLength + 1 bytes,
    // enough for the cut after an opening quote.
    std::string Value() const {
        if (trimmed_ == 0) return {};
        std::size_t start = 0, end = trimmed_;
        const char first = head_[0];
        if (trimmed_ >= 2 && (first == '"' || first == '\'') && last_ == first) {
            start = 1;
            end = trimmed_ - 1;
        }
        return head_.substr(start, std::min(end - start, kMaxValueLength));
    }

private:
    std::string head_;
    std::size_t cap_;
    std::size_t length_ = 0;  // bytes appended
    std::size_t trimmed_ = 0; // bytes up to and including the last non-blank one
    char last_ = 0;           // the last non-blank byte
};

enum class TLineKind { Header, Entry };

struct TLine {
    TLineKind kind;
    std::size_t start;      // offset of the line's first byte
    std::size_t valueStart; // Entry: offset of the value's first non-blank byte, or `end`
    std::size_t end;        // offset of the line ending, or of the end of the text
    const TField& name;     // section name or key name
    const TField& value;    // Entry only
};

// Splits text fed in pieces of any size into lines and reports each section header and each
// "key=value" line (before any section too: the sinks decide) to the sink, which returns false to
// stop; key lines are not even parsed while its WantsEntries() is false. Comments, blank lines and
// lines without "=" are not reported. CR and LF each end a line, so
// a CRLF pair ends a line and then an empty one.
template <class TSink> class TScanner {
public:
    explicit TScanner(TSink& sink, std::size_t offset = 0)
        : sink_(sink), offset_(offset), lineStart_(offset) {}

    // False when the sink stopped the scan.
    bool Feed(const char* p, std::size_t n) {
        const char* const e = p + n;
        // The next LF and CR are remembered, so a run of one kind of break stays linear.
        const char* nextLf = nullptr;
        const char* nextCr = nullptr;
        while (p < e) {
            if (nextLf == nullptr || nextLf < p) {
                nextLf = static_cast<const char*>(std::memchr(p, '\n', e - p));
                if (!nextLf) nextLf = e;
            }
            if (nextCr == nullptr || nextCr < p) {
                nextCr = static_cast<const char*>(std::memchr(p, '\r', e - p));
                if (!nextCr) nextCr = e;
            }
            const char* eol = std::min(nextLf, nextCr);
            Process(p, eol);
            offset_ += eol - p;
            if (eol == e) break;
            if (!EndLine()) return false;
            ++offset_;
            lineStart_ = offset_;
            p = eol + 1;
        }
        return true;
    }

    // Ends the last line when the text does not end with a line break.
    bool Finish() {
        if (state_ == TState::LineStart) return true;
        return EndLine();
    }

private:
    enum class TState { LineStart, Skip, HeaderLead, HeaderName, HeaderDone, KeyName, ValueLead, Value };

    static const char* SkipBlanks(const char* s, const char* t) {
        while (s < t && IsBlank(*s)) ++s;
        return s;
    }

    void Process(const char* s, const char* t) {
        const char* const base = s;
        while (s < t) {
            switch (state_) {
            case TState::LineStart:
                s = SkipBlanks(s, t);
                if (s == t) return;
                name_.Clear();
                if (*s == ';') {
                    state_ = TState::Skip;
                } else if (*s == '[') {
                    ++s;
                    state_ = TState::HeaderLead;
                } else {
                    state_ = sink_.WantsEntries() ? TState::KeyName : TState::Skip;
                }
                break;
            case TState::Skip:
            case TState::HeaderDone:
                return;
            case TState::HeaderLead:
                s = SkipBlanks(s, t);
                if (s < t) state_ = TState::HeaderName;
                break;
            case TState::HeaderName: {
                const char* q = static_cast<const char*>(std::memchr(s, ']', t - s));
                name_.Append(s, (q ? q : t) - s);
                if (!q) return;
                state_ = TState::HeaderDone;
                return;
            }
            case TState::KeyName: {
                const char* q = static_cast<const char*>(std::memchr(s, '=', t - s));
                name_.Append(s, (q ? q : t) - s);
                if (!q) return;
                value_.Clear();
                state_ = TState::ValueLead;
                s = q + 1;
                break;
            }
            case TState::ValueLead:
                s = SkipBlanks(s, t);
                if (s < t) {
                    valueStart_ = offset_ + (s - base);
                    state_ = TState::Value;
                }
                break;
            case TState::Value:
                value_.Append(s, t - s);
                return;
            }
        }
    }

    bool EndLine() {
        const TState state = std::exchange(state_, TState::LineStart);
        switch (state) {
        case TState::HeaderLead:
        case TState::HeaderName:
        case TState::HeaderDone:
            return sink_(TLine{TLineKind::Header, lineStart_, offset_, offset_, name_, value_});
        case TState::ValueLead:
            return sink_(TLine{TLineKind::Entry, lineStart_, offset_, offset_, name_, value_});
        case TState::Value:
            return sink_(TLine{TLineKind::Entry, lineStart_, valueStart_, offset_, name_, value_});
        default:
            return true;
        }
    }

    TSink& sink_;
    TState state_ = TState::LineStart;
    std::size_t offset_;    // offset of the next byte fed
    std::size_t lineStart_; // offset of the current line's first byte
    std::size_t valueStart_ = 0;
    TField name_{kMaxNameLength};
    TField value_{kMaxValueLength + 1};
};

// A scanner for text that arrives in pieces of any size: it holds back the first bytes until they
// show whether the text starts with a byte-order mark, skips a UTF-8 one and refuses a UTF-16 one.
template <class TSink> class TMarkedScanner {
public:
    explicit TMarkedScanner(TSink& sink) : scanner_(sink) {}

    // False when the sink stopped the scan or the text is UTF-16 (see Wide()).
    bool Feed(const char* p, std::size_t n) {
        if (!started_) {
            const std::size_t take = std::min(n, kUtf8Mark.size() - head_.size());
            head_.append(p, take);
            p += take;
            n -= take;
            if (head_.size() < kUtf8Mark.size()) return true;
            if (!Start()) return false;
        }
        return scanner_.Feed(p, n);
    }

    void Finish() {
        if (!started_ && !Start()) return;
        scanner_.Finish();
    }

    bool Wide() const { return wide_; }

private:
    bool Start() {
        started_ = true;
        wide_ = StartsWithWideMark(head_);
        if (wide_) return false;
        const std::size_t skip = MarkLength(head_);
        return scanner_.Feed(head_.data() + skip, head_.size() - skip);
    }

    TScanner<TSink> scanner_;
    std::string head_;
    bool started_ = false;
    bool wide_ = false;
};

// The one-key look-up: the first section of the name, the first key of the name in it.
struct TFindSink {
    std::string_view section;
    std::string_view key;
    std::string* value;
    bool inSection = false;
    bool found = false;

    bool WantsEntries() const { return inSection; }

    bool operator()(const TLine& line) {
        if (line.kind == TLineKind::Header) {
            if (inSection) return false; // the first section of this name has ended
            inSection = line.name.NameEquals(section);
            return true;
        }
        if (inSection && line.name.NameEquals(key)) {
            *value = line.value.Value();
            found = true;
            return false;
        }
        return true;
    }
};

// Where the line at `start` ends: the offset of its line break, or the text's size.
std::size_t ContentEnd(std::string_view text, std::size_t start) {
    const std::size_t e = text.find_first_of("\r\n", start);
    return e == std::string_view::npos ? text.size() : e;
}

// The offset after the line break at `end` (CRLF counts as one), or `end` at the end of the text.
std::size_t AfterLineBreak(std::string_view text, std::size_t end) {
    if (end >= text.size()) return end;
    if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') return end + 2;
    return end + 1;
}

// Scans the single line at `start`, calling `use` with it when it is a header or key line.
template <class TUse> void ScanLineAt(std::string_view text, std::size_t start, TUse&& use) {
    struct TOne {
        TUse& use;
        bool WantsEntries() const { return true; }
        bool operator()(const TLine& line) {
            use(line);
            return false;
        }
    } sink{use};
    TScanner<TOne> scanner(sink, start);
    if (scanner.Feed(text.data() + start, ContentEnd(text, start) - start)) scanner.Finish();
}

// The line ending new lines get: CRLF when the file has more CRLF than LF endings, a lone CR when it
// has nothing but lone CRs, else LF (so a new file gets LF). A lone CR is never put into a file that
// has LFs: written before an LF it would join it into one CRLF ending and change the lines around.
// Adding lines with the chosen ending never changes the choice, so a batch of writes and the same
// writes one after the other produce the same file.
std::string NewLineEnding(std::string_view text) {
    std::size_t lf = 0, crlf = 0, cr = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++lf;
        } else if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++crlf;
                ++i;
            } else {
                ++cr;
            }
        }
    }
    if (crlf > lf) return "\r\n";
    if (lf == 0 && crlf == 0 && cr > 0) return "\r";
    return "\n";
}

// Opens a file for reading. Missing when it does not exist, ReadError (with errno) when it exists
// but is no readable regular file or is too large.
TProfileStatus OpenForReading(const std::string& file, int* fd, int* error) {
    *fd = -1;
    *error = 0;
    if (file.find('\0') != std::string::npos) return TProfileStatus::Missing;
    // O_NONBLOCK: a FIFO in place of the file must not block the open.
    const int f = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (f < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return TProfileStatus::Missing;
        *error = errno;
        return TProfileStatus::ReadError;
    }
    struct stat st;
    int failure = 0;
    if (::fstat(f, &st) != 0)
        failure = errno;
    else if (S_ISDIR(st.st_mode))
        failure = EISDIR;
    else if (!S_ISREG(st.st_mode))
        failure = EINVAL;
    else if (static_cast<std::uint64_t>(st.st_size) > kMaxFileSize)
        failure = EFBIG;
    if (failure != 0) {
        ::close(f);
        *error = failure;
        return TProfileStatus::ReadError;
    }
    *fd = f;
    return TProfileStatus::Found;
}

// Reads up to `n` bytes, retrying after signals. -1 with errno on failure.
ssize_t ReadSome(int fd, char* p, std::size_t n) {
    for (;;) {
        const ssize_t r = ::read(fd, p, n);
        if (r >= 0 || errno != EINTR) return r;
    }
}

int ReadAll(int fd, std::string* text) {
    struct stat st;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) text->reserve(static_cast<std::size_t>(st.st_size));
    for (;;) {
        const std::size_t old = text->size();
        text->resize(old + kReadPiece);
        const ssize_t r = ReadSome(fd, text->data() + old, kReadPiece);
        if (r < 0) return errno;
        text->resize(old + static_cast<std::size_t>(r));
        if (r == 0) return 0;
        if (text->size() > kMaxFileSize) return EFBIG;
    }
}

} // namespace

bool IsValidProfileSection(std::string_view section) {
    return IsValidName(section) && section.find(']') == std::string_view::npos;
}

bool IsValidProfileKey(std::string_view key) {
    return IsValidName(key) && key.find('=') == std::string_view::npos && key.front() != ';' &&
           key.front() != '[';
}

namespace profile_detail {

bool FindValueStreaming(std::string_view text, std::string_view section, std::string_view key,
                        std::size_t chunk, std::string* value) {
    if (!IsValidProfileSection(section) || !IsValidProfileKey(key)) return false;
    if (chunk == 0) chunk = 1;
    TFindSink sink{section, key, value};
    TMarkedScanner<TFindSink> scanner(sink);
    for (std::size_t at = 0; at < text.size(); at += chunk)
        if (!scanner.Feed(text.data() + at, std::min(chunk, text.size() - at))) return sink.found;
    scanner.Finish();
    return sink.found;
}

} // namespace profile_detail

std::string GetProfileString(const std::string& file, const std::string& section, const std::string& key,
                             const std::string& def, TProfileStatus* status) {
    TProfileStatus dummy;
    TProfileStatus& result = status ? *status : dummy;
    int fd = -1, error = 0;
    result = OpenForReading(file, &fd, &error);
    if (result != TProfileStatus::Found) return def;
    if (!IsValidProfileSection(section) || !IsValidProfileKey(key)) {
        ::close(fd);
        result = TProfileStatus::Missing;
        return def;
    }
    std::string value;
    TFindSink sink{section, key, &value};
    TMarkedScanner<TFindSink> scanner(sink);
    std::string piece(kReadPiece, '\0');
    std::uint64_t total = 0;
    for (;;) {
        const ssize_t r = ReadSome(fd, piece.data(), piece.size());
        if (r > 0) total += static_cast<std::uint64_t>(r);
        if (r < 0 || total > kMaxFileSize) {
            ::close(fd);
            result = TProfileStatus::ReadError;
            return def;
        }
        if (r == 0) {
            scanner.Finish();
            break;
        }
        if (!scanner.Feed(piece.data(), static_cast<std::size_t>(r))) break;
    }
    ::close(fd);
    if (scanner.Wide()) {
        result = TProfileStatus::ReadError;
        return def;
    }
    if (!sink.found) {
        result = TProfileStatus::Missing;
        return def;
    }
    result = TProfileStatus::Found;
    return value;
}

// ---- TProfileReader ----

TProfileReader::TProfileReader(const std::string& file) {
    int fd = -1;
    loadStatus_ = OpenForReading(file, &fd, &errorNumber_);
    if (loadStatus_ != TProfileStatus::Found) return;
    errorNumber_ = ReadAll(fd, &text_);
    ::close(fd);
    if (errorNumber_ == 0 && StartsWithWideMark(text_)) errorNumber_ = EILSEQ;
    if (errorNumber_ != 0) {
        loadStatus_ = TProfileStatus::ReadError;
        text_.clear();
        return;
    }
    Index();
}

TProfileReader TProfileReader::FromText(std::string text) {
    TProfileReader reader;
    if (text.size() > kMaxFileSize || StartsWithWideMark(text)) {
        reader.loadStatus_ = TProfileStatus::ReadError;
        reader.errorNumber_ = text.size() > kMaxFileSize ? EFBIG : EILSEQ;
        return reader;
    }
    reader.text_ = std::move(text);
    reader.loadStatus_ = TProfileStatus::Found;
    reader.Index();
    return reader;
}

void TProfileReader::Index() {
    struct TIndexSink {
        TProfileReader& reader;
        std::uint32_t sectionHash = 0;
        bool sectionNamed = false; // the current section has a name a query can match
        bool WantsEntries() const { return !reader.headers_.empty(); }
        bool operator()(const TLine& line) {
            const auto at = static_cast<std::uint32_t>(line.start);
            if (line.kind == TLineKind::Header) {
                reader.headers_.push_back({at, at});
                sectionNamed = !line.name.Overlong();
                if (sectionNamed) {
                    sectionHash = HashName(line.name.Name());
                    reader.sectionIndex_.push_back({sectionHash, at});
                }
                return true;
            }
            if (reader.headers_.empty()) return true; // before the first section
            reader.headers_.back().lastEntry = at;
            if (sectionNamed && !line.name.Overlong())
                reader.keyIndex_.push_back({CombineHash(sectionHash, HashName(line.name.Name())), at});
            return true;
        }
    } sink{*this};
    const std::size_t mark = MarkLength(text_);
    TScanner<TIndexSink> scanner(sink, mark);
    if (scanner.Feed(text_.data() + mark, text_.size() - mark)) scanner.Finish();
    const auto byHashThenLine = [](const TLineRecord& a, const TLineRecord& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.line < b.line;
    };
    std::sort(sectionIndex_.begin(), sectionIndex_.end(), byHashThenLine);
    std::sort(keyIndex_.begin(), keyIndex_.end(), byHashThenLine);
}

bool TProfileReader::FindSection(std::string_view section, TSectionSpan* span) const {
    if (!IsValidProfileSection(section)) return false;
    const std::uint32_t hash = HashName(section);
    auto it = std::lower_bound(sectionIndex_.begin(), sectionIndex_.end(), hash,
                               [](const TLineRecord& r, std::uint32_t h) { return r.hash < h; });
    for (; it != sectionIndex_.end() && it->hash == hash; ++it) {
        bool same = false;
        ScanLineAt(text_, it->line, [&](const TLine& line) {
            same = line.kind == TLineKind::Header && line.name.NameEquals(section);
        });
        if (!same) continue;
        auto header = std::lower_bound(headers_.begin(), headers_.end(), it->line,
                                       [](const THeaderRecord& r, std::uint32_t at) { return r.line < at; });
        span->header = header->line;
        span->lastEntry = header->lastEntry;
        span->end = std::next(header) == headers_.end() ? text_.size() : std::next(header)->line;
        return true;
    }
    return false;
}

bool TProfileReader::FindKeyLine(const TSectionSpan& span, std::string_view section, std::string_view key,
                                 std::size_t* line) const {
    if (!IsValidProfileKey(key)) return false;
    const std::uint32_t hash = CombineHash(HashName(section), HashName(key));
    auto it = std::lower_bound(keyIndex_.begin(), keyIndex_.end(), hash,
                               [](const TLineRecord& r, std::uint32_t h) { return r.hash < h; });
    for (; it != keyIndex_.end() && it->hash == hash; ++it) {
        if (it->line <= span.header) continue;
        if (it->line >= span.end) break;
        bool same = false;
        ScanLineAt(text_, it->line,
                   [&](const TLine& l) { same = l.kind == TLineKind::Entry && l.name.NameEquals(key); });
        if (same) {
            *line = it->line;
            return true;
        }
    }
    return false;
}

std::string TProfileReader::GetString(std::string_view section, std::string_view key, const std::string& def,
                                      TProfileStatus* status) const {
    TProfileStatus dummy;
    TProfileStatus& result = status ? *status : dummy;
    result = loadStatus_ == TProfileStatus::ReadError ? TProfileStatus::ReadError : TProfileStatus::Missing;
    if (loadStatus_ != TProfileStatus::Found) return def;
    TSectionSpan span;
    std::size_t at = 0;
    if (!FindSection(section, &span) || !FindKeyLine(span, section, key, &at)) return def;
    std::string value;
    ScanLineAt(text_, at, [&](const TLine& line) { value = line.value.Value(); });
    result = TProfileStatus::Found;
    return value;
}

// ---- TProfileWriter ----

TProfileWriter::TProfileWriter(TProfileReader original, std::string file)
    : original_(std::move(original)), file_(std::move(file)), lineEnd_(NewLineEnding(original_.Text())) {}

TProfileWriter::TProfileWriter(const std::string& file) : TProfileWriter(TProfileReader(file), file) {}

TProfileWriter TProfileWriter::FromText(std::string text) {
    return TProfileWriter(TProfileReader::FromText(std::move(text)), std::string());
}

bool TProfileWriter::WriteString(std::string_view section, std::string_view key, std::string_view plain) {
    if (LoadStatus() == TProfileStatus::ReadError) return false;
    if (!IsValidProfileSection(section) || !IsValidProfileKey(key) || !HasNoBreaks(plain)) return false;
    const std::string value = EncodeValue(plain);
    const auto put = [&](TNewKeys& keys) {
        auto [it, added] = keys.byName.emplace(LowerCopy(key), keys.keys.size());
        if (added)
            keys.keys.emplace_back(std::string(key), std::string(value));
        else
            keys.keys[it->second].second = std::string(value);
    };
    TProfileReader::TSectionSpan span;
    if (original_.FindSection(section, &span)) {
        std::size_t line = 0;
        if (original_.FindKeyLine(span, section, key, &line)) {
            replaced_[line] = std::string(value);
        } else {
            TNewKeys& keys = added_[span.lastEntry];
            put(keys);
        }
        return true;
    }
    auto [it, added] = newSectionByName_.emplace(LowerCopy(section), newSections_.size());
    if (added) newSections_.push_back({std::string(section), {}});
    put(newSections_[it->second].keys);
    return true;
}

std::string TProfileWriter::Text() const {
    const std::string& text = original_.Text();
    struct TEdit {
        std::size_t from, to; // the original bytes [from, to) give way to `with`
        int order;            // a value change comes before an insertion at the same offset
        std::string with;
    };
    std::vector<TEdit> edits;
    for (const auto& change : replaced_) {
        ScanLineAt(text, change.first, [&](const TLine& l) {
            edits.push_back({l.valueStart, l.end, 0, change.second});
        });
    }
    for (const auto& [anchor, keys] : added_) {
        const std::size_t end = ContentEnd(text, anchor);
        const std::size_t after = AfterLineBreak(text, end);
        std::string lines = after == end ? lineEnd_ : std::string(); // the anchor ends the file
        for (const auto& [key, value] : keys.keys) lines += key + "=" + value + lineEnd_;
        edits.push_back({after, after, 1, std::move(lines)});
    }
    std::sort(edits.begin(), edits.end(), [](const TEdit& a, const TEdit& b) {
        return a.from != b.from ? a.from < b.from : a.order < b.order;
    });
    std::string out;
    out.reserve(text.size() + 64 * (edits.size() + newSections_.size()));
    std::size_t at = 0;
    for (const TEdit& e : edits) {
        out.append(text, at, e.from - at);
        out += e.with;
        at = e.to;
    }
    out.append(text, at, std::string::npos);
    for (const TNewSection& s : newSections_) {
        if (out.size() > MarkLength(out) && !IsLineBreak(out.back())) out += lineEnd_;
        out += "[" + s.name + "]" + lineEnd_;
        for (const auto& [key, value] : s.keys.keys) out += key + "=" + value + lineEnd_;
    }
    return out;
}

bool TProfileWriter::Commit() const {
    if (file_.empty() || LoadStatus() == TProfileStatus::ReadError) return false;
    return ReplaceFileAtomically(file_, Text());
}

bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) {
    TProfileWriter writer(file);
    return writer.WriteString(section, key, value) && writer.Commit();
}

} // namespace dp
