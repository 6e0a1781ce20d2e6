#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace quelvo {

namespace {
ExitStatus decode(int status)
{
    ExitStatus s;
    if (WIFEXITED(status)) {
        s.exited = true;
        s.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        s.signal = WTERMSIG(status);
    }
    return s;
}
}  // namespace

std::optional<ChannelProcess> startWithChannel(const std::string& program,
                                               const std::function<std::string(int)>& buildArguments,
                                               std::string* error)
{
    auto fail = [&](const std::string& why) -> std::optional<ChannelProcess> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (access(program.c_str(), X_OK) != 0)
        return fail(std::strerror(errno));

    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return fail(std::strerror(errno));
    // Reports exec failures from the child; closes by itself on a good exec.
    int execPipe[2];
    if (pipe2(execPipe, O_CLOEXEC) != 0) {
        close(pair[0]);
        close(pair[1]);
        return fail(std::strerror(errno));
    }

    const int childEnd = pair[1];
    const std::string arguments = buildArguments(childEnd);
    const pid_t parent = getpid();

    pid_t pid = fork();
    if (pid < 0) {
        const int e = errno;
        close(pair[0]);
        close(pair[1]);
        close(execPipe[0]);
        close(execPipe[1]);
        return fail(std::strerror(e));
    }
    if (pid == 0) {
        // Only async-signal-safe calls from here on.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
        int flags = fcntl(childEnd, F_GETFD);
        fcntl(childEnd, F_SETFD, flags & ~FD_CLOEXEC);
        // Nothing of ours on the encoder's standard input.
        int devnull = open("/dev/null", O_RDONLY);
        if (devnull >= 0) {
            dup2(devnull, 0);
            close(devnull);
        }
        char* const argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(arguments.c_str()),
                              nullptr};
        execv(program.c_str(), argv);
        int e = errno;
        ssize_t ignored = write(execPipe[1], &e, sizeof e);
        (void)ignored;
        _exit(127);
    }

    close(childEnd);
    close(execPipe[1]);
    int childErrno = 0;
    ssize_t n;
    do {
        n = read(execPipe[0], &childErrno, sizeof childErrno);
    } while (n < 0 && errno == EINTR);
    close(execPipe[0]);
    if (n == static_cast<ssize_t>(sizeof childErrno)) {
        int status = 0;
        waitpid(pid, &status, 0);
        close(pair[0]);
        return fail(std::strerror(childErrno));
    }
    return ChannelProcess{pid, pair[0]};
}

int processExitDescriptor(pid_t pid)
{
#ifdef SYS_pidfd_open
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

std::optional<ExitStatus> pollExit(pid_t pid)
{
    int status = 0;
    pid_t r;
    do {
        r = waitpid(pid, &status, WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == pid)
        return decode(status);
    if (r < 0)
        return ExitStatus{};  // already reaped elsewhere: treat as ended
    return std::nullopt;
}

ExitStatus terminateAndReap(pid_t pid, int graceMs)
{
    if (auto s = pollExit(pid))
        return *s;
    kill(pid, SIGTERM);
    for (int waited = 0; waited < graceMs; waited += 10) {
        if (auto s = pollExit(pid))
            return *s;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return decode(status);
}

}  // namespace quelvo
