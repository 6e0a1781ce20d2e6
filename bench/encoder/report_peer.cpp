// Plays the program's side of the report channel for benchmarks: runs
// Brantixenc with one end of a socket pair, answers every report with 0 and
// exits with Brantixenc's exit code. Kept tiny so that it adds next to nothing
// to what is measured.
//
//   report_peer <Brantixenc> '<argument string without the descriptor>'

#include <cstdio>
#include <string>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "encoding/ReportProtocol.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: report_peer <Brantixenc> '<arguments without descriptor>'\n", stderr);
        return 2;
    }
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return 2;
    std::string arguments = std::string(argv[2]) + " " + std::to_string(pair[1]);
    pid_t pid = fork();
    if (pid == 0) {
        fcntl(pair[1], F_SETFD, 0);
        execl(argv[1], argv[1], arguments.c_str(), nullptr);
        _exit(127);
    }
    close(pair[1]);
    quelvo::LineBuffer lines;
    char buf[512];
    ssize_t n;
    const std::string answer = quelvo::formatResult(quelvo::kResultContinue);
    while ((n = read(pair[0], buf, sizeof buf)) > 0) {
        lines.append({buf, size_t(n)});
        while (lines.nextLine())
            send(pair[0], answer.data(), answer.size(), MSG_NOSIGNAL);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
