#include "controls/TipsReader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "platform/AppProfile.h"

namespace quelvo {

namespace {

constexpr const char* kSection = "Tip";
// One read yields at most 999 characters.
constexpr int kLineBuffer = 1000;

bool isSkipped(char first)
{
    return first == ' ' || first == '\t' || first == '\n' || first == ';';
}

}  // namespace

std::string tipsPathBeside(const std::string& executablePath)
{
    std::string path = executablePath;
    const auto sep = path.rfind('/');
    if (sep != std::string::npos && sep > 0)
        path.resize(sep + 1);
    return path + "tips.txt";
}

std::string defaultTipsPath()
{
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return tipsPathBeside(n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string());
}

std::string timeStampText(std::time_t t)
{
    const char* text = std::ctime(&t);
    if (!text)
        return {};
    std::string s = text;
    while (!s.empty() && std::strchr(" \t\r\n\v\f", s.back()))
        s.pop_back();
    return s;
}

bool readShowAtStartup()
{
    return appProfileInt(kSection, "StartUp", 0) == 0;
}

void writeShowAtStartup(bool showAtStartup)
{
    writeAppProfileInt(kSection, "StartUp", showAtStartup ? 0 : 1);
}

TipsReader::TipsReader(const std::string& tipsPath, std::function<void()> onTrouble)
    : onTrouble_(std::move(onTrouble))
{
    long offset = appProfileInt(kSection, "FilePos", 0);
    file_ = std::fopen(tipsPath.c_str(), "r");
    if (!file_)
        return;

    struct stat st {};
    const std::string stamp = fstat(fileno(file_), &st) == 0 ? timeStampText(st.st_ctime) : "";
    if (stamp != appProfileString(kSection, "TimeStamp", "")) {
        writeAppProfileString(kSection, "TimeStamp", stamp);
        offset = 0;
    }
    if (std::fseek(file_, offset, SEEK_SET) != 0) {
        trouble();
        return;
    }
    readNextTip();
}

TipsReader::~TipsReader()
{
    if (!file_)
        return;
    const long pos = std::ftell(file_);
    if (pos >= 0)
        writeAppProfileInt(kSection, "FilePos", static_cast<int32_t>(pos > INT32_MAX ? INT32_MAX : pos));
    std::fclose(file_);
}

long TipsReader::position() const
{
    return file_ ? std::ftell(file_) : -1;
}

void TipsReader::trouble()
{
    tip_.clear();
    if (onTrouble_)
        onTrouble_();
}

void TipsReader::readNextTip()
{
    if (!file_)
        return;
    char line[kLineBuffer];
    bool rewound = false;
    for (;;) {
        if (!std::fgets(line, sizeof line, file_)) {
            // A whole pass since the rewind without a tip: the file has none.
            if (rewound || std::fseek(file_, 0, SEEK_SET) != 0) {
                std::clearerr(file_);
                trouble();
                return;
            }
            rewound = true;
            continue;
        }
        size_t length = std::strlen(line);
        // Read as a text stream: a CR LF pair is one line end, also when the
        // pair straddles the end of a piece.
        if (length >= 2 && line[length - 2] == '\r' && line[length - 1] == '\n') {
            line[length - 2] = '\n';
            line[--length] = '\0';
        } else if (length > 0 && line[length - 1] == '\r') {
            const int next = std::fgetc(file_);
            if (next == '\n')
                line[length - 1] = '\n';
            else if (next != EOF)
                std::ungetc(next, file_);
        }
        if (isSkipped(line[0]))
            continue;
        tip_.assign(line, length);
        return;
    }
}

}  // namespace quelvo
