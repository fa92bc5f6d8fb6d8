#pragma once
// Loading and saving the program's settings: the chain, the options and the window geometry, in an
// INI file beside the executable (same folder, same base name, extension ".ini"), or in the user's
// configuration folder when the program cannot save beside itself (settings/settings_location.h).
#include "calc/regenerator.h"
#include "settings/settings_location.h"

#include <QSize>

#include <string>
#include <vector>

namespace dp {

// What loading and saving the settings reads and changes of the window.
class ISettingsTarget {
public:
    virtual ~ISettingsTarget() = default;

    // The supply voltage and the chain: records 1 .. NumRegs are read and written.
    virtual TCalcState& CalcState() = 0;
    virtual const TCalcState& CalcState() const = 0;
    // Appends regenerator NumRegs + 1, with its group on the schematic, and nothing else.
    virtual void AppendRegenerator() = 0;

    // The source power and the choke buttons. Selecting a button that is not selected yet
    // recalculates, as a click on it does.
    virtual bool Is75WChecked() const = 0;
    virtual void SelectSourcePower(bool is75W) = 0;
    virtual TChoke CurrentChoke() const = 0;
    virtual void SelectChoke(TChoke choke) = 0;

    // The outer geometry of the window, frame included.
    virtual int Left() const = 0;
    virtual int Top() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetLeft(int v) = 0;
    virtual void SetTop(int v) = 0;
    virtual void SetWidth(int v) = 0;
    virtual void SetHeight(int v) = 0;
    // The designed outer size: a stored size is never limited below it.
    virtual QSize DesignedOuterSize() const = 0;

    // Adds a debug line to the log (written only when the log shows debug lines).
    virtual void AddDebugLog(const std::string& text) = 0;
};

// The settings file of an executable: its extension replaced by ".ini", or ".ini" appended to a
// name without one ("raschet-dp" -> "raschet-dp.ini"). A dot that starts the name is no extension.
std::string SettingsPathFor(const std::string& executable);

// Where the settings of this run are read and saved: the location set by SetSettingsLocation or
// SetSettingsPath, else the one chosen for the running executable (ChooseSettingsLocation) at the
// first call, the load at start-up, and kept for the whole run.
TSettingsLocation SettingsLocation();
// The file the settings are saved to.
std::string SettingsPath();
// Points loading and saving at other files (tests).
void SetSettingsLocation(const TSettingsLocation& location);
// Points loading and saving at one file (tests); an empty path returns to the executable's.
void SetSettingsPath(const std::string& path);

// Reads the stored settings into the target at start-up, right after the table has been reset:
// U_RP, the stored regenerators (appended one by one, each with its stored values), the source
// power and the choke (checked, which recalculates when the selection changes), and the window's
// outer size and position (its designed size on the primary screen when the stored window would be
// smaller than usable or lie too far off every screen to be reached). A missing file, section or key gives
// the default; a file that cannot be read stops the reading, leaves a debug line in the log, and the chain
// still gets one regenerator.
void LoadSettings(ISettingsTarget& target);

// One key as SaveSettings writes it.
struct TSetting {
    std::string section;
    std::string key;
    std::string value;
    bool operator==(const TSetting&) const = default;
};

// Every key SaveSettings writes, in the order it writes them: COMMON (U_RP, NumRegs, P_RP, R_LRP),
// REG1 ... REGn (RR_ENT, RR, RR_LEN, RR_DIA, RL_P each), FSize (Width, Height, Left, Top).
std::vector<TSetting> SettingsToWrite(const ISettingsTarget& target);

// Writes the settings of the target (the same keys, in the order they are read) into the file,
// keeping every other line of it (the user's own file starts as a copy of the file it was read
// from, and its folder is made when missing). The file is replaced at once or not at all; a failure
// is silent.
void SaveSettings(const ISettingsTarget& target);

} // namespace dp
