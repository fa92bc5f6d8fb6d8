#pragma once
// Failures injected into the system calls that the atomic writer makes once its temporary is written:
// the test program links fsync and renameat through wrappers (ld --wrap), which pass every call on to
// the system until a test arms them to fail.
namespace dp::test {

enum class TFailingCall { Fsync, Rename };

// The next call of `call` fails with `error`; later calls go through again. Disarm() cancels it.
void FailNextCall(TFailingCall call, int error);
void Disarm();
// Calls that were made to fail since the last FailNextCall.
int FailedCalls();

} // namespace dp::test
