#pragma once
// Small helpers shared by the fuzz targets: a failed check that prints the
// current input before aborting, a reader that takes fields from the front of the input (so seed
// files can be written by hand), and the test whether an error text is one the program knows.
#include "util/math_errors.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace dp::fuzz {

// Printed when a check fails: the text that was being checked.
inline std::string gContext;

inline void ShowBytes(const char* name, const std::string& bytes) {
    std::fprintf(stderr, "%s (%zu): \"", name, bytes.size());
    for (unsigned char c : bytes) {
        if (c >= 32 && c < 127 && c != '"' && c != '\\')
            std::fputc(c, stderr);
        else
            std::fprintf(stderr, "\\x%02x", c);
    }
    std::fprintf(stderr, "\"\n");
}

[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "check failed: %s\n", what);
    ShowBytes("context", gContext);
    std::abort();
}

inline void Check(bool ok, const char* what) {
    if (!ok) Fail(what);
}

// One of the four texts an arithmetic fault may carry.
inline bool IsKnownMathText(const char* text) {
    return std::strcmp(text, kZeroDivideText) == 0 || std::strcmp(text, kInvalidOpText) == 0 ||
           std::strcmp(text, kOverflowText) == 0 || std::strcmp(text, kIntOverflowText) == 0;
}

inline bool SameBits(double a, double b) {
    uint64_t x = 0;
    uint64_t y = 0;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

// Fields taken from the front of the input, little-endian; past the end every read gives zeros.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return pos_ >= size_; }
    size_t Remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }

    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    uint64_t Unsigned(int bytes) {
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i) v |= uint64_t{Byte()} << (8 * i);
        return v;
    }
    int16_t Int16() { return static_cast<int16_t>(static_cast<uint16_t>(Unsigned(2))); }
    int32_t Int32() { return static_cast<int32_t>(static_cast<uint32_t>(Unsigned(4))); }
    double Double() {
        const uint64_t bits = Unsigned(8);
        double v = 0.0;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

} // namespace dp::fuzz
