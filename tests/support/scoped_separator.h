#pragma once
// The decimal separator for one scope: set on entry, the one before put back however the scope ends
// (a failed assertion returns from the test early; later tests must not inherit a comma).
#include "util/uStrUtils.h"

namespace dp::test {

class ScopedDecimalSeparator {
public:
    explicit ScopedDecimalSeparator(char separator) : previous_(DecimalSeparator()) {
        SetDecimalSeparator(separator);
    }
    ~ScopedDecimalSeparator() { SetDecimalSeparator(previous_); }
    ScopedDecimalSeparator(const ScopedDecimalSeparator&) = delete;
    ScopedDecimalSeparator& operator=(const ScopedDecimalSeparator&) = delete;

private:
    char previous_;
};

} // namespace dp::test
