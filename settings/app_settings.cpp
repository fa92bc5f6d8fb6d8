#include "settings/app_settings.h"

#include "settings/profile/profile.h"
#include "util/uStrUtils.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace dp {

namespace {

constexpr const char* kCommon = "COMMON";
constexpr const char* kFSize = "FSize";

constexpr int32_t kDefaultSupplyVoltage = 370;
constexpr int32_t kDefaultRegeneratorCount = 1;
constexpr int32_t kDefaultSourcePower = 150;
constexpr int32_t kDefaultChoke = 16;

// X11 places windows with 16-bit coordinates: a position beyond them would wrap around.
constexpr int32_t kMinPosition = -32768;
constexpr int32_t kMaxPosition = 32767;

std::string& PathOverride() {
    static std::string path;
    return path;
}

std::string ExecutablePath() {
    if (QCoreApplication::instance() != nullptr) {
        const QString path = QCoreApplication::applicationFilePath();
        if (!path.isEmpty()) return QFile::encodeName(path).toStdString();
    }
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.string();
}

std::string RegSection(int n) {
    return "REG" + std::to_string(n);
}

// The keys of one settings file, read through one load of the whole file. Each read leaves the
// value as it was when the key is missing or its text does not parse, and returns false when the
// file could not be read, which ends the loading.
class TSettingsReader {
public:
    explicit TSettingsReader(const std::string& path) : reader_(path) {}

    bool Int(const char* section, const std::string& key, int32_t& value) const {
        std::string text;
        if (!Text(section, key, text)) return false;
        int32_t parsed = 0;
        if (!text.empty() && TryStrToInt(text, parsed)) value = parsed;
        return true;
    }

    // Read as an integer; any value other than 0 is true.
    bool Bool(const char* section, const std::string& key, bool& value) const {
        int32_t number = value ? 1 : 0;
        if (!Int(section, key, number)) return false;
        value = number != 0;
        return true;
    }

    // A real with either decimal separator: a file written under another locale keeps its values.
    bool Real(const char* section, const std::string& key, double& value) const {
        std::string text;
        if (!Text(section, key, text)) return false;
        double parsed = 0.0;
        if (!text.empty() && TryStrToFloatAnySeparator(text, parsed)) value = parsed;
        return true;
    }

private:
    bool Text(const char* section, const std::string& key, std::string& text) const {
        TProfileStatus status = TProfileStatus::Missing;
        text = reader_.GetString(section, key, std::string(), &status);
        if (status == TProfileStatus::ReadError) return false;
        if (status != TProfileStatus::Found) text.clear();
        return true;
    }

    TProfileReader reader_;
};

// The largest outer size a window may take: the whole desktop, and never less than the designed
// size. A stored size beyond it would ask the window system for a window of gigabytes.
QSize LargestWindow(const ISettingsTarget& target) {
    QSize largest = target.DesignedOuterSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        largest = largest.expandedTo(screen->virtualSize());
    }
    return largest;
}

int ClampSize(int32_t size, int largest) {
    return std::clamp<int32_t>(size, 1, largest);
}

int ClampPosition(int32_t position) {
    return std::clamp(position, kMinPosition, kMaxPosition);
}

// Everything up to the first failed read; false when the file could not be read.
bool ReadSettings(ISettingsTarget& target, const TSettingsReader& reader) {
    TCalcState& s = target.CalcState();
    // A failed read gives the default, as a missing key does: the chain is never fed from 0 V.
    s.U_RP = kDefaultSupplyVoltage;
    if (!reader.Int(kCommon, "U_RP", s.U_RP)) return false;

    int32_t count = kDefaultRegeneratorCount;
    if (!reader.Int(kCommon, "NumRegs", count)) return false;
    count = std::clamp<int32_t>(count, 1, MaxRegs);

    for (int n = 1; n <= count; ++n) {
        target.AppendRegenerator();
        TRegenerator& r = s.Regs[static_cast<size_t>(n)];
        const std::string section = RegSection(n);
        const char* name = section.c_str();
        if (!reader.Bool(name, "RR_ENT", r.RR_ENT)) return false;
        if (!reader.Int(name, "RR", r.RR)) return false;
        if (!reader.Real(name, "RR_LEN", r.RR_LEN)) return false;
        if (!reader.Real(name, "RR_DIA", r.RR_DIA)) return false;
        if (!reader.Real(name, "RL_P", r.RL_P)) return false;
    }

    // Checking a button whose group changes selection recalculates, as a click would.
    int32_t power = kDefaultSourcePower;
    if (!reader.Int(kCommon, "P_RP", power)) return false;
    target.SelectSourcePower(power != 150);

    int32_t choke = kDefaultChoke;
    if (!reader.Int(kCommon, "R_LRP", choke)) return false;
    switch (choke) {
    case 6:
        target.SelectChoke(TChoke::R6);
        break;
    case 16:
        target.SelectChoke(TChoke::R16);
        break;
    case 24:
        target.SelectChoke(TChoke::R24);
        break;
    default:
        target.SelectChoke(TChoke::None);
        break;
    }

    const QSize largest = LargestWindow(target);
    int32_t width = target.Width();
    if (!reader.Int(kFSize, "Width", width)) return false;
    target.SetWidth(ClampSize(width, largest.width()));
    int32_t height = target.Height();
    if (!reader.Int(kFSize, "Height", height)) return false;
    target.SetHeight(ClampSize(height, largest.height()));
    int32_t left = 0;
    if (!reader.Int(kFSize, "Left", left)) return false;
    target.SetLeft(ClampPosition(left));
    int32_t top = 0;
    if (!reader.Int(kFSize, "Top", top)) return false;
    target.SetTop(ClampPosition(top));
    return true;
}

} // namespace

std::string SettingsPathFor(const std::string& executable) {
    const std::size_t slash = executable.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = executable.rfind('.');
    if (dot != std::string::npos && dot > nameStart) return executable.substr(0, dot) + ".ini";
    return executable + ".ini";
}

std::string SettingsPath() {
    if (!PathOverride().empty()) return PathOverride();
    return SettingsPathFor(ExecutablePath());
}

void SetSettingsPath(const std::string& path) {
    PathOverride() = path;
}

void LoadSettings(ISettingsTarget& target) {
    const TSettingsReader reader(SettingsPath());
    if (!ReadSettings(target, reader)) target.AddDebugLog("Нет доступа к файлу INI !!!");
    // The solver needs a chain: a file that could not be read still leaves one regenerator.
    if (target.CalcState().NumRegs == 0) target.AppendRegenerator();
}

namespace {

// The stored number of a choke.
const char* ChokeText(TChoke choke) {
    switch (choke) {
    case TChoke::R6:
        return "6";
    case TChoke::R16:
        return "16";
    case TChoke::R24:
        return "24";
    case TChoke::None:
        break;
    }
    return "0";
}

} // namespace

std::vector<TSetting> SettingsToWrite(const ISettingsTarget& target) {
    std::vector<TSetting> settings;
    const TCalcState& s = target.CalcState();
    settings.reserve(12 + 5 * static_cast<size_t>(s.NumRegs));
    settings.push_back({kCommon, "U_RP", std::to_string(s.U_RP)});
    settings.push_back({kCommon, "NumRegs", std::to_string(s.NumRegs)});
    settings.push_back({kCommon, "P_RP", target.Is75WChecked() ? "75" : "150"});
    settings.push_back({kCommon, "R_LRP", ChokeText(target.CurrentChoke())});

    for (int n = 1; n <= s.NumRegs; ++n) {
        const TRegenerator& r = s.Regs[static_cast<size_t>(n)];
        const std::string section = RegSection(n);
        settings.push_back({section, "RR_ENT", r.RR_ENT ? "1" : "0"});
        settings.push_back({section, "RR", std::to_string(r.RR)});
        settings.push_back({section, "RR_LEN", FormatGeneral(r.RR_LEN)});
        settings.push_back({section, "RR_DIA", FormatGeneral(r.RR_DIA)});
        settings.push_back({section, "RL_P", FormatGeneral(r.RL_P)});
    }

    settings.push_back({kFSize, "Width", std::to_string(target.Width())});
    settings.push_back({kFSize, "Height", std::to_string(target.Height())});
    settings.push_back({kFSize, "Left", std::to_string(target.Left())});
    settings.push_back({kFSize, "Top", std::to_string(target.Top())});
    return settings;
}

void SaveSettings(const ISettingsTarget& target) {
    TProfileWriter writer(SettingsPath());
    if (writer.LoadStatus() == TProfileStatus::ReadError) return;
    for (const TSetting& setting : SettingsToWrite(target)) {
        writer.WriteString(setting.section, setting.key, setting.value);
    }
    // Replaced atomically: a crash or a full disk leaves the old file or the new one, never half.
    // A failure (a read-only folder) loses this run's settings without a message.
    writer.Commit();
}

} // namespace dp
