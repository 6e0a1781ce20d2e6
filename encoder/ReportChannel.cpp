#include "encoder/ReportChannel.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace brantixenc {

ReportChannel::ReportChannel(int fd) : fd_(fd)
{
    int flags = fcntl(fd_, F_GETFD);
    if (flags != -1)
        fcntl(fd_, F_SETFD, flags | FD_CLOEXEC);
}

bool ReportChannel::writeAll(const char* data, size_t size)
{
    while (size > 0) {
        ssize_t n = ::send(fd_, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == ENOTSOCK)
            n = ::write(fd_, data, size);  // a terminal or pipe, by hand
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

ReportChannel::Answer ReportChannel::send(uint32_t code, int32_t value, int signalFd,
                                          const std::function<void()>& beforeLongWait, int graceMs)
{
    const std::string line = quelvo::formatReport({code, value});
    if (!writeAll(line.data(), line.size()))
        return {Outcome::Closed, 0};
    bool longWait = !beforeLongWait;
    if (!longWait && graceMs <= 0) {
        beforeLongWait();
        longWait = true;
    }
    while (true) {
        if (auto answer = buffer_.nextLine())
            return {Outcome::Answered, quelvo::parseResult(*answer).value_or(quelvo::kResultContinue)};
        pollfd fds[2] = {{fd_, POLLIN, 0}, {signalFd, POLLIN, 0}};
        int ready = ::poll(fds, signalFd >= 0 ? 2 : 1, longWait ? -1 : graceMs);
        if (ready == 0 && !longWait) {
            beforeLongWait();
            longWait = true;
            continue;
        }
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return {Outcome::Closed, 0};
        }
        if (signalFd >= 0 && (fds[1].revents & POLLIN))
            return {Outcome::Signalled, 0};
        if (fds[0].revents) {
            char chunk[256];
            ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return {Outcome::Closed, 0};
            buffer_.append({chunk, size_t(n)});
        }
    }
}

bool ReportChannel::stillOpen()
{
    char chunk[256];
    ssize_t n = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
    if (n < 0 && errno == ENOTSOCK) {
        pollfd p = {fd_, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0)
            return true;
        n = ::read(fd_, chunk, sizeof chunk);
    }
    if (n < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    if (n == 0)
        return false;
    // Nothing is asked between reports; whatever arrives is not a result.
    buffer_ = {};
    return true;
}

}  // namespace brantixenc
