#include "platform/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace quelvo {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

bool hasLineBreakOrNul(std::string_view s)
{
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool isWritableSection(std::string_view name)
{
    return !name.empty() && !hasLineBreakOrNul(name) && name.find(']') == std::string_view::npos;
}

bool isWritableKey(std::string_view name)
{
    return !name.empty() && !hasLineBreakOrNul(name) && name.find('=') == std::string_view::npos &&
           name.front() != ';' && name.front() != '#' && name.front() != '[';
}

// The text a value is written as, such that reading it gives the value back.
std::string storedValue(std::string_view value)
{
    std::string v;
    v.reserve(value.size() + 2);
    for (char c : value)
        if (c != '\r' && c != '\n' && c != '\0')
            v += c;
    bool quoted = v.size() >= 2 && v.front() == '"' && v.back() == '"';
    if (!v.empty() && (isBlank(v.front()) || isBlank(v.back()) || quoted))
        return '"' + v + '"';
    return v;
}

enum class LineKind { Blank, Section, Comment, Key, Other };

struct Line {
    std::string content;  // without its line ending
    std::string ending;   // "\n", "\r\n" or "" for a last line without one
    LineKind kind = LineKind::Other;
    size_t valueStart = 0;  // where a key line's value begins
    std::string_view name() const;   // section or key name
    std::string_view value() const;  // a key line's value, trimmed, quotes kept
};

LineKind classify(std::string_view content, size_t& valueStart)
{
    std::string_view t = trimmed(content);
    if (t.empty())
        return LineKind::Blank;
    if (t.front() == ';' || t.front() == '#')
        return LineKind::Comment;
    if (t.front() == '[')
        return t.find(']') != std::string_view::npos ? LineKind::Section : LineKind::Other;
    size_t eq = content.find('=');
    if (eq == std::string_view::npos)
        return LineKind::Other;
    valueStart = eq + 1;
    while (valueStart < content.size() && isBlank(content[valueStart]))
        ++valueStart;
    return LineKind::Key;
}

std::string_view Line::name() const
{
    std::string_view t = trimmed(content);
    if (kind == LineKind::Section) {
        t.remove_prefix(1);
        return trimmed(t.substr(0, t.rfind(']')));
    }
    if (kind == LineKind::Key)
        return trimmed(std::string_view(content).substr(0, content.find('=')));
    return {};
}

std::string_view Line::value() const
{
    return trimmed(std::string_view(content).substr(valueStart));
}

struct Document {
    std::string bom;
    std::vector<Line> lines;
};

Document parse(std::string_view text)
{
    Document doc;
    if (text.starts_with(kByteOrderMark)) {
        doc.bom = kByteOrderMark;
        text.remove_prefix(kByteOrderMark.size());
    }
    while (!text.empty()) {
        Line line;
        size_t nl = text.find('\n');
        std::string_view content = text.substr(0, nl);
        if (nl != std::string_view::npos) {
            line.ending = "\n";
            if (!content.empty() && content.back() == '\r') {
                content.remove_suffix(1);
                line.ending = "\r\n";
            }
            text.remove_prefix(nl + 1);
        } else {
            text = {};
        }
        line.content = content;
        line.kind = classify(line.content, line.valueStart);
        doc.lines.push_back(std::move(line));
    }
    return doc;
}

std::string unquoted(std::string_view v)
{
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

// Index of the first key line named key in a section named section, or -1.
long findKey(const Document& doc, std::string_view section, std::string_view key)
{
    bool inSection = false;
    for (size_t i = 0; i < doc.lines.size(); ++i) {
        const Line& l = doc.lines[i];
        if (l.kind == LineKind::Section)
            inSection = sameName(l.name(), section);
        else if (inSection && l.kind == LineKind::Key && sameName(l.name(), key))
            return static_cast<long>(i);
    }
    return -1;
}

// Index of the line after which a new key of the section goes, or -1 when
// the section is missing.
long insertionPoint(const Document& doc, std::string_view section)
{
    long header = -1;
    for (size_t i = 0; i < doc.lines.size(); ++i) {
        const Line& l = doc.lines[i];
        if (header < 0) {
            if (l.kind == LineKind::Section && sameName(l.name(), section))
                header = static_cast<long>(i);
            continue;
        }
        if (l.kind == LineKind::Section)
            break;
    }
    if (header < 0)
        return -1;
    long last = header;
    for (size_t i = static_cast<size_t>(header) + 1; i < doc.lines.size(); ++i) {
        if (doc.lines[i].kind == LineKind::Section)
            break;
        if (doc.lines[i].kind != LineKind::Blank)
            last = static_cast<long>(i);
    }
    return last;
}

std::string lineEndingOf(const Document& doc)
{
    for (const Line& l : doc.lines)
        if (!l.ending.empty())
            return l.ending;
    return "\n";
}

Line makeLine(std::string content, const std::string& ending)
{
    Line l;
    l.content = std::move(content);
    l.ending = ending;
    l.kind = classify(l.content, l.valueStart);
    return l;
}

void setValue(Document& doc, std::string_view section, const ProfileEntry& entry,
              const std::string& ending)
{
    std::string_view key = trimmed(entry.key);
    std::string value = storedValue(entry.value);
    long at = findKey(doc, section, key);
    if (at >= 0) {
        Line& l = doc.lines[static_cast<size_t>(at)];
        l = makeLine(l.content.substr(0, l.valueStart) + value, l.ending);
        return;
    }
    Line keyLine = makeLine(std::string(key) + "=" + value, ending);
    long after = insertionPoint(doc, section);
    if (after >= 0) {
        Line& prev = doc.lines[static_cast<size_t>(after)];
        if (prev.ending.empty())
            prev.ending = ending;
        doc.lines.insert(doc.lines.begin() + after + 1, std::move(keyLine));
        return;
    }
    if (!doc.lines.empty()) {
        if (doc.lines.back().ending.empty())
            doc.lines.back().ending = ending;
        if (doc.lines.back().kind != LineKind::Blank)
            doc.lines.push_back(makeLine("", ending));
    }
    doc.lines.push_back(makeLine("[" + std::string(section) + "]", ending));
    doc.lines.push_back(std::move(keyLine));
}

std::string render(const Document& doc)
{
    std::string text = doc.bom;
    for (const Line& l : doc.lines)
        text += l.content + l.ending;
    return text;
}

enum class ReadResult { Ok, Missing, Failed };

ReadResult readWholeFile(const std::string& path, std::string& text)
{
    text.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return (errno == ENOENT || errno == ENOTDIR) ? ReadResult::Missing : ReadResult::Failed;
    char buf[16384];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return ReadResult::Failed;
        }
        if (n == 0)
            break;
        text.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return ReadResult::Ok;
}

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Writes a sibling temporary file, flushes it and renames it over path.
bool replaceFile(std::string path, std::string_view text)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // Replace the link's target, not the link.
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            path = real;
            std::free(real);
        }
    }
    const bool existed = ::stat(path.c_str(), &st) == 0;
    if (existed && !S_ISREG(st.st_mode))
        return false;

    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);

    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + "." + base + ".tmp-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter.fetch_add(1));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, existed ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok = true;
    if (existed) {
        // Ownership can only be kept with the rights to do so; the mode always.
        (void)!::fchown(fd, st.st_uid, st.st_gid);
        ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    }
    ok = ok && writeAll(fd, text) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace

int32_t leadingInteger(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (magnitude <= INT32_MAX)  // past 2^31 the result is clamped anyway
            magnitude = magnitude * 10 + (text[i] - '0');
    int64_t v = negative ? -magnitude : magnitude;
    if (v < INT32_MIN)
        return INT32_MIN;
    if (v > INT32_MAX)
        return INT32_MAX;
    return static_cast<int32_t>(v);
}

std::optional<std::string> profileValue(std::string_view text, std::string_view section,
                                        std::string_view key)
{
    section = trimmed(section);
    key = trimmed(key);
    if (!isWritableSection(section) || !isWritableKey(key))
        return std::nullopt;
    Document doc = parse(text);
    long at = findKey(doc, section, key);
    if (at < 0)
        return std::nullopt;
    return unquoted(doc.lines[static_cast<size_t>(at)].value());
}

std::optional<std::string> withProfileValues(std::string_view text, std::string_view section,
                                             std::span<const ProfileEntry> entries)
{
    section = trimmed(section);
    if (!isWritableSection(section))
        return std::nullopt;
    for (const ProfileEntry& e : entries)
        if (!isWritableKey(trimmed(e.key)))
            return std::nullopt;
    Document doc = parse(text);
    const std::string ending = lineEndingOf(doc);
    for (const ProfileEntry& e : entries)
        setValue(doc, section, e, ending);
    return render(doc);
}

std::string readProfileString(const std::string& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue)
{
    std::string text;
    if (readWholeFile(file, text) != ReadResult::Ok)
        return std::string(defaultValue);
    return profileValue(text, section, key).value_or(std::string(defaultValue));
}

int32_t readProfileInt(const std::string& file, std::string_view section, std::string_view key,
                       int32_t defaultValue)
{
    std::string text;
    if (readWholeFile(file, text) != ReadResult::Ok)
        return defaultValue;
    std::optional<std::string> value = profileValue(text, section, key);
    if (!value || value->empty())
        return defaultValue;
    return leadingInteger(*value);
}

bool writeProfileStrings(const std::string& file, std::string_view section,
                         std::span<const ProfileEntry> entries)
{
    std::string old;
    ReadResult r = readWholeFile(file, old);
    if (r == ReadResult::Failed)
        return false;  // never replace a file we could not read
    std::optional<std::string> text = withProfileValues(old, section, entries);
    if (!text)
        return false;
    if (r == ReadResult::Ok && *text == old)
        return true;
    return replaceFile(file, *text);
}

bool writeProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value)
{
    const ProfileEntry entry{std::string(key), std::string(value)};
    return writeProfileStrings(file, section, std::span<const ProfileEntry>(&entry, 1));
}

}  // namespace quelvo
