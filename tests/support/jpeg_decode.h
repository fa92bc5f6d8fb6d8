#pragma once
// Reading a JPEG file back in tests: libjpeg decodes the bytes to RGB together with the header facts
// the writer chose (size, colour space, frame type, JFIF, quantisation tables, sampling); the header's
// markers are walked by hand. Qt-free and header-only; the widget tests add their own thin layer.
#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace dp::test {

struct TDecodedJpeg {
    int width = 0;
    int height = 0;
    int components = 0;
    J_COLOR_SPACE colourSpace = JCS_UNKNOWN; // as stored in the file
    bool progressive = false;
    bool sawJfif = false;
    bool quantPresent[2] = {false, false};
    std::array<uint16_t, 64> quant[2] = {}; // natural (row-major) order
    int sampling[3][2] = {};                // horizontal, vertical per component
    std::vector<uint8_t> rgb;               // width * 3 bytes per row

    const uint8_t* Pixel(int x, int y) const {
        return rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    }
};

namespace detail {

struct TDecodeErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf resume;
};

[[noreturn]] inline void LeaveDecoder(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<TDecodeErrorManager*>(cinfo->err)->resume, 1);
}
inline void SilenceDecoder(j_common_ptr) {}

struct TDecoder {
    jpeg_decompress_struct cinfo;
    TDecodeErrorManager err;
};

// Holds nothing with a destructor: the decoder's error exit jumps back into this frame.
inline bool DecodeInto(TDecoder* decoder, const std::vector<uint8_t>* file, TDecodedJpeg* out) {
    decoder->cinfo.err = jpeg_std_error(&decoder->err.pub);
    decoder->err.pub.error_exit = LeaveDecoder;
    decoder->err.pub.output_message = SilenceDecoder;
    if (setjmp(decoder->err.resume)) {
        jpeg_destroy_decompress(&decoder->cinfo);
        return false;
    }
    jpeg_decompress_struct* cinfo = &decoder->cinfo;
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, file->data(), static_cast<unsigned long>(file->size()));
    jpeg_read_header(cinfo, TRUE);
    out->width = static_cast<int>(cinfo->image_width);
    out->height = static_cast<int>(cinfo->image_height);
    out->components = cinfo->num_components;
    out->colourSpace = cinfo->jpeg_color_space;
    out->progressive = cinfo->progressive_mode;
    out->sawJfif = cinfo->saw_JFIF_marker;
    for (int t = 0; t < 2; ++t) {
        if (!cinfo->quant_tbl_ptrs[t]) continue;
        out->quantPresent[t] = true;
        for (int i = 0; i < 64; ++i) out->quant[t][i] = cinfo->quant_tbl_ptrs[t]->quantval[i];
    }
    for (int c = 0; c < std::min(3, cinfo->num_components); ++c) {
        out->sampling[c][0] = cinfo->comp_info[c].h_samp_factor;
        out->sampling[c][1] = cinfo->comp_info[c].v_samp_factor;
    }
    cinfo->out_color_space = JCS_RGB;
    jpeg_start_decompress(cinfo);
    out->rgb.resize(static_cast<std::size_t>(out->width) * out->height * 3);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = out->rgb.data() + static_cast<std::size_t>(cinfo->output_scanline) * out->width * 3;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    return true;
}

} // namespace detail

// The bytes decoded, or nothing when they are empty or no JPEG.
inline std::optional<TDecodedJpeg> DecodeJpeg(const std::vector<uint8_t>& file) {
    TDecodedJpeg decoded;
    detail::TDecoder decoder;
    if (file.empty() || !detail::DecodeInto(&decoder, &file, &decoded)) return std::nullopt;
    return decoded;
}

// The marker codes from SOI up to and including SOS, walking the segment lengths; empty when the
// file does not start like a JPEG. APP0 segments carry the first five bytes of their identifier.
struct TJpegMarker {
    uint8_t code;
    std::string app0Id;
};
inline std::vector<TJpegMarker> JpegHeaderMarkers(const std::vector<uint8_t>& file) {
    std::vector<TJpegMarker> markers;
    if (file.size() < 4 || file[0] != 0xFF || file[1] != 0xD8) return markers;
    markers.push_back({0xD8, {}});
    std::size_t at = 2;
    while (at + 4 <= file.size() && file[at] == 0xFF) {
        const uint8_t code = file[at + 1];
        const std::size_t length = static_cast<std::size_t>(file[at + 2]) << 8 | file[at + 3];
        TJpegMarker marker{code, {}};
        if (code == 0xE0 && at + 4 + 5 <= file.size())
            marker.app0Id.assign(reinterpret_cast<const char*>(&file[at + 4]), 5);
        markers.push_back(marker);
        if (code == 0xDA) break;
        at += 2 + length;
    }
    return markers;
}

// The example tables of the JPEG standard in natural order, which libjpeg scales by the quality.
inline constexpr uint16_t kBaseLuminance[64] = {
    16, 11,  10,  16, 24, 40, 51, 61, 12,  12,  14,  19,  26, 58, 60, 55,  14,  13,  16,  24, 40, 57,
    69, 56,  14,  17, 22, 29, 51, 87, 80,  62,  18,  22,  37, 56, 68, 109, 103, 77,  24,  35, 55, 64,
    81, 104, 113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98,  112, 100, 103, 99};
inline constexpr uint16_t kBaseChrominance[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// Quality 80 scales the base tables to 40 %, rounded, kept within the baseline range 1..255.
inline std::array<uint16_t, 64> ScaledForQuality80(const uint16_t (&base)[64]) {
    std::array<uint16_t, 64> table{};
    for (int i = 0; i < 64; ++i)
        table[i] = static_cast<uint16_t>(std::clamp((base[i] * 40 + 50) / 100, 1, 255));
    return table;
}

// libjpeg's table for quality 80, luminance or chrominance; natural order.
inline std::array<uint16_t, 64> Quality80Table(bool chrominance) {
    return ScaledForQuality80(chrominance ? kBaseChrominance : kBaseLuminance);
}

} // namespace dp::test
