#include "output/jpeg/jpeg_writer.h"

#include "util/atomic_file.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include <jpeglib.h>
// After jpeglib.h: its macros use the library's types.
#include <jerror.h>

namespace dp {
namespace {

// libjpeg's standard error manager ends the process on a fatal error and prints warnings to stderr.
// Ours keeps the text of the fatal message and jumps back to the caller of the library; warnings are
// dropped (a compressor's warnings never make the file unusable).
struct TJpegErrorManager {
    jpeg_error_mgr pub; // first member: libjpeg hands back a pointer to it
    std::jmp_buf resume;
    char message[JMSG_LENGTH_MAX];
};

// The compressed picture in memory; growing it never throws through the library.
struct TJpegBuffer {
    jpeg_destination_mgr pub; // first member: libjpeg hands back a pointer to it
    std::vector<unsigned char> bytes;
};

constexpr std::size_t kJpegPiece = 64 * 1024;

void StartBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<TJpegBuffer*>(cinfo->dest);
    bool grown = true;
    try {
        dest->bytes.resize(kJpegPiece);
    } catch (...) {
        grown = false;
    }
    if (!grown) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    dest->pub.next_output_byte = dest->bytes.data();
    dest->pub.free_in_buffer = dest->bytes.size();
}

boolean GrowBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<TJpegBuffer*>(cinfo->dest);
    // The library calls this only with the buffer full.
    const std::size_t used = dest->bytes.size();
    bool grown = true;
    try {
        dest->bytes.resize(used * 2);
    } catch (...) {
        grown = false;
    }
    if (!grown) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
    dest->pub.next_output_byte = dest->bytes.data() + used;
    dest->pub.free_in_buffer = dest->bytes.size() - used;
    return TRUE;
}

void EndBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<TJpegBuffer*>(cinfo->dest);
    dest->bytes.resize(dest->bytes.size() - dest->pub.free_in_buffer);
}

// Lives in the caller's frame, so its contents stay defined after the jump back into Encode.
struct TEncoder {
    jpeg_compress_struct cinfo;
    TJpegErrorManager err;
    TJpegBuffer out;
};

[[noreturn]] void LeaveLibrary(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<TJpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->resume, 1);
}

void DropMessage(j_common_ptr) {}

// Compresses the picture into encoder->out.bytes. The library may jump back here from any call
// below, so this frame holds no object with a destructor and no local that is needed after the jump.
bool Encode(TEncoder* encoder, const uint8_t* rgb, int width, int height, int stride, int quality) {
    jpeg_compress_struct* cinfo = &encoder->cinfo;
    cinfo->err = jpeg_std_error(&encoder->err.pub);
    encoder->err.pub.error_exit = LeaveLibrary;
    encoder->err.pub.output_message = DropMessage;
    encoder->err.message[0] = '\0';
    if (setjmp(encoder->err.resume)) {
        jpeg_destroy_compress(&encoder->cinfo);
        return false;
    }
    jpeg_create_compress(cinfo);
    encoder->out.pub.init_destination = StartBuffer;
    encoder->out.pub.empty_output_buffer = GrowBuffer;
    encoder->out.pub.term_destination = EndBuffer;
    cinfo->dest = &encoder->out.pub;
    cinfo->image_width = static_cast<JDIMENSION>(width);
    cinfo->image_height = static_cast<JDIMENSION>(height);
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB; // must precede jpeg_set_defaults, which picks YCbCr and JFIF from it
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        // The library only reads the rows it is given.
        JSAMPROW row = const_cast<JSAMPROW>(rgb + static_cast<std::ptrdiff_t>(cinfo->next_scanline) * stride);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    jpeg_destroy_compress(cinfo);
    return true;
}

void SetError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

} // namespace

bool WriteJpegFile(const std::string& path, const uint8_t* rgb, int width, int height, int stride,
                   int quality, std::string* error) {
    if (width < 1 || height < 1) {
        SetError(error, "the picture has no pixels (" + std::to_string(width) + " x " +
                            std::to_string(height) + ")");
        return false;
    }
    if (!rgb || static_cast<long long>(stride) < 3LL * width) {
        SetError(error, "the pixel rows are shorter than the picture's width");
        return false;
    }
    if (quality < 1 || quality > 100) {
        SetError(error, "the quality " + std::to_string(quality) + " is outside 1..100");
        return false;
    }

    // The whole picture is encoded before the file is touched: an encoder error changes nothing.
    TEncoder encoder;
    if (!Encode(&encoder, rgb, width, height, stride, quality)) {
        SetError(error, std::string("JPEG encoder: ") + encoder.err.message);
        return false;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(encoder.out.bytes.data()),
                                 encoder.out.bytes.size());
    int code = 0;
    if (!ReplaceFileAtomically(path, bytes, &code)) {
        SetError(error, "cannot write \"" + path + "\": " + std::strerror(code));
        return false;
    }
    return true;
}

} // namespace dp
