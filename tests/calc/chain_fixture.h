#pragma once
// A chain of equal regenerators, as the worked examples use them.
#include "calc/regenerator.h"

#include <memory>

namespace dp::test {

// n regenerators of 256 ohms and 5.5 W (the table's initial values), supply voltage u.
inline std::unique_ptr<TCalcState> MakeChain(int n, int32_t u) {
    auto s = std::make_unique<TCalcState>();
    ResetTable(*s);
    s->NumRegs = static_cast<uint8_t>(n);
    s->U_RP = u;
    s->NowText = "12:34:56";
    return s;
}

} // namespace dp::test
