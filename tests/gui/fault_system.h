#pragma once
// What the fault suite looks at outside the program: the processes left
// behind, the bytes of the sources, and folders that refuse writes or fill up
// even for root.

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QStringList>

#include <fcntl.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

namespace quelvo::test {

struct ProcessEntry {
    int pid = 0;
    int ppid = 0;
    char state = '?';
    QString commandLine;  // arguments joined by blanks
};

inline QList<ProcessEntry> allProcesses()
{
    QList<ProcessEntry> out;
    const QStringList pids = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : pids) {
        bool number = false;
        const int pid = name.toInt(&number);
        if (!number)
            continue;
        QFile stat("/proc/" + name + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (comm) state ppid ...": comm may hold blanks and parentheses.
        const QByteArray text = stat.readAll();
        const int close = text.lastIndexOf(')');
        if (close < 0)
            continue;
        const QList<QByteArray> fields = text.mid(close + 2).split(' ');
        if (fields.size() < 2)
            continue;
        ProcessEntry e;
        e.pid = pid;
        e.state = fields[0].isEmpty() ? '?' : fields[0][0];
        e.ppid = fields[1].toInt();
        QFile cmd("/proc/" + name + "/cmdline");
        if (cmd.open(QIODevice::ReadOnly))
            e.commandLine = QString::fromUtf8(cmd.readAll().replace('\0', ' ').trimmed());
        out << e;
    }
    return out;
}

// Live processes below this one, or any naming the folder (an orphan that
// was handed to init still names its files). Zombies do no work and hold no
// files, so they do not count.
inline QStringList strayProcesses(const QString& folder)
{
    const QList<ProcessEntry> all = allProcesses();
    std::map<int, int> parent;
    for (const auto& e : all)
        parent[e.pid] = e.ppid;
    const int self = getpid();
    auto below = [&](int pid) {
        for (int hops = 0; pid > 1 && hops < 64; ++hops) {
            auto it = parent.find(pid);
            if (it == parent.end())
                return false;
            if (it->second == self)
                return true;
            pid = it->second;
        }
        return false;
    };
    QStringList out;
    for (const auto& e : all)
        if (e.pid != self && e.state != 'Z' && (below(e.pid) || e.commandLine.contains(folder)))
            out << QStringLiteral("%1 %2").arg(e.pid).arg(e.commandLine);
    return out;
}

// Children of this process whose command line holds the text.
inline QList<ProcessEntry> childrenNaming(const QString& text, int parentPid = getpid())
{
    QList<ProcessEntry> out;
    for (const auto& e : allProcesses())
        if (e.ppid == parentPid && e.state != 'Z' && e.commandLine.contains(text))
            out << e;
    return out;
}

// Every file below root (hidden ones too) with the hash of its bytes.
inline QMap<QString, QByteArray> fileHashes(const QString& root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (f.open(QIODevice::ReadOnly))
            hash.addData(&f);
        out.insert(QDir(root).relativeFilePath(path), hash.result().toHex());
    }
    return out;
}

// Names of every entry in a folder, hidden ones included, sorted.
inline QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// Mounts live in a mount namespace of this process's own, so that none
// outlives the test even when it crashes.
inline bool privateMountsAvailable()
{
    if (geteuid() != 0)
        return false;
    if (unshare(CLONE_NEWNS) != 0)
        return false;
    return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

inline bool mountTmpfs(const QString& folder, const char* options, bool readOnly)
{
    QDir().mkpath(folder);
    return mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", readOnly ? MS_RDONLY : 0,
                 options) == 0;
}

inline void unmount(const QString& folder)
{
    umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
}

// The immutable attribute refuses new entries even to root.
inline bool setImmutable(const QString& folder, bool on)
{
    const int fd = open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
}

}  // namespace quelvo::test
