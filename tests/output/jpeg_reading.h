#pragma once
// Reading a screenshot file back: the shared decoder and marker walk, read through QFile, with the
// decoded pixels as a QImage.
#include "tests/support/jpeg_decode.h"

#include <QFile>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace dp::test {

struct TJpegFile : TDecodedJpeg {
    std::vector<uint8_t> markers; // marker codes from SOI to SOS

    bool HasMarker(uint8_t code) const {
        return std::find(markers.begin(), markers.end(), code) != markers.end();
    }
};

// The file decoded, or nothing when it is missing or no JPEG.
inline std::optional<TJpegFile> ReadJpeg(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = f.readAll();
    const std::vector<uint8_t> file(bytes.begin(), bytes.end());
    std::optional<TDecodedJpeg> decoded = DecodeJpeg(file);
    if (!decoded) return std::nullopt;
    TJpegFile out;
    static_cast<TDecodedJpeg&>(out) = std::move(*decoded);
    for (const TJpegMarker& marker : JpegHeaderMarkers(file)) out.markers.push_back(marker.code);
    return out;
}

// The decoded pixels as a picture.
inline QImage ToImage(const TJpegFile& file) {
    return QImage(file.rgb.data(), file.width, file.height, file.width * 3, QImage::Format_RGB888).copy();
}

} // namespace dp::test
