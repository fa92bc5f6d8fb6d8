#pragma once
// Arithmetic faults are errors in this program, never infinities or NaNs. Every operation that can
// fault goes through these checks, which throw the text the user sees in the error box.
#include <cmath>
#include <stdexcept>
#include <string>

namespace dp {

inline constexpr const char* kZeroDivideText = "Floating point division by zero";
inline constexpr const char* kInvalidOpText = "Invalid floating point operation";
inline constexpr const char* kOverflowText = "Floating point overflow";
inline constexpr const char* kIntOverflowText = "Integer overflow";

// An arithmetic fault; what() is the message shown to the user.
class EMathError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] inline void RaiseZeroDivide() {
    throw EMathError(kZeroDivideText);
}
[[noreturn]] inline void RaiseInvalidOp() {
    throw EMathError(kInvalidOpText);
}
[[noreturn]] inline void RaiseOverflow() {
    throw EMathError(kOverflowText);
}
[[noreturn]] inline void RaiseIntOverflow() {
    throw EMathError(kIntOverflowText);
}

// A result computed from finite operands: infinity means overflow, NaN an invalid operation.
inline double CheckResult(double r) {
    if (std::isnan(r)) RaiseInvalidOp();
    if (std::isinf(r)) RaiseOverflow();
    return r;
}

// a / b with the faults of a floating-point unit whose exceptions are unmasked:
// x / 0 divides by zero, 0 / 0 is an invalid operation.
inline double CheckedDiv(double a, double b) {
    if (b == 0.0) {
        if (a == 0.0 || std::isnan(a)) RaiseInvalidOp();
        RaiseZeroDivide();
    }
    return CheckResult(a / b);
}
inline double CheckedMul(double a, double b) {
    return CheckResult(a * b);
}
inline double CheckedAdd(double a, double b) {
    return CheckResult(a + b);
}

} // namespace dp
