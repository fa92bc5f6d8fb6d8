#pragma once
// The reporter of errors that escape handlers for one scope: the one given (the default unless a
// reporter is given) from the start, and the default one again however the scope ends. A test may
// install another reporter meanwhile; it goes at the end as well.
#include "controls/event_guard.h"

#include <utility>

namespace dp::test {

class ScopedErrorReporter {
public:
    explicit ScopedErrorReporter(TErrorReporter reporter = {}) { SetErrorReporter(std::move(reporter)); }
    ~ScopedErrorReporter() { SetErrorReporter({}); }
    ScopedErrorReporter(const ScopedErrorReporter&) = delete;
    ScopedErrorReporter& operator=(const ScopedErrorReporter&) = delete;
};

} // namespace dp::test
