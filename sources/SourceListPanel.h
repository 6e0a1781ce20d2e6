#pragma once
// The behaviour of list control 1006: its columns and rows kept in step with
// the SourceList tables, the row commands, the context menu, and adding
// files, each probed once by the encoder, from the file dialog or by drops.

#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <span>

#include "encoding/ConverterContext.h"
#include "platform/UiServices.h"

class QTreeWidget;
class QWidget;

namespace quelvo {

class EncoderInterface;

// Menu resource 144, the list's context menu.
const MenuTemplate& sourceListMenu();
// The file dialog's filters, in their order; the first is selected.
std::span<const FileFilter> videoFileFilters();

class SourceListPanel : public QObject {
    Q_OBJECT
public:
    // list: control 1006 as the dialog builder made it; mainWindow owns the
    // messages, the file dialog and the menu.
    SourceListPanel(ConverterContext& context, QTreeWidget* list, EncoderInterface& encoder,
                    QWidget* mainWindow);
    ~SourceListPanel() override;

    // Appends the file in the staging slot as a row (nothing when full).
    void AppendRow(const QString& path);
    void RemoveSelected();
    void MoveSelectedUp();
    void MoveSelectedDown();
    // Exchanges rows a (the selected one) and b, their values with them.
    void SwapRows(int a, int b);
    // Shows menu 144 at the cursor (or at a given screen point; (-1, -1)
    // means the main window's corner) and returns the chosen command or 0.
    int ShowListMenu();
    int ShowListMenu(QPoint screenPos);

    // The file dialog, then addPaths with the chosen files.
    void AddFiles();
    // Probes each file and adds those that pass; then names each refused
    // file, and how many did not fit. Dropped files arrive here too.
    void addPaths(const QStringList& paths);

    // While files are being probed; commands that change the list are
    // ignored then.
    bool busy() const { return busy_; }
    // Ends an add in progress after the current probe (whose file is not
    // added) and without messages: the program is closing.
    void stopAdding() { stopRequested_ = busy_; }

    QTreeWidget* list() const { return list_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool blocked() const;
    int firstSelectedRow() const;
    void renumber(int from);
    void move(int step);

    ConverterContext& context_;
    QTreeWidget* list_;
    EncoderInterface& encoder_;
    QWidget* mainWindow_;
    bool busy_ = false;
    bool stopRequested_ = false;
};

}  // namespace quelvo
