#include "tests/util/failing_calls.h"

#include <atomic>
#include <cerrno>

#include <unistd.h>

extern "C" {
int __real_fsync(int fd);
int __real_renameat(int oldDir, const char* oldPath, int newDir, const char* newPath);
int __wrap_fsync(int fd);
int __wrap_renameat(int oldDir, const char* oldPath, int newDir, const char* newPath);
}

namespace {

std::atomic<int> armedCall{-1};
std::atomic<int> armedError{0};
std::atomic<int> failed{0};

// True (with errno set) when this call is the one armed to fail.
bool FailsNow(dp::test::TFailingCall call) {
    int expected = static_cast<int>(call);
    if (!armedCall.compare_exchange_strong(expected, -1)) return false;
    ++failed;
    errno = armedError.load();
    return true;
}

} // namespace

extern "C" int __wrap_fsync(int fd) {
    if (FailsNow(dp::test::TFailingCall::Fsync)) return -1;
    return __real_fsync(fd);
}

extern "C" int __wrap_renameat(int oldDir, const char* oldPath, int newDir, const char* newPath) {
    if (FailsNow(dp::test::TFailingCall::Rename)) return -1;
    return __real_renameat(oldDir, oldPath, newDir, newPath);
}

namespace dp::test {

void FailNextCall(TFailingCall call, int error) {
    failed = 0;
    armedError = error;
    armedCall = static_cast<int>(call);
}

void Disarm() {
    armedCall = -1;
}

int FailedCalls() {
    return failed.load();
}

} // namespace dp::test
