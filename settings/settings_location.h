#pragma once
// Where the settings file lives. A copy of the program in a folder the user may write keeps its
// settings beside the executable; an installed program (a folder only root may write) keeps them in
// the user's configuration folder, starting from the file beside the executable when the user has
// none yet (the values a packager or an administrator ships). No Qt.
#include <string>

namespace dp {

struct TSettingsLocation {
    std::string readPath;      // the file the settings are loaded from at start-up
    std::string writePath;     // the file they are saved to
    bool createFolder = false; // the folders of writePath are created (mode 0700) when missing
    bool operator==(const TSettingsLocation&) const = default;
};

// The user's configuration folder: XDG_CONFIG_HOME when it is an absolute path (a relative one is
// ignored), else HOME/.config when HOME is absolute; empty when neither gives one. Either may be null.
std::string UserConfigFolder(const char* xdgConfigHome, const char* home);

// The location for the settings file beside the executable (`besideExecutable`, as SettingsPathFor
// gives it): that file itself when it can be saved there; otherwise, when `userConfigFolder` is not
// empty, the file of the same name in the folder named after the file (its name without ".ini") in
// `userConfigFolder`, read from there once it exists and from the file beside the executable until
// then.
TSettingsLocation ChooseSettingsLocation(const std::string& besideExecutable,
                                         const std::string& userConfigFolder);

// Creates the missing folders of `path`'s folder, each new one with `mode`. True when the folder
// exists afterwards.
bool CreateFoldersOf(const std::string& path, unsigned mode);

} // namespace dp
