#include "settings/app_settings.h"

#include "app/Main.h"
#include "calc/results.h"
#include "controls/controls.h"
#include "schematic/groups.h"
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

    // A real with the locale's decimal separator only (a point is not taken for a comma here).
    bool Real(const char* section, const std::string& key, double& value) const {
        std::string text;
        if (!Text(section, key, text)) return false;
        double parsed = 0.0;
        if (!text.empty() && TryStrToFloat(text, parsed)) value = parsed;
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
QSize LargestWindow() {
    QSize largest(TForm1::kDesignOuterWidth, TForm1::kDesignOuterHeight);
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
bool ReadSettings(TForm1& form, const TSettingsReader& reader) {
    TCalcState& s = form.State;
    // A failed read gives the default, as a missing key does: the chain is never fed from 0 V.
    s.U_RP = kDefaultSupplyVoltage;
    if (!reader.Int(kCommon, "U_RP", s.U_RP)) return false;

    int32_t count = kDefaultRegeneratorCount;
    if (!reader.Int(kCommon, "NumRegs", count)) return false;
    count = std::clamp<int32_t>(count, 1, MaxRegs);

    for (int n = 1; n <= count; ++n) {
        AddRegenerator(form);
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
    (power == 150 ? form.ch150W : form.ch75W)->SetChecked(true);

    int32_t choke = kDefaultChoke;
    if (!reader.Int(kCommon, "R_LRP", choke)) return false;
    switch (choke) {
    case 6:
        form.chR_LRP_6->SetChecked(true);
        break;
    case 16:
        form.chR_LRP_16->SetChecked(true);
        break;
    case 24:
        form.chR_LRP_24->SetChecked(true);
        break;
    default:
        form.chR_LRP_0->SetChecked(true);
        break;
    }

    const QSize largest = LargestWindow();
    int32_t width = form.Width();
    if (!reader.Int(kFSize, "Width", width)) return false;
    form.SetWidth(ClampSize(width, largest.width()));
    int32_t height = form.Height();
    if (!reader.Int(kFSize, "Height", height)) return false;
    form.SetHeight(ClampSize(height, largest.height()));
    int32_t left = 0;
    if (!reader.Int(kFSize, "Left", left)) return false;
    form.SetLeft(ClampPosition(left));
    int32_t top = 0;
    if (!reader.Int(kFSize, "Top", top)) return false;
    form.SetTop(ClampPosition(top));
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

void LoadSettings(TForm1& form) {
    const TSettingsReader reader(SettingsPath());
    if (!ReadSettings(form, reader)) {
        AddLog(form.State, form, "Нет доступа к файлу INI !!!", false);
    }
    // The solver needs a chain: a file that could not be read still leaves one regenerator.
    if (form.State.NumRegs == 0) AddRegenerator(form);
}

std::vector<TSetting> SettingsToWrite(const TForm1& form) {
    std::vector<TSetting> settings;
    const TCalcState& s = form.State;
    settings.reserve(12 + 5 * static_cast<size_t>(s.NumRegs));
    settings.push_back({kCommon, "U_RP", std::to_string(s.U_RP)});
    settings.push_back({kCommon, "NumRegs", std::to_string(s.NumRegs)});
    settings.push_back({kCommon, "P_RP", form.ch75W->Checked() ? "75" : "150"});
    const char* choke = form.chR_LRP_6->Checked()    ? "6"
                        : form.chR_LRP_16->Checked() ? "16"
                        : form.chR_LRP_24->Checked() ? "24"
                                                     : "0";
    settings.push_back({kCommon, "R_LRP", choke});

    for (int n = 1; n <= s.NumRegs; ++n) {
        const TRegenerator& r = s.Regs[static_cast<size_t>(n)];
        const std::string section = RegSection(n);
        settings.push_back({section, "RR_ENT", r.RR_ENT ? "1" : "0"});
        settings.push_back({section, "RR", std::to_string(r.RR)});
        settings.push_back({section, "RR_LEN", FormatGeneral(r.RR_LEN)});
        settings.push_back({section, "RR_DIA", FormatGeneral(r.RR_DIA)});
        settings.push_back({section, "RL_P", FormatGeneral(r.RL_P)});
    }

    settings.push_back({kFSize, "Width", std::to_string(form.Width())});
    settings.push_back({kFSize, "Height", std::to_string(form.Height())});
    settings.push_back({kFSize, "Left", std::to_string(form.Left())});
    settings.push_back({kFSize, "Top", std::to_string(form.Top())});
    return settings;
}

void SaveSettings(TForm1& form) {
    TProfileWriter writer(SettingsPath());
    if (writer.LoadStatus() == TProfileStatus::ReadError) return;
    for (const TSetting& setting : SettingsToWrite(form)) {
        writer.WriteString(setting.section, setting.key, setting.value);
    }
    // Replaced atomically: a crash or a full disk leaves the old file or the new one, never half.
    // A failure (a read-only folder) loses this run's settings without a message.
    writer.Commit();
}

} // namespace dp
