// Fuzz target of the profile-file layer. The input chooses names, values and a piece size, and the
// rest is the file's text. Checks:
// - the streaming one-key scan (fed in pieces of the chosen size) and the indexed reader agree;
// - no value is longer than kMaxValueLength;
// - a key write is accepted exactly when its names and value can be written, changes no byte of the
//   file outside one value and new lines, reads back as written (up to the cut), leaves every other
//   key's answer alone, and two writes in one batch equal two writes one after the other.
#include "fuzz/fuzz_support.h"
#include "settings/profile/profile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

// The inputs of the current run, printed when a check fails.
std::vector<std::pair<const char*, const std::string*>> gShown;

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "check failed: %s\n", what);
    for (const auto& [name, bytes] : gShown) dp::fuzz::ShowBytes(name, *bytes);
    std::abort();
}

const char* const kNames[] = {"A", "a", "B", "COMMON", "REG1", "k", "K", "U_RP", "RR", "x y", "", " A"};

std::string PickName(FuzzedDataProvider& in) {
    if (in.ConsumeBool()) return kNames[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kNames) - 1)];
    return in.ConsumeRandomLengthString(12);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

struct TProbe {
    std::string section, key;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = PickName(in);
    const std::string key = PickName(in);
    const std::string value = in.ConsumeRandomLengthString(2100);
    const std::string section2 = PickName(in);
    const std::string key2 = PickName(in);
    const std::string value2 = in.ConsumeRandomLengthString(16);
    const std::size_t piece = in.ConsumeIntegralInRange<std::size_t>(1, 300);
    const std::string text = in.ConsumeRemainingBytesAsString();
    gShown = {{"section", &section}, {"key", &key},       {"value", &value}, {"section2", &section2},
              {"key2", &key2},       {"value2", &value2}, {"text", &text}};

    const std::vector<TProbe> probes = {{section, key}, {section2, key2}, {"A", "k"},     {"COMMON", "U_RP"},
                                        {"REG1", "RR"}, {"B", "K"},       {section, "k"}, {"A", key}};
    const dp::TProfileReader reader = dp::TProfileReader::FromText(text);
    std::vector<std::pair<bool, std::string>> before;
    for (const TProbe& p : probes) {
        std::string streamed;
        const bool found = dp::profile_detail::FindValueStreaming(text, p.section, p.key, piece, &streamed);
        dp::TProfileStatus status;
        const std::string indexed = reader.GetString(p.section, p.key, "\x01", &status);
        Check(found == (status == dp::TProfileStatus::Found),
              "streaming and indexed reads disagree on presence");
        if (found) Check(streamed == indexed, "streaming and indexed reads disagree on the value");
        Check(indexed.size() <= dp::kMaxValueLength, "value longer than the cut");
        before.emplace_back(found, indexed);
    }

    dp::TProfileWriter writer = dp::TProfileWriter::FromText(text);
    // A text the reader refuses (UTF-16) takes no write at all.
    const bool readable = reader.LoadStatus() == dp::TProfileStatus::Found;
    const bool writable = readable && dp::IsValidProfileSection(section) && dp::IsValidProfileKey(key) &&
                          value.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
    Check(writer.WriteString(section, key, value) == writable, "write accepted or refused wrongly");
    if (!writable) {
        if (readable) Check(writer.Text() == text, "a refused write changed the text");
        return 0;
    }
    const std::string out = writer.Text();

    // Every byte outside one value stays: what was removed lies within a single line.
    std::size_t prefix = 0;
    while (prefix < text.size() && prefix < out.size() && text[prefix] == out[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < text.size() - prefix && suffix < out.size() - prefix &&
           text[text.size() - 1 - suffix] == out[out.size() - 1 - suffix])
        ++suffix;
    const std::string removed = text.substr(prefix, text.size() - prefix - suffix);
    Check(removed.find_first_of("\r\n") == std::string::npos, "a write changed other lines");

    const dp::TProfileReader after = dp::TProfileReader::FromText(out);
    dp::TProfileStatus status;
    const std::string back = after.GetString(section, key, "\x01", &status);
    Check(status == dp::TProfileStatus::Found, "a written key is not found");
    // Blanks at the ends and enclosing quotes survive too: such values are written quoted.
    Check(back == value.substr(0, dp::kMaxValueLength), "a written value reads back differently");
    for (std::size_t i = 0; i < probes.size(); ++i) {
        if (EqualNoCase(probes[i].section, section) && EqualNoCase(probes[i].key, key)) continue;
        const std::string now = after.GetString(probes[i].section, probes[i].key, "\x01", &status);
        Check((status == dp::TProfileStatus::Found) == before[i].first,
              "a write changed another key's presence");
        if (before[i].first) Check(now == before[i].second, "a write changed another key's value");
    }

    // Two writes in one batch equal the same writes one after the other.
    const bool writable2 = dp::IsValidProfileSection(section2) && dp::IsValidProfileKey(key2) &&
                           value2.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
    Check(writer.WriteString(section2, key2, value2) == writable2,
          "second write accepted or refused wrongly");
    dp::TProfileWriter next = dp::TProfileWriter::FromText(out);
    next.WriteString(section2, key2, value2);
    Check(writer.Text() == next.Text(), "batch and one-by-one writes differ");
    return 0;
}
