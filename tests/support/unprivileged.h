#pragma once
// Root ignores permission bits, so checks of read-only files and folders run their body in a child
// process that drops to the unprivileged "nobody" user when the tests run as root. Qt-free and
// header-only: the plain GoogleTest programs include it as well as the widget tests.
#include <functional>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dp::test {

// The child's exit code when it could not give up root's rights.
inline constexpr int kCouldNotDropRoot = 99;

// Runs `body` in a forked child (as user "nobody" when we are root) and returns its exit code, which
// is what `body` returned; kCouldNotDropRoot when the child could not switch users, -1 when there is
// no child or it died.
inline int RunUnprivileged(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(kCouldNotDropRoot);
        ::_exit(body());
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace dp::test
