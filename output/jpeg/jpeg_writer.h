#pragma once
// Writes an RGB picture as a colour, baseline JFIF file through the libjpeg API. No Qt.
#include <cstdint>
#include <string>

namespace dp {

// The quality the screenshot is saved with.
inline constexpr int kScreenshotJpegQuality = 80;

// Encodes width x height pixels of 24-bit RGB (3 bytes per pixel, R first; `stride` bytes from the
// start of one row to the next, at least width * 3) and writes them to `path` (a file-system path
// in its on-disk byte encoding).
//
// Encoder settings: JCS_RGB input, libjpeg's defaults, then the quality (1..100) with baseline
// quantisation tables; not progressive; the default JFIF header.
//
// The picture is encoded in memory first and then written through ReplaceFileAtomically
// (util/atomic_file.h): the file is replaced at once or not at all, without a question; owner and
// permission bits are kept, a read-only file is never replaced, a symbolic link stays a link. On any
// failure (bad arguments, missing folder, no access, a read-only existing file, disk full, an
// encoder error) an existing target is left exactly as it was, no temporary file stays, false is
// returned and, when `error` is given, it receives a short English description for diagnostics.
// Width or height below 1 and a quality outside 1..100 are such failures. libjpeg never prints and
// never ends the process.
bool WriteJpegFile(const std::string& path, const uint8_t* rgb, int width, int height, int stride,
                   int quality, std::string* error = nullptr);

} // namespace dp
