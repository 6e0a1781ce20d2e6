#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <array>
#include <map>

namespace quelvo {

namespace {

// Codes as the Windows shell and program starter return them.
constexpr int kOpened = 42;
constexpr int kStarted = 33;
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kAccessDenied = 5;
constexpr int kBadFormat = 11;
constexpr int kNoAssociation = 31;

int missingFileCode(const QFileInfo& file)
{
    return QFileInfo(file.absolutePath()).isDir() ? kFileNotFound : kPathNotFound;
}

QString readText(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

std::optional<QString> execOfDesktopEntry(const QString& id)
{
    QStringList names{id};
    // "vendor-app.desktop" may also lie in "applications/vendor/app.desktop".
    if (const int dash = id.indexOf('-'); dash > 0)
        names << id.left(dash) + '/' + id.mid(dash + 1);
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        for (const QString& name : names) {
            const QString path = dir + QStringLiteral("/applications/") + name;
            if (!QFileInfo::exists(path))
                continue;
            const auto exec = desktopEntryValue(readText(path), QStringLiteral("Desktop Entry"),
                                                QStringLiteral("Exec"));
            if (exec && !exec->isEmpty())
                return exec;
        }
    }
    return std::nullopt;
}

class DesktopShell final : public ShellServices {
public:
    int shellOpen(const QString& target, int) override
    {
        QUrl url(target, QUrl::StrictMode);
        // A one-letter scheme is a drive letter, not a scheme.
        if (!url.isValid() || url.scheme().size() < 2) {
            const QFileInfo file(target);
            if (target.isEmpty() || !file.exists())
                return missingFileCode(file);
            url = QUrl::fromLocalFile(file.absoluteFilePath());
        } else if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
            return missingFileCode(QFileInfo(url.toLocalFile()));
        }
        return QDesktopServices::openUrl(url) ? kOpened : kNoAssociation;
    }

    std::optional<QString> htmlHandlerCommand() override
    {
        return defaultHandlerExec(QStringLiteral("text/html"));
    }

    int startCommand(const QString& commandLine, int) override
    {
        QStringList args = QProcess::splitCommand(commandLine);
        if (args.isEmpty())
            return kFileNotFound;
        const QString program = args.takeFirst();
        QString resolved;
        if (program.contains('/')) {
            const QFileInfo file(program);
            if (!file.exists())
                return missingFileCode(file);
            if (file.isDir() || !file.isExecutable())
                return kAccessDenied;
            resolved = file.absoluteFilePath();
        } else {
            resolved = QStandardPaths::findExecutable(program);
            if (resolved.isEmpty())
                return kFileNotFound;
        }
        return QProcess::startDetached(resolved, args) ? kStarted : kBadFormat;
    }
};

DesktopShell g_desktop;
ShellServices* g_services = &g_desktop;

}  // namespace

ShellServices* setShellServices(ShellServices* services)
{
    ShellServices* previous = g_services == &g_desktop ? nullptr : g_services;
    g_services = services ? services : &g_desktop;
    return previous;
}

int OpenLink(const QString& target, int showState)
{
    const int result = g_services->shellOpen(target, showState);
    if (static_cast<unsigned>(result) > 32)
        return result;
    const std::optional<QString> handler = g_services->htmlHandlerCommand();
    if (!handler)
        return result;
    return g_services->startCommand(handlerCommandLine(*handler, target), showState);
}

QString handlerCommandLine(const QString& handlerCommand, const QString& target)
{
    static const std::array<QChar, 4> kCodes{u'f', u'F', u'u', u'U'};
    auto isCode = [](QChar c) { return std::find(kCodes.begin(), kCodes.end(), c) != kCodes.end(); };

    qsizetype quoted = -1;
    qsizetype bare = -1;
    for (qsizetype i = 0; i + 1 < handlerCommand.size(); ++i) {
        if (handlerCommand[i] != '%')
            continue;
        const QChar code = handlerCommand[i + 1];
        if (code == '%') {  // "%%" is a literal percent sign
            ++i;
            continue;
        }
        if (!isCode(code))
            continue;
        if (bare < 0)
            bare = i;
        if (i > 0 && i + 2 < handlerCommand.size() && handlerCommand[i - 1] == '"' &&
            handlerCommand[i + 2] == '"') {
            quoted = i - 1;
            break;
        }
    }
    const qsizetype cut = quoted >= 0 ? quoted : bare;
    // The blank before the placeholder stays, as the cut leaves it.
    const QString command = cut >= 0 ? handlerCommand.left(cut) : handlerCommand;
    return command + ' ' + target;
}

QString openErrorText(int code)
{
    static const std::map<int, const char*> kTexts{
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied\naccess to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred. "},
        {27, "The filename association is\nincomplete or invalid."},
        {28, "The DDE transaction could not\nbe completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
             "being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
    };
    const auto it = kTexts.find(code);
    if (it != kTexts.end())
        return QString::fromUtf8(it->second);
    return QString::asprintf("Unknown Error (%d) occurred.", code);
}

QString openErrorMessage(int code)
{
    return QStringLiteral("Unable to open hyperlink:\n\n") + openErrorText(code);
}

std::optional<QString> desktopEntryValue(const QString& text, const QString& group,
                                         const QString& key)
{
    bool inGroup = false;
    for (const QStringView rawLine : QStringView(text).split(u'\n')) {
        const QStringView line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inGroup = line == QString(u'[' + group + u']');
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && line.left(eq).trimmed() == key)
            return line.mid(eq + 1).trimmed().toString();
    }
    return std::nullopt;
}

std::optional<QString> defaultHandlerExec(const QString& mimeType)
{
    QStringList lists;
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        lists << dir + QStringLiteral("/mimeapps.list");
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        lists << dir + QStringLiteral("/applications/mimeapps.list")
              << dir + QStringLiteral("/applications/defaults.list");
    for (const QString& list : lists) {
        const auto ids =
            desktopEntryValue(readText(list), QStringLiteral("Default Applications"), mimeType);
        if (!ids)
            continue;
        for (const QString& id : ids->split(u';', Qt::SkipEmptyParts))
            if (auto exec = execOfDesktopEntry(id.trimmed()))
                return exec;
    }

    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return std::nullopt;
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(5000) || query.exitCode() != 0)
        return std::nullopt;
    const QString id = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    return id.isEmpty() ? std::nullopt : execOfDesktopEntry(id);
}

}  // namespace quelvo
