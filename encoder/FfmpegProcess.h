#pragma once
// The ffmpeg child of one conversion: started in its own process group, set
// to die with Brantixenc, with its progress and error output on pipes.

#include <string>
#include <sys/types.h>
#include <vector>

namespace brantixenc {

class FfmpegProcess {
public:
    // The descriptor number ffmpeg's -progress pipe gets in the child.
    static constexpr int kChildProgressFd = 3;

    FfmpegProcess() = default;
    FfmpegProcess(const FfmpegProcess&) = delete;
    FfmpegProcess& operator=(const FfmpegProcess&) = delete;
    ~FfmpegProcess();  // kills and reaps a child still running

    bool start(const std::vector<std::string>& args, std::string* error);

    int progressFd() const { return progressFd_; }
    int errorFd() const { return errorFd_; }
    pid_t pid() const { return pid_; }

    void pause();
    void resume();
    void kill();
    // Reaps the child; its exit status as waitpid gives it, -1 if none.
    int wait();

    void closeProgress();
    void closeErrors();

private:
    pid_t pid_ = -1;
    int progressFd_ = -1;
    int errorFd_ = -1;
};

}  // namespace brantixenc
