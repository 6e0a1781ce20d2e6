#pragma once
// Message boxes, the file-open dialog, the folder chooser and popup menus.
// Windows call these instead of Qt's dialogs directly, so that a test can
// install UiHooks that answer them with a script and record what was shown.

#include <QPoint>
#include <QString>
#include <QStringList>

#include <optional>
#include <span>

class QWidget;

namespace quelvo {

enum class MessageButtons { Ok, YesNo, OkCancel };
enum class MessageIcon { None, Information, Warning, Question, Error };

// Results as the Windows dialog manager numbers them.
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

struct MessageBoxRequest {
    QWidget* owner = nullptr;
    QString text;
    QString caption;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
};

struct FileFilter {
    QString description;  // "AVI file (*.AVI,*.DivX,*.div,*.Xvid)"
    QString patterns;     // "*.avi;*.divx;*.div;*.xvid"
};

struct FileOpenRequest {
    QWidget* owner = nullptr;
    QString title;
    std::span<const FileFilter> filters;
    int selectedFilter = 0;
    bool multiSelect = false;
};

struct FolderRequest {
    QWidget* owner = nullptr;
    QString title;
    QString startFolder;
};

// A menu resource: items in order; id 0 is a separator.
struct MenuItem {
    int id;
    const char* text;
};
struct MenuTemplate {
    int id;
    const char* title;
    std::span<const MenuItem> items;
};

struct PopupRequest {
    QWidget* owner = nullptr;
    const MenuTemplate* menu = nullptr;
    QPoint screenPos;
    bool skinned = false;  // drawn through the skin's popup operation
};

class UiHooks {
public:
    virtual ~UiHooks() = default;
    virtual int messageBox(const MessageBoxRequest& r) = 0;
    // nullopt: cancelled. Otherwise the chosen full paths, in order.
    virtual std::optional<QStringList> openFiles(const FileOpenRequest& r) = 0;
    virtual std::optional<QString> chooseFolder(const FolderRequest& r) = 0;
    // The chosen command id, or 0 when the menu was dismissed.
    virtual int popupMenu(const PopupRequest& r) = 0;
};

// Installs hooks (nullptr restores the real dialogs); returns the previous ones.
UiHooks* setUiHooks(UiHooks* hooks);

int showMessageBox(const MessageBoxRequest& r);
int showMessageBox(QWidget* owner, const QString& text, const QString& caption,
                   MessageButtons buttons = MessageButtons::Ok, MessageIcon icon = MessageIcon::None);
std::optional<QStringList> showOpenFilesDialog(const FileOpenRequest& r);
std::optional<QString> showFolderChooser(const FolderRequest& r);
int showPopupMenu(const PopupRequest& r);

}  // namespace quelvo
