#pragma once
// A fresh private folder (mode 0700) for one test, removed with everything in it when the test ends;
// on request it is also the current folder meanwhile. Qt-free and header-only: the plain GoogleTest
// programs use it as well as the widget tests (QDir::setCurrent and QDir::currentPath are chdir and
// getcwd underneath). A folder that cannot be made throws, so the test fails before it starts.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

#include <stdlib.h>

namespace dp::test {

// The current folder for one scope: changed on entry, the one before put back however the scope ends.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::string& folder) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~ScopedCurrentFolder() {
        std::error_code error;
        std::filesystem::current_path(previous_, error);
        if (error) ADD_FAILURE() << "could not return to the folder " << previous_ << ": " << error.message();
    }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

private:
    std::filesystem::path previous_;
};

class TempFolder {
public:
    enum class Use { Apart, AsCurrent };

    // A new folder in the system's temporary folder ($TMPDIR, else /tmp).
    explicit TempFolder(Use use = Use::Apart) : path_(Make()) {
        if (use == Use::AsCurrent) {
            try {
                current_.emplace(path_);
            } catch (...) {
                Remove(path_);
                throw;
            }
        }
    }
    ~TempFolder() {
        current_.reset(); // leave the folder before it goes
        Remove(path_);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // The path of name inside the folder.
    std::string File(const std::string& name) const { return path_ + '/' + name; }

private:
    static std::string Make() {
        std::string pattern = (std::filesystem::temp_directory_path() / "dp-test-XXXXXX").lexically_normal();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("no temporary folder " + pattern + ": " + std::strerror(errno));
        return pattern;
    }

    // Tests take rights away from folders inside (read-only, unreadable): the owner gets them back
    // first, folder by folder from the top, so that everything can be listed and removed. Links are
    // not followed.
    static void Remove(const std::string& path) {
        namespace fs = std::filesystem;
        std::error_code ignored;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
        std::error_code listing;
        for (fs::recursive_directory_iterator it(path, listing), end; !listing && it != end;
             it.increment(listing)) {
            if (it->symlink_status(ignored).type() == fs::file_type::directory)
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
        fs::remove_all(path, ignored);
    }

    std::string path_;
    std::optional<ScopedCurrentFolder> current_;
};

} // namespace dp::test
