#pragma once
// A crash in the middle of saving a file, for tests of what survives it.
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "platform/AtomicFile.h"

namespace tonilo::test {

// Runs write in a child process that ends at once, as a crash or a power cut
// would end it, when the atomic write reaches step. True when the child ended
// there, not before and not by finishing.
inline bool WriteDiesAt(AtomicWriteStep step, const std::function<void()>& write) {
    constexpr int kDiedAtStep = 3;
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        SetAtomicWriteFaultHook([step](AtomicWriteStep at) {
            if (at == step)
                ::_exit(kDiedAtStep);
            return false;
        });
        write();
        ::_exit(0);
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == kDiedAtStep;
}

} // namespace tonilo::test
