#include "output/jpeg/jpeg_writer.h"

#include <cerrno>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <jpeglib.h>

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

// Lives in the caller's frame, so its contents stay defined after the jump back into Encode.
struct TEncoder {
    jpeg_compress_struct cinfo;
    TJpegErrorManager err;
};

[[noreturn]] void LeaveLibrary(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<TJpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->resume, 1);
}

void DropMessage(j_common_ptr) {}

// Compresses the picture into `out`. The library may jump back here from any call below, so this
// frame holds no object with a destructor and no local that is needed after the jump.
bool Encode(TEncoder* encoder, std::FILE* out, const uint8_t* rgb, int width, int height, int stride,
            int quality) {
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
    jpeg_stdio_dest(cinfo, out);
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

std::string ErrnoText(int code) {
    return std::strerror(code);
}

// The folder part of a path ("." for a bare name, "/" for a file in the root) and the name part.
void SplitPath(const std::string& path, std::string* folder, std::string* name) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        *folder = ".";
        *name = path;
    } else {
        *folder = slash == 0 ? "/" : path.substr(0, slash);
        *name = path.substr(slash + 1);
    }
}

// A hidden name beside the target: "<folder>/.<name>.<random>.tmp", the name part shortened so the
// whole stays within the file system's name limit.
std::string TemporaryPathFor(const std::string& folder, const std::string& name, std::mt19937_64& random) {
    std::string stem = name.substr(0, 96);
    if (stem.size() < name.size()) { // never leave half a UTF-8 character at the cut
        while (!stem.empty() && (static_cast<unsigned char>(stem.back()) & 0xC0) == 0x80) stem.pop_back();
        if (!stem.empty() && static_cast<unsigned char>(stem.back()) >= 0xC0) stem.pop_back();
    }
    char tag[24];
    std::snprintf(tag, sizeof tag, "%016llx", static_cast<unsigned long long>(random()));
    return (folder == "/" ? "" : folder) + "/." + stem + "." + tag + ".tmp";
}

// Makes a rename in `folder` durable; a failure here does not undo a completed write.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
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

    // A symbolic link is followed: the file it points to is the one replaced, the link stays.
    std::string target = path;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    std::string folder, name;
    SplitPath(target, &folder, &name);
    if (name.empty()) {
        SetError(error, "no file name in \"" + path + "\"");
        return false;
    }

    // An existing target must be a regular file that we may write: a read-only file is not replaced.
    bool keepMode = false;
    mode_t mode = 0;
    if (::stat(target.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            SetError(error, "\"" + path + "\" exists and is not a regular file");
            return false;
        }
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            SetError(error, "cannot write \"" + path + "\": " + ErrnoText(errno));
            return false;
        }
        keepMode = true;
        mode = info.st_mode & 0777;
    }

    std::mt19937_64 random{std::random_device{}() ^ (static_cast<uint64_t>(::getpid()) << 32)};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryPathFor(folder, name, random);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        SetError(error, "cannot create a file in \"" + folder + "\": " + ErrnoText(errno));
        return false;
    }
    if (keepMode) ::fchmod(fd, mode);

    std::FILE* out = ::fdopen(fd, "wb");
    if (!out) {
        const int code = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        SetError(error, "cannot open a stream: " + ErrnoText(code));
        return false;
    }

    TEncoder encoder;
    if (!Encode(&encoder, out, rgb, width, height, stride, quality)) {
        std::fclose(out);
        ::unlink(temporary.c_str());
        SetError(error, std::string("JPEG encoder: ") + encoder.err.message);
        return false;
    }

    // Everything must have reached the disk before the name is switched over.
    errno = 0;
    const bool flushed = std::fflush(out) == 0 && !std::ferror(out) && ::fsync(::fileno(out)) == 0;
    int code = errno;
    const bool closed = std::fclose(out) == 0;
    if (flushed && !closed) code = errno;
    if (!flushed || !closed) {
        ::unlink(temporary.c_str());
        SetError(error, "cannot write the file: " + ErrnoText(code ? code : EIO));
        return false;
    }

    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        code = errno;
        ::unlink(temporary.c_str());
        SetError(error, "cannot replace \"" + path + "\": " + ErrnoText(code));
        return false;
    }
    SyncFolder(folder);
    return true;
}

} // namespace dp
