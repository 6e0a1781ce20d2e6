#pragma once
// Starts the encoder program with one end of a connected socket pair left
// open in it: the report channel. POSIX only; no window code.

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>

namespace quelvo {

struct ChannelProcess {
    pid_t pid = -1;
    int socket = -1;  // our end of the report channel (close-on-exec, blocking)
};

// buildArguments receives the descriptor number the child will see and
// returns the one argument string passed as argv[1]. On failure, error says
// why (missing or not executable program, no resources).
std::optional<ChannelProcess> startWithChannel(const std::string& program,
                                               const std::function<std::string(int)>& buildArguments,
                                               std::string* error);

struct ExitStatus {
    bool exited = false;
    int exitCode = -1;
    int signal = 0;
};
// A descriptor that becomes readable when the child ends (a pidfd), or -1
// where the system has none; the caller closes it.
int processExitDescriptor(pid_t pid);

// Reaps the child if it has ended; nullopt while it runs.
std::optional<ExitStatus> pollExit(pid_t pid);
// Waits for the child to end, escalating SIGTERM then SIGKILL after graceMs.
ExitStatus terminateAndReap(pid_t pid, int graceMs);

}  // namespace quelvo
