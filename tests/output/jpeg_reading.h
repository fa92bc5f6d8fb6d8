#pragma once
// Reading a screenshot file back: libjpeg decodes it; the header's markers are walked by hand.
#include <QFile>
#include <QImage>
#include <QString>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace dp::test {

struct TJpegFile {
    int width = 0;
    int height = 0;
    int components = 0;
    bool progressive = false;
    bool sawJfif = false;
    std::array<uint16_t, 64> quant[2] = {}; // natural (row-major) order
    std::vector<uint8_t> rgb;               // width * 3 bytes per row
    std::vector<uint8_t> markers;           // marker codes from SOI to SOS

    const uint8_t* Pixel(int x, int y) const { return rgb.data() + (static_cast<size_t>(y) * width + x) * 3; }
    bool HasMarker(uint8_t code) const {
        return std::find(markers.begin(), markers.end(), code) != markers.end();
    }
};

namespace detail {

struct TErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf resume;
};

[[noreturn]] inline void LeaveDecoder(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<TErrorManager*>(cinfo->err)->resume, 1);
}
inline void Silence(j_common_ptr) {}

// Holds nothing with a destructor: the decoder's error exit jumps back into this frame.
inline bool DecodeInto(jpeg_decompress_struct* cinfo, TErrorManager* err, const std::vector<uint8_t>* file,
                       TJpegFile* out) {
    cinfo->err = jpeg_std_error(&err->pub);
    err->pub.error_exit = LeaveDecoder;
    err->pub.output_message = Silence;
    if (setjmp(err->resume)) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, file->data(), static_cast<unsigned long>(file->size()));
    jpeg_read_header(cinfo, TRUE);
    out->width = static_cast<int>(cinfo->image_width);
    out->height = static_cast<int>(cinfo->image_height);
    out->components = cinfo->num_components;
    out->progressive = cinfo->progressive_mode;
    out->sawJfif = cinfo->saw_JFIF_marker;
    for (int t = 0; t < 2; ++t)
        if (cinfo->quant_tbl_ptrs[t])
            for (int i = 0; i < 64; ++i) out->quant[t][i] = cinfo->quant_tbl_ptrs[t]->quantval[i];
    cinfo->out_color_space = JCS_RGB;
    jpeg_start_decompress(cinfo);
    out->rgb.resize(static_cast<size_t>(out->width) * out->height * 3);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = out->rgb.data() + static_cast<size_t>(cinfo->output_scanline) * out->width * 3;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    return true;
}

} // namespace detail

// The file decoded, or nothing when it is missing or no JPEG.
inline std::optional<TJpegFile> ReadJpeg(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = f.readAll();
    const std::vector<uint8_t> file(bytes.begin(), bytes.end());
    TJpegFile out;
    jpeg_decompress_struct cinfo;
    detail::TErrorManager err;
    if (file.empty() || !detail::DecodeInto(&cinfo, &err, &file, &out)) return std::nullopt;
    if (file.size() >= 4 && file[0] == 0xFF && file[1] == 0xD8) {
        out.markers.push_back(0xD8);
        size_t at = 2;
        while (at + 4 <= file.size() && file[at] == 0xFF) {
            const uint8_t code = file[at + 1];
            out.markers.push_back(code);
            if (code == 0xDA) break;
            at += 2 + (static_cast<size_t>(file[at + 2]) << 8 | file[at + 3]);
        }
    }
    return out;
}

// The decoded pixels as a picture.
inline QImage ToImage(const TJpegFile& file) {
    return QImage(file.rgb.data(), file.width, file.height, file.width * 3, QImage::Format_RGB888).copy();
}

// libjpeg's tables for quality 80: the example tables of the JPEG standard scaled to 40 %, rounded,
// within the baseline range 1..255; natural order.
inline std::array<uint16_t, 64> Quality80Table(bool chrominance) {
    static constexpr uint16_t luminance[64] = {
        16, 11,  10,  16, 24, 40, 51, 61, 12,  12,  14,  19,  26, 58, 60, 55,  14,  13,  16,  24, 40, 57,
        69, 56,  14,  17, 22, 29, 51, 87, 80,  62,  18,  22,  37, 56, 68, 109, 103, 77,  24,  35, 55, 64,
        81, 104, 113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98,  112, 100, 103, 99};
    static constexpr uint16_t chroma[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                            24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                            99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                            99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
    const uint16_t* base = chrominance ? chroma : luminance;
    std::array<uint16_t, 64> table{};
    for (int i = 0; i < 64; ++i)
        table[i] = static_cast<uint16_t>(std::clamp((base[i] * 40 + 50) / 100, 1, 255));
    return table;
}

} // namespace dp::test
