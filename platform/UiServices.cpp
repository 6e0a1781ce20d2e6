#include "platform/UiServices.h"

#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

namespace quelvo {

namespace {

class RealDialogs final : public UiHooks {
public:
    int messageBox(const MessageBoxRequest& r) override
    {
        QMessageBox box(r.owner);
        box.setWindowTitle(r.caption);
        box.setText(r.text);
        switch (r.icon) {
        case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
        case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
        }
        switch (r.buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            break;
        case MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Yes: return kAnswerYes;
        case QMessageBox::No: return kAnswerNo;
        case QMessageBox::Cancel: return kAnswerCancel;
        default: return r.buttons == MessageButtons::YesNo ? kAnswerNo : kAnswerOk;
        }
    }

    std::optional<QStringList> openFiles(const FileOpenRequest& r) override
    {
        QFileDialog dialog(r.owner, r.title);
        dialog.setFileMode(r.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        dialog.setOption(QFileDialog::ReadOnly, true);
        QStringList filters;
        for (const FileFilter& f : r.filters) {
            QString patterns = f.patterns;
            patterns.replace(';', ' ');
            filters << QStringLiteral("%1 (%2)").arg(f.description, patterns);
        }
        dialog.setNameFilters(filters);
        if (r.selectedFilter >= 0 && r.selectedFilter < filters.size())
            dialog.selectNameFilter(filters[r.selectedFilter]);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.selectedFiles();
    }

    std::optional<QString> chooseFolder(const FolderRequest& r) override
    {
        const QString folder = QFileDialog::getExistingDirectory(r.owner, r.title, r.startFolder);
        if (folder.isEmpty())
            return std::nullopt;
        return folder;
    }

    int popupMenu(const PopupRequest& r) override
    {
        if (!r.menu)
            return 0;
        QMenu menu(r.owner);
        menu.setProperty("skinned", r.skinned);
        menu.setTitle(QString::fromUtf8(r.menu->title));
        for (const MenuItem& item : r.menu->items) {
            if (item.id == 0) {
                menu.addSeparator();
                continue;
            }
            QAction* a = menu.addAction(QString::fromUtf8(item.text));
            a->setData(item.id);
        }
        QAction* chosen = menu.exec(r.screenPos);
        return chosen ? chosen->data().toInt() : 0;
    }
};

RealDialogs g_real;
UiHooks* g_hooks = &g_real;

}  // namespace

UiHooks* setUiHooks(UiHooks* hooks)
{
    UiHooks* previous = g_hooks == &g_real ? nullptr : g_hooks;
    g_hooks = hooks ? hooks : &g_real;
    return previous;
}

int showMessageBox(const MessageBoxRequest& r)
{
    return g_hooks->messageBox(r);
}

int showMessageBox(QWidget* owner, const QString& text, const QString& caption,
                   MessageButtons buttons, MessageIcon icon)
{
    return showMessageBox(MessageBoxRequest{owner, text, caption, buttons, icon});
}

std::optional<QStringList> showOpenFilesDialog(const FileOpenRequest& r)
{
    return g_hooks->openFiles(r);
}

std::optional<QString> showFolderChooser(const FolderRequest& r)
{
    return g_hooks->chooseFolder(r);
}

int showPopupMenu(const PopupRequest& r)
{
    return g_hooks->popupMenu(r);
}

}  // namespace quelvo
