#pragma once
// Opening a web address or a document the way the desktop opens it, with a
// fallback through the desktop's default handler for HTML pages. Result codes
// follow the Windows shell: a value greater than 32 is success, others name
// the failure (2 file not found, 3 path not found, 31 no application ...).

#include <QString>

#include <optional>

namespace quelvo {

constexpr int kShowWindow = 5;  // show the window in its current size and position

// What OpenLink asks of the desktop. Tests install their own so that no
// browser is ever started.
class ShellServices {
public:
    virtual ~ShellServices() = default;
    // The desktop's "open" on target.
    virtual int shellOpen(const QString& target, int showState) = 0;
    // The command line (desktop entry Exec line) of the default text/html
    // handler; nullopt when there is none or it cannot be read.
    virtual std::optional<QString> htmlHandlerCommand() = 0;
    // Starts a command line without waiting for it.
    virtual int startCommand(const QString& commandLine, int showState) = 0;
};

// Installs services (nullptr restores the desktop's); returns the previous ones.
ShellServices* setShellServices(ShellServices* services);

// The desktop's open, else the HTML handler's command with target appended.
int OpenLink(const QString& target, int showState);

// The handler command cut at its first quoted file or URL placeholder
// ("%f", "%F", "%u", "%U" in double quotes), else at the first bare one,
// then a blank and target appended.
QString handlerCommandLine(const QString& handlerCommand, const QString& target);

// The text for a failure code, and the whole message the link label shows.
QString openErrorText(int code);
QString openErrorMessage(int code);

// The value of key in [group] of a desktop entry or mimeapps.list text.
std::optional<QString> desktopEntryValue(const QString& text, const QString& group,
                                         const QString& key);

// The Exec line of the default handler for mimeType, found through the
// mimeapps.list files and the desktop entries of the XDG folders, then
// xdg-mime when that finds nothing.
std::optional<QString> defaultHandlerExec(const QString& mimeType);

}  // namespace quelvo
