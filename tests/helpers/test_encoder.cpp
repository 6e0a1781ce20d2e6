// Stand-in encoder for the tests: speaks the report channel and plays the
// script that its source "file" holds.
//
//   report <code> <value>   send a report and wait for the result
//   write <text>            append a line to the output file (-o)
//   part <text>             append a line to the temporary output file
//   sleep <ms>
//   exit <code>
//   hang                    wait until killed
//   [probe] / [convert]     following lines apply only in that mode
//
// A result of 1 removes the output and exits 3, as the real encoder does.
// TEST_ENCODER_LOG names a file that receives "args ...", "result ..." and
// "exit ..." lines.

#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "encoding/EncoderFiles.h"
#include "encoding/ReportProtocol.h"

namespace {

std::string g_logPath;

void log(const std::string& line)
{
    if (g_logPath.empty())
        return;
    std::ofstream(g_logPath, std::ios::app) << line << '\n';
}

[[noreturn]] void finish(int code)
{
    log("exit " + std::to_string(code));
    std::exit(code);
}

// The quoted path at position pos (after the opening quote).
std::string quoted(const std::string& s, size_t& pos)
{
    size_t open = s.find('"', pos);
    size_t close = s.find('"', open + 1);
    pos = close + 1;
    return s.substr(open + 1, close - open - 1);
}

}  // namespace

int main(int argc, char** argv)
{
    if (const char* l = std::getenv("TEST_ENCODER_LOG"))
        g_logPath = l;
    std::string args = argc > 1 ? argv[1] : "";
    log("args " + args);

    size_t pos = 0;
    const std::string source = quoted(args, pos);
    const std::string output = quoted(args, pos);
    std::istringstream tail(args.substr(args.rfind("-endpos")));
    std::string endpos, limit;
    int mode = 0, fd = -1;
    tail >> endpos >> limit >> mode >> fd;

    std::ifstream script(source);
    std::string line;
    std::string section;
    quelvo::LineBuffer replies;
    while (std::getline(script, line)) {
        if (line == "[probe]" || line == "[convert]") {
            section = line;
            continue;
        }
        if (!section.empty() && section != (mode == 1 ? "[probe]" : "[convert]"))
            continue;
        std::istringstream in(line);
        std::string cmd;
        in >> cmd;
        if (cmd == "report") {
            quelvo::Report r;
            long long code = 0, value = 0;
            in >> code >> value;
            r.code = static_cast<uint32_t>(code);
            r.value = static_cast<int32_t>(value);
            const std::string text = quelvo::formatReport(r);
            if (send(fd, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size()))
                finish(4);
            std::optional<std::string> reply;
            while (!(reply = replies.nextLine())) {
                char buf[256];
                ssize_t n = recv(fd, buf, sizeof buf, 0);
                if (n <= 0)
                    finish(4);  // the program went away
                replies.append(std::string_view(buf, static_cast<size_t>(n)));
            }
            log("result " + std::to_string(code) + " " + std::to_string(value) + " " + *reply);
            if (*reply == "1") {
                std::remove(output.c_str());
                finish(3);
            }
        } else if (cmd == "write") {
            std::string text;
            std::getline(in, text);
            std::ofstream(output, std::ios::app) << text << '\n';
        } else if (cmd == "part") {
            std::string text;
            std::getline(in, text);
            std::ofstream(quelvo::encoderTemporaryPath(output, getpid()), std::ios::app) << text << '\n';
        } else if (cmd == "sleep") {
            int ms = 0;
            in >> ms;
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        } else if (cmd == "exit") {
            int code = 0;
            in >> code;
            finish(code);
        } else if (cmd == "hang") {
            for (;;)
                pause();
        }
    }
    finish(0);
}
