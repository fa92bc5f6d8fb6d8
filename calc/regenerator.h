#pragma once
// The regenerator table and the global parameters of one chain calculation.
// Plain data: the main window owns one TCalcState; tests create their own.
#include <array>
#include <cstdint>
#include <string>

// Controls that draw a regenerator on the schematic. The core only stores the references.
class TShape;
class TLabel;
class TImage;

namespace dp {

inline constexpr int MaxRegs = 200;

// One regenerator and the line section that feeds it (section 1 starts at the source).
struct TRegenerator {
    TShape* LineReg = nullptr; // feed line of the regenerator between the wires
    TShape* shRR = nullptr;    // resistor symbol of the section
    TShape* ShRL = nullptr;    // regenerator box
    TLabel* LabR_UI = nullptr; // section voltage drop and current
    TLabel* LabR = nullptr;    // RR, click edits it
    TLabel* LabR_L = nullptr;  // length and diameter, click edits them
    TLabel* LabRL_U = nullptr; // regenerator voltage
    TLabel* LabRL_I = nullptr; // regenerator current
    TLabel* LabRL_P = nullptr; // name and power, click edits the power
    TImage* imLRP_A = nullptr; // choke at the start of the section
    TImage* imLRP_B = nullptr; // choke at the end of the section
    int32_t RR = 256;          // section resistance without the chokes, ohms
    bool RR_ENT = true;        // RR typed in ohms (true) or computed from length and diameter (false)
    double RR_LEN = 10.0;      // section length, km
    double RR_DIA = 1.2;       // conductor diameter, mm
    double RL_P = 5.5;         // power drawn by the regenerator, W
    double RL_U = -1.0;        // computed: voltage at the regenerator, V
    double RL_I = -1.0;        // computed: current of the regenerator, A
    double RR_U = -1.0;        // computed: voltage drop on the section, chokes included, V
    double RR_I = -1.0;        // computed: section current (this and all further regenerators), A
};

// The choke fitted to every section; it adds its loop resistance to each of them.
enum class TChoke { R24, R16, R6, None };

// Loop resistance of the chokes of one section: twice the nominal value (48, 32, 12, 0 ohms).
constexpr int32_t ChokeLoopOhms(TChoke c) {
    switch (c) {
    case TChoke::R24:
        return 48;
    case TChoke::R16:
        return 32;
    case TChoke::R6:
        return 12;
    case TChoke::None:
        return 0;
    }
    return 0;
}

struct TCalcState {
    std::array<TRegenerator, MaxRegs + 1> Regs{}; // Regs[1..MaxRegs]; index 0 is never used
    uint8_t NumRegs = 0;                          // records 1..NumRegs form the chain
    int32_t U_RP = 0;                             // supply voltage, V
    double U_Calc = 0.0;                          // supply voltage the chain needs at the final step, V
    int32_t StepCount = 0;                        // solver steps of the last calculation
    int32_t LrpLoopOhms = 0;                      // added by the chokes to every section, ohms
    bool DebugLog = false;                        // log debug lines too
    std::string NowText;                          // local time of day, leads the log's first line
};

// Sets the inputs and the computed fields of record index (1..MaxRegs) to their initial values;
// the control references stay as they are.
void InitRegenerator(TCalcState& s, int index);

// Start-up reset of the table: DebugLog off, no records in use, every record initialised.
void ResetTable(TCalcState& s);

} // namespace dp
