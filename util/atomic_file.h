#pragma once
// Replacing the whole content of a file at once, for every file the program writes (the settings,
// the screenshots). A crash, a full disk or a failing disk leaves the old content or the new one,
// never a mix and never an empty file. No Qt.
//
// How: the new content goes into a new file in the target's folder, unnamed while it is written
// where the file system allows that (else named ".<name>.<16 hex digits>.tmp"); it is flushed to
// disk, given the old file's owner, group and permission bits, then renamed over the target, and
// the folder is flushed so the rename lasts too.
//
// - A file without any write bit (mode 0444) is never replaced, also not for root; neither is a file
//   the user may not write, nor anything but a regular file.
// - A symbolic link stays a link: the file it finally points to is replaced, and a dangling link gets
//   the file it names created (in a folder that exists).
// - A file with several hard links: the name written to gets the new content as a new file and the
//   other names keep the old content. Writing into the shared file in place could leave it half
//   written, which is what this writer exists to prevent.
// - The owner is kept where the system allows (root, or the user's own file); group and permission
//   bits are kept whenever the user may set them.
// - A killed save can leave its named temporary behind; the next save of the same file removes it
//   before it starts, so at most one stays after any crash. A save in progress locks its temporary,
//   so another process's running save is never disturbed.
// - On any failure the old file stays untouched and no temporary is left.
#include <string>
#include <string_view>

namespace dp {

// Replaces the file at `path` (in its on-disk byte encoding) with `content`. True on success;
// false on failure, with the errno value in *error when given.
bool ReplaceFileAtomically(const std::string& path, std::string_view content, int* error = nullptr);

// Whether ReplaceFileAtomically(path, ...) would be allowed to replace the file, judged without
// writing anything: the same checks of the file, and a folder the user may create files in. False,
// with the errno value in *error when given, when it would be refused.
bool CanReplaceFile(const std::string& path, int* error = nullptr);

namespace atomic_file_detail {
// Whether the unnamed temporary may be used (true by default); tests switch it off to check the
// named one, which the program falls back to on file systems without unnamed files.
void AllowUnnamedTemporary(bool allow);
// True when `entry` is the name of a temporary that a save of `name` makes.
bool IsTemporaryOf(std::string_view entry, std::string_view name);
} // namespace atomic_file_detail

} // namespace dp
