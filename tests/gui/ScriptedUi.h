#pragma once
// Answers the program's message boxes, file dialogs, folder chooser and popup
// menus from a script, and records what was shown.

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <QStringList>

#include "platform/UiServices.h"

namespace quelvo::test {

struct ShownMessage {
    QWidget* owner;
    QString text;
    QString caption;
    MessageButtons buttons;
    MessageIcon icon;
};

class ScriptedUi : public UiHooks {
public:
    ScriptedUi() { previous_ = setUiHooks(this); }
    ~ScriptedUi() override { setUiHooks(previous_); }

    // Answers, used in order; when a queue runs dry the box gets OK / No,
    // the file and folder dialogs are cancelled and menus dismissed.
    std::deque<int> messageAnswers;
    std::deque<std::optional<QStringList>> fileAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    std::deque<int> menuAnswers;
    // Runs while a message box is "open" (e.g. to check state at that moment).
    std::function<void(const MessageBoxRequest&)> onMessage;

    std::vector<ShownMessage> messages;
    std::vector<FileOpenRequest> fileRequests;
    std::vector<std::vector<FileFilter>> fileFilters;
    std::vector<FolderRequest> folderRequests;
    std::vector<PopupRequest> popups;
    std::vector<std::vector<int>> popupItems;

    QStringList messageTexts() const
    {
        QStringList out;
        for (const auto& m : messages)
            out << m.text;
        return out;
    }

    int messageBox(const MessageBoxRequest& r) override
    {
        messages.push_back({r.owner, r.text, r.caption, r.buttons, r.icon});
        if (onMessage)
            onMessage(r);
        if (messageAnswers.empty())
            return r.buttons == MessageButtons::YesNo ? kAnswerNo : kAnswerOk;
        int a = messageAnswers.front();
        messageAnswers.pop_front();
        return a;
    }
    std::optional<QStringList> openFiles(const FileOpenRequest& r) override
    {
        fileRequests.push_back(r);
        fileFilters.emplace_back(r.filters.begin(), r.filters.end());
        if (fileAnswers.empty())
            return std::nullopt;
        auto a = fileAnswers.front();
        fileAnswers.pop_front();
        return a;
    }
    std::optional<QString> chooseFolder(const FolderRequest& r) override
    {
        folderRequests.push_back(r);
        if (folderAnswers.empty())
            return std::nullopt;
        auto a = folderAnswers.front();
        folderAnswers.pop_front();
        return a;
    }
    int popupMenu(const PopupRequest& r) override
    {
        popups.push_back(r);
        std::vector<int> ids;
        if (r.menu)
            for (const auto& item : r.menu->items)
                ids.push_back(item.id);
        popupItems.push_back(ids);
        if (menuAnswers.empty())
            return 0;
        int a = menuAnswers.front();
        menuAnswers.pop_front();
        return a;
    }

private:
    UiHooks* previous_ = nullptr;
};

}  // namespace quelvo::test
