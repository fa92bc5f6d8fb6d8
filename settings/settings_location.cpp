#include "settings/settings_location.h"

#include "util/atomic_file.h"

#include <cerrno>

#include <sys/stat.h>

namespace dp {

namespace {

bool IsAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string NamePart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

std::string UserConfigFolder(const char* xdgConfigHome, const char* home) {
    if (IsAbsolute(xdgConfigHome)) return WithoutTrailingSlashes(xdgConfigHome);
    if (IsAbsolute(home)) {
        const std::string folder = WithoutTrailingSlashes(home);
        return (folder == "/" ? std::string() : folder) + "/.config";
    }
    return std::string();
}

TSettingsLocation ChooseSettingsLocation(const std::string& besideExecutable,
                                         const std::string& userConfigFolder) {
    if (CanReplaceFile(besideExecutable) || userConfigFolder.empty()) {
        return {besideExecutable, besideExecutable, false};
    }
    const std::string name = NamePart(besideExecutable);
    std::string program = name;
    if (program.size() > 4 && program.ends_with(".ini")) program.resize(program.size() - 4);
    const std::string own = userConfigFolder + "/" + program + "/" + name;
    return {Exists(own) ? own : besideExecutable, own, true};
}

bool CreateFoldersOf(const std::string& path, unsigned mode) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return true;
    const std::string folder = path.substr(0, slash);
    struct stat st;
    if (::stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    if (!CreateFoldersOf(folder, mode)) return false;
    return ::mkdir(folder.c_str(), static_cast<mode_t>(mode)) == 0 || errno == EEXIST;
}

} // namespace dp
