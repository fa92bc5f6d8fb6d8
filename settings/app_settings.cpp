#include "settings/app_settings.h"

#include "settings/profile/profile.h"
#include "settings/settings_location.h"
#include "util/atomic_file.h"
#include "util/uStrUtils.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The location set by the tests, if any. Never destroyed, like the chosen location below: the
// settings are also saved on the way out of exit(), after static objects have been destroyed.
std::optional<TSettingsLocation>& LocationOverride() {
    static auto* location = new std::optional<TSettingsLocation>();
    return *location;
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

// The user's home folder: HOME, else the one the password database gives.
const char* HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    const passwd* entry = ::getpwuid(::geteuid());
    return entry != nullptr ? entry->pw_dir : nullptr;
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

// The smallest outer size a stored window keeps: room for the title bar's caption and buttons and a
// band of the window below it.
constexpr int kMinUsableWidth = 160;
constexpr int kMinUsableHeight = 100;
// How much of a window must lie on some screen for the user to reach it: a title bar's height over
// a hand's width.
constexpr int kTitleBarHeight = 24;
constexpr int kHandWidth = 100;

// Whether the user can reach and use a window of this outer geometry. Without any screen (a program
// with no display connection) only the size can be judged.
bool IsReachable(const QRect& outer) {
    if (outer.width() < kMinUsableWidth || outer.height() < kMinUsableHeight) return false;
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty()) return true;
    return std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
        const QRect visible = outer & screen->geometry();
        return visible.width() >= kHandWidth && visible.height() >= kTitleBarHeight;
    });
}

// The designed size, centred in the primary screen's free area (its top-left corner when the window
// is larger); at 0, 0 without a screen.
QRect DesignedPlace(const ISettingsTarget& target) {
    QRect outer(QPoint(0, 0), target.DesignedOuterSize());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        outer.moveTopLeft(free.topLeft() + QPoint(std::max(0, (free.width() - outer.width()) / 2),
                                                  std::max(0, (free.height() - outer.height()) / 2)));
    }
    return outer;
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

    // The geometry is applied once all of it is known: a window that could not be reached or used
    // where it was stored gets its designed size on the primary screen instead. Positions off the
    // screen that leave enough of the window on one stay as stored.
    int32_t width = target.Width();
    int32_t height = target.Height();
    int32_t left = 0;
    int32_t top = 0;
    if (!reader.Int(kFSize, "Width", width) || !reader.Int(kFSize, "Height", height) ||
        !reader.Int(kFSize, "Left", left) || !reader.Int(kFSize, "Top", top))
        return false;
    const QSize largest = LargestWindow(target);
    QRect outer(ClampPosition(left), ClampPosition(top), ClampSize(width, largest.width()),
                ClampSize(height, largest.height()));
    if (!IsReachable(outer)) outer = DesignedPlace(target);
    target.SetWidth(outer.width());
    target.SetHeight(outer.height());
    target.SetLeft(outer.left());
    target.SetTop(outer.top());
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

TSettingsLocation SettingsLocation() {
    if (LocationOverride()) return *LocationOverride();
    // Chosen once, at the first load: a folder that turns writable or read-only later changes
    // nothing for this run, which reads and writes the same file.
    static const auto* chosen = new TSettingsLocation(ChooseSettingsLocation(
        SettingsPathFor(ExecutablePath()), UserConfigFolder(std::getenv("XDG_CONFIG_HOME"), HomeFolder())));
    return *chosen;
}

std::string SettingsPath() {
    return SettingsLocation().writePath;
}

void SetSettingsLocation(const TSettingsLocation& location) {
    LocationOverride() = location;
}

void SetSettingsPath(const std::string& path) {
    if (path.empty())
        LocationOverride().reset();
    else
        LocationOverride() = TSettingsLocation{path, path, false};
}

void LoadSettings(ISettingsTarget& target) {
    const TSettingsReader reader(SettingsLocation().readPath);
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

namespace {

// The text a save starts from: the file saved to; while the user's own file does not exist yet, the
// file the settings were read from (the one shipped beside the executable), so its other sections
// and comments carry over.
TProfileWriter StartingText(const TSettingsLocation& location) {
    struct stat st;
    if (location.readPath != location.writePath && ::lstat(location.writePath.c_str(), &st) != 0 &&
        errno == ENOENT) {
        const TProfileReader shipped(location.readPath);
        return TProfileWriter::FromText(shipped.LoadStatus() == TProfileStatus::Found ? shipped.Text()
                                                                                      : std::string());
    }
    return TProfileWriter(location.writePath);
}

} // namespace

void SaveSettings(const ISettingsTarget& target) {
    const TSettingsLocation location = SettingsLocation();
    TProfileWriter writer = StartingText(location);
    if (writer.LoadStatus() == TProfileStatus::ReadError) return;
    for (const TSetting& setting : SettingsToWrite(target)) {
        writer.WriteString(setting.section, setting.key, setting.value);
    }
    if (location.createFolder && !CreateFoldersOf(location.writePath, 0700)) return;
    // Replaced atomically: a crash or a full disk leaves the old file or the new one, never half.
    // A failure (a read-only folder) loses this run's settings without a message.
    ReplaceFileAtomically(location.writePath, writer.Text());
}

} // namespace dp
