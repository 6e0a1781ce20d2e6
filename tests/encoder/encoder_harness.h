#pragma once
// The program's side of the report channel for end-to-end tests: runs the
// real Brantixenc with one end of a socket pair, reads its reports and
// answers them. Also runs ffmpeg and ffprobe to make clips and check outputs.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "encoding/ReportProtocol.h"

namespace encodertest {

namespace fs = std::filesystem;

inline const std::string kBrantixenc = std::string(QUELVO_BIN_DIR) + "/Brantixenc";

// Runs a program without a shell; its stdout, and its exit code (-1 when it
// could not run).
struct Captured {
    int exitCode = -1;
    std::string out;
};

inline Captured runCapture(const std::vector<std::string>& argv)
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return {};
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]);
    Captured c;
    char buf[65536];
    ssize_t n;
    while ((n = ::read(out[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            c.out.append(buf, size_t(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    c.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return c;
}

// A fresh folder under the system's temporary folder, removed at the end.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "brantixenc-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::vector<std::string> names() const
    {
        std::vector<std::string> n;
        for (const auto& e : fs::directory_iterator(path_))
            n.push_back(e.path().filename().string());
        return n;
    }

private:
    fs::path path_;
};

// A short test clip made with ffmpeg's generators.
inline void makeClip(const std::string& path, const std::string& video, const std::string& audio,
                     const std::vector<std::string>& encode)
{
    std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", video};
    if (!audio.empty())
        argv.insert(argv.end(), {"-f", "lavfi", "-i", audio});
    argv.insert(argv.end(), encode.begin(), encode.end());
    argv.push_back(path);
    ASSERT_EQ(runCapture(argv).exitCode, 0) << "cannot make " << path;
}

// ffprobe's flat output: "streams.stream.0.codec_name" -> "mpeg4".
class MediaInfo {
public:
    explicit MediaInfo(const std::string& path)
    {
        Captured c = runCapture({"ffprobe", "-v", "error", "-show_entries",
                                 "format=format_name:stream=codec_type,codec_name,codec_tag_string,width,"
                                 "height,r_frame_rate,sample_aspect_ratio,display_aspect_ratio,"
                                 "sample_rate,channels",
                                 "-of", "flat", path});
        ok_ = c.exitCode == 0;
        std::istringstream in(c.out);
        std::string line;
        while (std::getline(in, line)) {
            auto eq = line.find('=');
            if (eq == std::string::npos)
                continue;
            std::string value = line.substr(eq + 1);
            if (value.size() >= 2 && value.front() == '"')
                value = value.substr(1, value.size() - 2);
            values_[line.substr(0, eq)] = value;
        }
    }
    bool ok() const { return ok_; }
    std::string format() const { return get("format.format_name"); }
    // A field of the first stream of that type ("video" or "audio").
    std::string stream(const std::string& type, const std::string& field) const
    {
        for (int i = 0; i < 8; ++i) {
            std::string prefix = "streams.stream." + std::to_string(i) + ".";
            if (get(prefix + "codec_type") == type)
                return get(prefix + field);
        }
        return "";
    }
    int streamCount(const std::string& type) const
    {
        int n = 0;
        for (int i = 0; i < 8; ++i)
            n += get("streams.stream." + std::to_string(i) + ".codec_type") == type;
        return n;
    }

private:
    std::string get(const std::string& key) const
    {
        auto it = values_.find(key);
        return it == values_.end() ? "" : it->second;
    }
    bool ok_ = false;
    std::map<std::string, std::string> values_;
};

// One run of the real Brantixenc, this side playing the program.
class EncoderRun {
public:
    // The descriptor number is appended to the argument string, as the
    // program's command line does (unless appendDescriptor is false).
    explicit EncoderRun(const std::string& argumentsWithoutDescriptor, bool appendDescriptor = true)
    {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
            return;
        program_ = pair[0];
        const int encoderEnd = pair[1];
        std::string arguments = argumentsWithoutDescriptor;
        if (appendDescriptor)
            arguments += " " + std::to_string(encoderEnd);
        stderrPath_ = (fs::temp_directory_path() / ("brantixenc-stderr-" + std::to_string(::getpid()) + "-" +
                                                    std::to_string(counter()++)))
                          .string();
        pid_ = ::fork();
        if (pid_ == 0) {
            ::fcntl(encoderEnd, F_SETFD, 0);  // the one descriptor it inherits
            int err = ::open(stderrPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(err, 2);
            ::execl(kBrantixenc.c_str(), kBrantixenc.c_str(), arguments.c_str(), nullptr);
            ::_exit(127);
        }
        ::close(encoderEnd);
    }
    ~EncoderRun()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            wait();
        }
        if (program_ >= 0)
            ::close(program_);
        ::unlink(stderrPath_.c_str());
    }

    pid_t pid() const { return pid_; }

    // The next report; nullopt when the encoder closed its end.
    std::optional<quelvo::Report> nextReport()
    {
        while (true) {
            if (auto line = lines_.nextLine()) {
                auto report = quelvo::parseReport(*line);
                EXPECT_TRUE(report) << "not a report: " << *line;
                return report;
            }
            char buf[256];
            ssize_t n = ::read(program_, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return std::nullopt;
            lines_.append({buf, size_t(n)});
        }
    }

    void answer(int32_t result)
    {
        std::string line = quelvo::formatResult(result);
        ASSERT_EQ(::send(program_, line.data(), line.size(), MSG_NOSIGNAL), ssize_t(line.size()));
    }

    // Answers every report with 0 and collects them until the encoder ends.
    std::vector<quelvo::Report> answerAll()
    {
        std::vector<quelvo::Report> reports;
        while (auto r = nextReport()) {
            reports.push_back(*r);
            answer(quelvo::kResultContinue);
        }
        return reports;
    }

    // The program's end closes, as when the program dies.
    void closeProgramEnd()
    {
        ::close(program_);
        program_ = -1;
    }

    int wait()
    {
        if (pid_ <= 0)
            return exitCode_;
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return exitCode_;
    }

    std::string errorText() const
    {
        std::ifstream in(stderrPath_);
        return {std::istreambuf_iterator<char>(in), {}};
    }

private:
    static int& counter()
    {
        static int n = 0;
        return n;
    }

    int program_ = -1;
    pid_t pid_ = -1;
    int exitCode_ = -1;
    std::string stderrPath_;
    quelvo::LineBuffer lines_;
};

// Processes whose parent is pid, read from /proc.
inline std::vector<pid_t> childrenOf(pid_t parent)
{
    std::vector<pid_t> children;
    for (const auto& e : fs::directory_iterator("/proc")) {
        std::string name = e.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat(e.path() / "stat");
        std::string content((std::istreambuf_iterator<char>(stat)), {});
        auto close = content.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(content.substr(close + 2));
        char state;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent)
            children.push_back(pid_t(std::stoi(name)));
    }
    return children;
}

// The one-letter state of a process ('R', 'S', 'T' stopped, 'Z'), or 0 when
// it no longer exists.
inline char processState(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string content((std::istreambuf_iterator<char>(stat)), {});
    auto close = content.rfind(')');
    return close == std::string::npos || close + 2 >= content.size() ? 0 : content[close + 2];
}

// Polls a condition that another process brings about; the limit only keeps a
// broken run from hanging the suite and is not what the test measures.
template <typename Condition>
bool eventually(Condition condition)
{
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The clips the end-to-end tests share, each made on first use.
class Clips {
public:
    static const Clips& get()
    {
        static Clips clips;
        return clips;
    }
    // 2 s, 160 x 120, 25 fps, stereo sound at 32 kHz (so that -srate shows).
    std::string standard() const
    {
        return made("standard.avi", "testsrc=size=160x120:rate=25:duration=2", 32000, 2);
    }
    // 2 s, 160 x 120 at 29.97 fps.
    std::string ntsc() const { return made("ntsc.avi", "testsrc=size=160x120:rate=30000/1001:duration=2", 44100, 2); }
    // 640 x 480, 1 s: letterboxed into the disc formats.
    std::string vga() const { return made("vga.avi", "testsrc=size=640x480:rate=25:duration=1", 44100, 1); }
    // 30 s, long enough to be interrupted while ffmpeg runs.
    std::string longer() const { return made("longer.avi", "testsrc=size=160x120:rate=25:duration=30", 44100, 30); }

private:
    std::string made(const std::string& name, const std::string& video, int sampleRate, int seconds) const
    {
        std::string path = folder_ / name;
        if (!fs::exists(path))
            makeClip(path, video,
                     "sine=frequency=440:sample_rate=" + std::to_string(sampleRate) +
                         ":duration=" + std::to_string(seconds),
                     {"-c:v", "mpeg4", "-q:v", "5", "-c:a", "libmp3lame", "-b:a", "64k", "-ac", "2", "-shortest"});
        return path;
    }
    TempFolder folder_;
};

}  // namespace encodertest
