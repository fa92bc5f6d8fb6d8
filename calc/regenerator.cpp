#include "calc/regenerator.h"

namespace dp {

void InitRegenerator(TCalcState& s, int index) {
    TRegenerator& r = s.Regs.at(static_cast<size_t>(index));
    r.RR = 256;
    r.RR_ENT = true;
    r.RR_LEN = 10.0;
    r.RR_DIA = 1.2;
    r.RL_P = 5.5;
    r.RL_U = -1.0;
    r.RL_I = -1.0;
    r.RR_U = -1.0;
    r.RR_I = -1.0;
}

void ResetTable(TCalcState& s) {
    s.DebugLog = false;
    s.NumRegs = 0;
    for (int i = 1; i <= MaxRegs; ++i) InitRegenerator(s, i);
}

} // namespace dp
