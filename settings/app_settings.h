#pragma once
// Loading and saving the program's settings: the chain, the options and the window geometry, in an
// INI file beside the executable (same folder, same base name, extension ".ini").
#include <string>
#include <vector>

class TForm1;

namespace dp {

// The settings file of an executable: its extension replaced by ".ini", or ".ini" appended to a
// name without one ("raschet-dp" -> "raschet-dp.ini"). A dot that starts the name is no extension.
std::string SettingsPathFor(const std::string& executable);

// The settings file in use: the one set by SetSettingsPath, else the running executable's.
std::string SettingsPath();
// Points loading and saving at another file (tests); an empty path returns to the executable's.
void SetSettingsPath(const std::string& path);

// Reads the stored settings into the window at start-up, right after the table has been reset:
// U_RP, the stored regenerators (appended one by one, each with its stored values), the source
// power and the choke (checked, which recalculates when the selection changes), and the window's
// outer size and position. A missing file, section or key gives the default; a file that cannot be
// read stops the reading, leaves a debug line in the log, and the chain still gets one regenerator.
void LoadSettings(TForm1& form);

// One key as SaveSettings writes it.
struct TSetting {
    std::string section;
    std::string key;
    std::string value;
    bool operator==(const TSetting&) const = default;
};

// Every key SaveSettings writes, in the order it writes them: COMMON (U_RP, NumRegs, P_RP, R_LRP),
// REG1 ... REGn (RR_ENT, RR, RR_LEN, RR_DIA, RL_P each), FSize (Width, Height, Left, Top).
std::vector<TSetting> SettingsToWrite(const TForm1& form);

// Writes the settings of the window (the same keys, in the order they are read) into the file,
// keeping every other line of it. The file is replaced at once or not at all; a failure is silent.
void SaveSettings(TForm1& form);

} // namespace dp
