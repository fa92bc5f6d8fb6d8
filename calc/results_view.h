#pragma once
// What a calculation needs of the window: the source power choice, the result labels, the notice
// and the log. The main window implements it on its widgets; tests implement it with plain data.
#include <cstdint>
#include <string>

namespace dp {

// The source's result labels whose text (and, for three of them, colour) a calculation sets.
enum class TSourceLabel { LabRP_U, LabURP_Calc, LabRP_I, LabRP_P };

// The six per-regenerator labels a calculation writes.
enum class TRegLabel { LabR, LabR_L, LabR_UI, LabRL_I, LabRL_U, LabRL_P };

inline constexpr uint32_t kColorBlack = 0x000000; // 0xRRGGBB
inline constexpr uint32_t kColorRed = 0xFF0000;

class IResultsView {
public:
    virtual ~IResultsView() = default;
    virtual bool Is75WChecked() const = 0; // source rating 75 W selected (else 150 W)
    virtual void SetSourceCaption(TSourceLabel label, const std::string& text) = 0;
    virtual void SetSourceColor(TSourceLabel label, uint32_t rgb) = 0;
    virtual void SetRegCaption(int index, TRegLabel label, const std::string& text) = 0;
    virtual void SetImpossCaption(const std::string& text) = 0;
    virtual void SetImpossVisible(bool visible) = 0;
    virtual bool IsImpossVisible() const = 0;
    virtual void ClearLog() = 0;
    virtual void AppendLog(const std::string& line) = 0;
};

} // namespace dp
