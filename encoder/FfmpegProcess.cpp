#include "encoder/FfmpegProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace brantixenc {

namespace {

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool fail(std::string* error, const char* what)
{
    if (error)
        *error = std::string(what) + ": " + std::strerror(errno);
    return false;
}

// Only async-signal-safe calls between fork and exec.
[[noreturn]] void execChild(char* const* argv, pid_t parent, int progressWrite, int errorWrite)
{
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        ::_exit(127);  // Brantixenc died before the death signal was armed
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);

    // Lift both pipe ends above the standard numbers before placing them.
    int progress = ::fcntl(progressWrite, F_DUPFD_CLOEXEC, 10);
    int errors = ::fcntl(errorWrite, F_DUPFD_CLOEXEC, 10);
    int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (progress < 0 || errors < 0 || null < 0)
        ::_exit(127);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(errors, 2);
    ::dup2(progress, FfmpegProcess::kChildProgressFd);
    ::execvp(argv[0], argv);
    const char* msg = "cannot start ffmpeg: ";
    ::write(2, msg, std::strlen(msg));
    const char* why = std::strerror(errno);
    ::write(2, why, std::strlen(why));
    ::write(2, "\n", 1);
    ::_exit(127);
}

}  // namespace

FfmpegProcess::~FfmpegProcess()
{
    if (pid_ > 0) {
        kill();
        wait();
    }
    closeProgress();
    closeErrors();
}

bool FfmpegProcess::start(const std::vector<std::string>& args, std::string* error)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int progress[2], errors[2];
    if (::pipe2(progress, O_CLOEXEC) != 0)
        return fail(error, "cannot make a pipe");
    if (::pipe2(errors, O_CLOEXEC) != 0) {
        ::close(progress[0]);
        ::close(progress[1]);
        return fail(error, "cannot make a pipe");
    }
    pid_t parent = ::getpid();
    pid_t pid = ::fork();
    if (pid == 0)
        execChild(argv.data(), parent, progress[1], errors[1]);
    ::close(progress[1]);
    ::close(errors[1]);
    if (pid < 0) {
        ::close(progress[0]);
        ::close(errors[0]);
        return fail(error, "cannot start ffmpeg");
    }
    // Also from here, so that a signal sent before the child ran setpgid
    // already reaches its group.
    ::setpgid(pid, pid);
    pid_ = pid;
    progressFd_ = progress[0];
    errorFd_ = errors[0];
    return true;
}

void FfmpegProcess::pause()
{
    if (pid_ > 0)
        ::kill(-pid_, SIGSTOP);
}

void FfmpegProcess::resume()
{
    if (pid_ > 0)
        ::kill(-pid_, SIGCONT);
}

void FfmpegProcess::kill()
{
    if (pid_ > 0)
        ::kill(-pid_, SIGKILL);
}

int FfmpegProcess::wait()
{
    if (pid_ <= 0)
        return -1;
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0) {
        if (errno != EINTR) {
            status = -1;
            break;
        }
    }
    pid_ = -1;
    return status;
}

void FfmpegProcess::closeProgress()
{
    closeFd(progressFd_);
}

void FfmpegProcess::closeErrors()
{
    closeFd(errorFd_);
}

}  // namespace brantixenc
