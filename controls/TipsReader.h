#pragma once
// The Tip of the Day's file logic without a window: the tips file that lies
// beside the program is kept open and read one tip line at a time, and the
// application profile's section "Tip" remembers where reading stopped, which
// file that position belongs to, and whether tips show at start-up.

#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

namespace quelvo {

// "tips.txt" in the folder of the given executable path: cut after the last
// separator (one in the first position does not count; without one the
// path stays whole).
std::string tipsPathBeside(const std::string& executablePath);
// tipsPathBeside() of the running program.
std::string defaultTipsPath();

// ctime() text of t with its trailing white space removed ("" when ctime fails).
std::string timeStampText(std::time_t t);

// "StartUp" holds the inverse of the check box: 0 or absent shows tips.
bool readShowAtStartup();
void writeShowAtStartup(bool showAtStartup);

class TipsReader {
public:
    // Reads "FilePos", opens the file, restarts at the first tip when the
    // file's time stamp text differs from "TimeStamp" (storing the new one),
    // seeks and reads the first tip. onTrouble runs when reading fails in a
    // way the user should hear about.
    explicit TipsReader(const std::string& tipsPath, std::function<void()> onTrouble = {});
    // Stores "FilePos" when the file was open.
    ~TipsReader();
    TipsReader(const TipsReader&) = delete;
    TipsReader& operator=(const TipsReader&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    // The current tip as read, line end included; empty after trouble.
    const std::string& tipText() const { return tip_; }
    // Offset just after the last line read (-1 without a file).
    long position() const;

    // Steps to the next tip line, wrapping to the first after the last. A file
    // with no tip at all, or one that cannot be rewound, ends the search with
    // an empty tip and one onTrouble call.
    void readNextTip();

private:
    void trouble();

    std::FILE* file_ = nullptr;
    std::string tip_;
    std::function<void()> onTrouble_;
};

}  // namespace quelvo
