#pragma once
// The settings file for one scope: loading and saving use path until the scope ends, however it ends,
// and the program's own location after it (the program keeps no other location to go back to).
#include "settings/app_settings.h"

#include <string>

namespace dp::test {

class ScopedSettingsPath {
public:
    explicit ScopedSettingsPath(const std::string& path) { SetSettingsPath(path); }
    ~ScopedSettingsPath() { SetSettingsPath(std::string()); }
    ScopedSettingsPath(const ScopedSettingsPath&) = delete;
    ScopedSettingsPath& operator=(const ScopedSettingsPath&) = delete;
};

} // namespace dp::test
