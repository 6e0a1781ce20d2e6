#include "sources/SourceListPanel.h"

#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>

#include <array>
#include <vector>

#include "app/AppInfo.h"
#include "encoding/CommandLine.h"
#include "encoding/EncoderInterface.h"
#include "encoding/OutputPaths.h"
#include "platform/Skin.h"
#include "ui/MainWindowIds.h"

namespace quelvo {

namespace {

struct Column {
    const char* header;
    int width;
    Qt::Alignment alignment;
};
const Column kColumns[] = {
    {" Number", 90, Qt::AlignLeft | Qt::AlignVCenter},
    {"  File path", 360, Qt::AlignLeft | Qt::AlignVCenter},
    {"   Duration", 122, Qt::AlignHCenter | Qt::AlignVCenter},
};
constexpr int kNumberColumn = 0;
constexpr int kPathColumn = 1;
constexpr int kDurationColumn = 2;

const MenuItem kListMenuItems[] = {
    {ids::MenuAddFiles, "Add video files to list"},
    {ids::MenuRemove, "Remove video file from list"},
    {ids::MenuMoveUp, "Move up"},
    {ids::MenuMoveDown, "Move down"},
};
const MenuTemplate kListMenu = {ids::ListMenu, "Edit", kListMenuItems};

QString numberText(int row)
{
    return QStringLiteral("          %1").arg(row + 1);
}

QString caption()
{
    return QString::fromStdString(ApplicationName());
}

QString loadFailed(const QString& path)
{
    return QStringLiteral("Load file %1 failed.").arg(path);
}

// Why a path cannot be handed to the encoder, or empty when it can: the
// argument string quotes it, so a double quote would end it early and let
// the rest of the name pass as options.
QString pathRefusal(const QString& path)
{
    const std::string text = path.toStdString();
    if (text.size() > kMaxPathLength)
        return loadFailed(path) + QStringLiteral(" Its path is longer than 255 characters.");
    if (text.find('"') != std::string::npos)
        return loadFailed(path) + QStringLiteral(" Its path holds a double quote (\").");
    return {};
}

QStringList localFiles(const QMimeData* mime)
{
    QStringList files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}

class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
};

}  // namespace

const MenuTemplate& sourceListMenu()
{
    return kListMenu;
}

std::span<const FileFilter> videoFileFilters()
{
    static const std::array<FileFilter, 4> filters = {{
        {QStringLiteral("All support files"),
         QStringLiteral("*.avi;*.divx;*.div;*.xvid;*.mpeg;*.mpg;*.wmv;*.asf;*.asx")},
        {QStringLiteral("AVI file (*.AVI,*.DivX,*.div,*.Xvid)"), QStringLiteral("*.avi;*.divx;*.div;*.xvid")},
        {QStringLiteral("MPEG file (*.MPEG,*.MPG,*.DAT)"), QStringLiteral("*.mpeg;*.mpg;*.dat")},
        {QStringLiteral("WMV file (*.WMV,*.ASF,*.ASX)"), QStringLiteral("*.wmv;*.asf;*.asx")},
    }};
    return filters;
}

SourceListPanel::SourceListPanel(ConverterContext& context, QTreeWidget* list,
                                 EncoderInterface& encoder, QWidget* mainWindow)
    : context_(context), list_(list), encoder_(encoder), mainWindow_(mainWindow)
{
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setColumnCount(static_cast<int>(std::size(kColumns)));
    QTreeWidgetItem* header = list_->headerItem();
    for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c) {
        header->setText(c, QString::fromUtf8(kColumns[c].header));
        header->setTextAlignment(c, kColumns[c].alignment);
        list_->setColumnWidth(c, kColumns[c].width);
    }
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setAcceptDrops(true);
    list_->viewport()->setAcceptDrops(true);
    list_->viewport()->installEventFilter(this);
}

SourceListPanel::~SourceListPanel() = default;

bool SourceListPanel::blocked() const
{
    return busy_ || encoder_.running();
}

int SourceListPanel::firstSelectedRow() const
{
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        if (list_->topLevelItem(i)->isSelected())
            return i;
    return -1;
}

void SourceListPanel::renumber(int from)
{
    for (int i = from; i < context_.sources.count && i < list_->topLevelItemCount(); ++i)
        list_->topLevelItem(i)->setText(kNumberColumn, numberText(i));
}

void SourceListPanel::AppendRow(const QString& path)
{
    SourceList& sources = context_.sources;
    if (sources.full())
        return;
    const int row = sources.count;
    const auto seconds = static_cast<long long>(sources.durationSeconds[row]);
    if (!sources.appendRow(path.toStdString()))
        return;
    auto* item = new QTreeWidgetItem;
    item->setText(kNumberColumn, numberText(row));
    item->setText(kPathColumn, path);
    item->setText(kDurationColumn, QString::fromStdString(TimeText(seconds)));
    for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c)
        item->setTextAlignment(c, kColumns[c].alignment);
    list_->insertTopLevelItem(row, item);
}

void SourceListPanel::RemoveSelected()
{
    SourceList& sources = context_.sources;
    if (blocked() || sources.count == 0)
        return;
    const int s = firstSelectedRow();
    if (s < 0)
        return;
    delete list_->takeTopLevelItem(s);
    sources.removeRow(s);
    renumber(s);
    if (s < sources.count) {
        list_->topLevelItem(s)->setSelected(true);
        list_->setFocus();
    }
}

void SourceListPanel::MoveSelectedUp()
{
    move(-1);
}

void SourceListPanel::MoveSelectedDown()
{
    move(+1);
}

void SourceListPanel::move(int step)
{
    const int count = context_.sources.count;
    if (blocked() || count < 2)
        return;
    const int s = firstSelectedRow();
    if (s < 0) {
        showMessageBox(mainWindow_, QStringLiteral("No item was selected!"), QStringLiteral("Warning"));
        return;
    }
    const int neighbour = s + step;
    if (neighbour < 0 || neighbour >= count) {
        list_->setFocus();
        return;
    }
    SwapRows(s, neighbour);
}

void SourceListPanel::SwapRows(int a, int b)
{
    QTreeWidgetItem* rowA = list_->topLevelItem(a);
    QTreeWidgetItem* rowB = list_->topLevelItem(b);
    if (!rowA || !rowB || !context_.sources.swapRows(a, b))
        return;
    // The number column stays: numbers belong to positions, not files.
    for (int c : {kPathColumn, kDurationColumn}) {
        const QString textA = rowA->text(c);
        rowA->setText(c, rowB->text(c));
        rowB->setText(c, textA);
    }
    rowB->setSelected(true);
    list_->scrollToItem(rowB, QAbstractItemView::EnsureVisible);
    rowA->setSelected(false);
    list_->setCurrentItem(rowB, 0, QItemSelectionModel::NoUpdate);
    list_->setFocus();
}

int SourceListPanel::ShowListMenu()
{
    return ShowListMenu(QCursor::pos());
}

int SourceListPanel::ShowListMenu(QPoint screenPos)
{
    QWidget* anchor = mainWindow_ ? mainWindow_ : list_;
    if (screenPos == QPoint(-1, -1))
        screenPos = anchor->mapToGlobal(QPoint(5, 5));
    return skinTrackPopupMenu(PopupRequest{anchor->window(), &kListMenu, screenPos});
}

void SourceListPanel::AddFiles()
{
    if (blocked())
        return;
    FileOpenRequest request;
    request.owner = mainWindow_;
    request.title = QStringLiteral("Import video files");
    request.filters = videoFileFilters();
    request.selectedFilter = 0;
    request.multiSelect = true;
    const std::optional<QStringList> chosen = showOpenFilesDialog(request);
    if (!chosen)
        return;
    addPaths(*chosen);
}

void SourceListPanel::addPaths(const QStringList& paths)
{
    if (blocked())
        return;
    SourceList& sources = context_.sources;
    QStringList refusals;
    int leftOut = 0;
    {
        busy_ = true;
        stopRequested_ = false;
        BusyCursor cursor;
        for (const QString& path : paths) {
            const QString refusal = pathRefusal(path);
            if (!refusal.isEmpty()) {
                refusals << refusal;
                continue;
            }
            // A hundredth file would have no staging slot.
            if (sources.full()) {
                ++leftOut;
                continue;
            }
            const std::string source = path.toStdString();
            const std::vector<std::string> listed(sources.path.begin(),
                                                  sources.path.begin() + sources.count);
            std::string output = MakeOutputPath(context_.settings.outputFolder,
                                                context_.settings.outputFormat, source, listed);
            // A probe writes nothing, but the encoder wants a name; the row's
            // own name is settled when it is converted.
            if (output.empty())
                output = "probe.avi";
            sources.probeFailed = false;
            encoder_.RunEncoder(source, output, 0, 0, kModeProbe);
            if (stopRequested_)
                break;
            if (sources.probeFailed || !encoder_.lastResult().started)
                refusals << loadFailed(path);
            else
                AppendRow(path);
        }
        busy_ = false;
    }
    // The window is closing: nothing more to say.
    if (stopRequested_)
        return;
    for (const QString& text : refusals)
        showMessageBox(mainWindow_, text, caption());
    if (leftOut > 0) {
        const QString text = leftOut == 1
            ? QStringLiteral("1 file was not added: the list holds at most %1 files.").arg(kSourceCapacity)
            : QStringLiteral("%1 files were not added: the list holds at most %2 files.")
                  .arg(leftOut)
                  .arg(kSourceCapacity);
        showMessageBox(mainWindow_, text, caption());
    }
}

bool SourceListPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != list_->viewport())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!blocked() && !localFiles(drag->mimeData()).isEmpty())
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList files = localFiles(drop->mimeData());
        if (files.isEmpty() || blocked()) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        // Probing waits for encoder runs; the drag source gets its answer first.
        QMetaObject::invokeMethod(this, [this, files] { addPaths(files); }, Qt::QueuedConnection);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

}  // namespace quelvo
