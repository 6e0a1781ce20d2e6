#pragma once
// Brantixenc's end of the report channel: sends "1824 <code> <value>\n" and
// blocks until the program answers "<result>\n" on the same descriptor.

#include <cstdint>
#include <functional>

#include "encoding/ReportProtocol.h"

namespace brantixenc {

class ReportChannel {
public:
    // Takes the descriptor inherited from the program; marks it close-on-exec
    // so that ffmpeg does not hold the program's socket open.
    explicit ReportChannel(int fd);

    enum class Outcome { Answered, Closed, Signalled };
    struct Answer {
        Outcome outcome = Outcome::Closed;
        int32_t result = 0;
    };

    // While it waits it also watches signalFd (a signalfd, or -1), so that a
    // termination request does not wait for the program's answer. When no
    // answer has come after graceMs, beforeLongWait runs once (the caller
    // pauses the encoding: the program is asking the user something).
    Answer send(uint32_t code, int32_t value, int signalFd,
                const std::function<void()>& beforeLongWait = {}, int graceMs = 0);

    // For the poll loop between reports: reads what is waiting and says
    // whether the channel is still open. Stray lines are dropped.
    bool stillOpen();

    int fd() const { return fd_; }

private:
    bool writeAll(const char* data, size_t size);

    int fd_;
    quelvo::LineBuffer buffer_;
};

}  // namespace brantixenc
