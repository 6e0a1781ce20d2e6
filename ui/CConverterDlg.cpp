#include "ui/CConverterDlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "app/AppInfo.h"
#include "controls/CImageButton.h"
#include "encoding/CProgressDlg.h"
#include "encoding/ConversionRun.h"
#include "encoding/ProgressReporter.h"
#include "platform/Resources.h"
#include "platform/UiServices.h"
#include "settings/COutputSettingsDlg.h"
#include "settings/ChoiceLists.h"
#include "sources/SourceListPanel.h"
#include "ui/HelpCommands.h"
#include "ui/MainWindowIds.h"
#include "ui/MainWindowTemplate.h"

namespace quelvo {

struct CConverterDlg::Command {
    int id;
    void (CConverterDlg::*operation)();
    bool refusedWhileProbing;  // changes the list or starts an encoder run
};

// The command table: every id that reaches an operation.
const CConverterDlg::Command CConverterDlg::kCommands[] = {
    {ids::Add, &CConverterDlg::addFiles, true},
    {ids::SmallAdd, &CConverterDlg::addFiles, true},
    {ids::MenuAddFiles, &CConverterDlg::addFiles, true},
    {ids::SmallRemove, &CConverterDlg::removeSelected, true},
    {ids::MenuRemove, &CConverterDlg::removeSelected, true},
    {ids::SmallUp, &CConverterDlg::moveUp, true},
    {ids::MenuMoveUp, &CConverterDlg::moveUp, true},
    {ids::SmallDown, &CConverterDlg::moveDown, true},
    {ids::MenuMoveDown, &CConverterDlg::moveDown, true},
    {ids::ChangeFolder, &CConverterDlg::ChooseOutputFolder, false},
    {ids::Help, &CConverterDlg::runHelpMenu, false},
    {ids::HelpContent, &CConverterDlg::helpContents, false},
    {ids::HelpAbout, &CConverterDlg::helpAbout, false},
    {ids::HelpHomePage, &CConverterDlg::homePage, false},
    {ids::HelpTipOfTheDay, &CConverterDlg::tipOfTheDay, false},
    {ids::Convert, &CConverterDlg::convertAll, true},
    {ids::ConvertButton, &CConverterDlg::convertAll, true},
    {ids::Settings, &CConverterDlg::OpenOutputSettings, true},
    {ids::SettingsButton, &CConverterDlg::OpenOutputSettings, true},
    {ids::FormatCombo, &CConverterDlg::OnFormatChanged, false},
    {ids::TvModeCombo, &CConverterDlg::OnTvModeChanged, false},
    {ids::AspectCombo, &CConverterDlg::OnAspectChanged, false},
};

namespace {

struct ImageButtonSetUp {
    int id;
    int icon;
    int size;  // 0: the icon's own size
    const char* tip;
};
const ImageButtonSetUp kImageButtons[] = {
    {ids::Convert, 162, 48, "Start converting"},
    {ids::Settings, 165, 48, "Settings..."},
    {ids::Add, 160, 48, "Add video files to the list"},
    {ids::Help, 150, 0, "About,help,home page,tip of the day."},
    {ids::SmallAdd, 145, 0, "Add video files to the list"},
    {ids::SmallRemove, 146, 0, "Remove the selected video file"},
    {ids::SmallUp, 147, 0, "Move the selected video file up"},
    {ids::SmallDown, 148, 0, "Move the selected video file down"},
};

bool isImageButton(int id)
{
    return id == ids::ChangeFolder || (id >= ids::Convert && id <= ids::Help) ||
           (id >= ids::SmallAdd && id <= ids::SmallDown);
}

void fillCombo(QComboBox* combo, const ChoiceList& list)
{
    QSignalBlocker block(combo);
    combo->clear();
    for (const auto& item : list.items)
        combo->addItem(QString::fromStdString(item));
    combo->setCurrentIndex(list.selection);
    combo->setEnabled(list.enabled);
}

}  // namespace

CConverterDlg::CConverterDlg(QWidget* parent, const std::string& programDirectory)
    : QDialog(parent), encoder_(ctx_, this)
{
    // Construction: the window icon and the settings.
    ctx_.programDirectory = programDirectory.empty() ? ProgramDirectory() : programDirectory;
    setWindowIcon(iconResource(ids::ProgramIcon));
    LoadOptions(ctx_.programDirectory, ctx_.settings, ctx_.versionText);

    // Initialisation: controls from template 102.
    buildDialog(this, mainWindowTemplate(), [](const ControlTemplate& c, QWidget* parent) -> QWidget* {
        return isImageButton(c.id) ? CImageButton::fromTemplate(c, parent) : nullptr;
    });
    formatCombo_ = quelvo::control<QComboBox>(this, ids::FormatCombo);
    tvCombo_ = quelvo::control<QComboBox>(this, ids::TvModeCombo);
    aspectCombo_ = quelvo::control<QComboBox>(this, ids::AspectCombo);
    folderEdit_ = quelvo::control<QLineEdit>(this, ids::OutputFolderEdit);
    for (const auto& name : formatNames())
        formatCombo_->addItem(QString::fromStdString(name));
    tvCombo_->addItems({QStringLiteral("NTSC"), QStringLiteral("PAL")});

    // Every button and combo reports its id to the command table.
    for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        const int id = controlId(w);
        if (auto* b = qobject_cast<QPushButton*>(w))
            connect(b, &QPushButton::clicked, this, [this, id] { onCommand(id); });
        else if (auto* cb = qobject_cast<QComboBox*>(w))
            connect(cb, &QComboBox::activated, this, [this, id] { onCommand(id); });
    }

    setUpImageButtons();
    auto* listView = quelvo::control<QTreeWidget>(this, ids::SourceListView);
    list_ = std::make_unique<SourceListPanel>(ctx_, listView, encoder_, this);
    connect(listView, &QWidget::customContextMenuRequested, this, [this](const QPoint&) {
        if (int command = list_->ShowListMenu())
            onCommand(command);
    });

    const FrameSize start = startupFrameSize(framePresetIndex_);
    ctx_.params.targetWidth = start.width;
    ctx_.params.targetHeight = start.height;
    folderEdit_->setText(QString::fromStdString(ctx_.settings.outputFolder));
    ctx_.sources.totalDuration = 0;

    progress_ = new CProgressDlg(this);
    reporter_ = std::make_unique<ProgressReporter>(ctx_, *progress_, this);
    encoder_.setProgressSink([this](double position) { return reporter_->ReportSink(1, position); });
    run_ = std::make_unique<ConversionRun>(ctx_, encoder_, *progress_, this,
                                           [this] { return folderEdit_->text(); });

    {
        QSignalBlocker block(formatCombo_);
        formatCombo_->setCurrentIndex(ctx_.settings.outputFormat);
    }
    UpdateTvModeCombo();
    UpdateAspectCombo();
}

CConverterDlg::~CConverterDlg()
{
    delete progress_;
    progress_ = nullptr;
    saveSettings();
}

void CConverterDlg::setUpImageButtons()
{
    for (const auto& b : kImageButtons) {
        auto* button = quelvo::control<CImageButton>(this, b.id);
        if (!button)
            continue;
        button->SetIconResource(b.icon, b.size, b.size);
        button->SetTipText(QString::fromUtf8(b.tip), true);
        button->UseParentBackground(false);
        button->SetIconPlacement(1, true);
    }
}

QWidget* CConverterDlg::control(int id) const
{
    return controlById(this, id);
}

bool CConverterDlg::busyProbing() const
{
    return list_ && list_->busy();
}

bool CConverterDlg::onCommand(int id)
{
    for (const Command& c : kCommands) {
        if (c.id != id)
            continue;
        if (c.refusedWhileProbing && busyProbing())
            return false;
        ++commandDepth_;
        (this->*c.operation)();
        --commandDepth_;
        if (commandDepth_ == 0 && pendingClose_)
            closeWhenIdle(pendingClose_ == 1);
        return true;
    }
    if (id == kIdOk) {
        accept();
        return true;
    }
    if (id == kIdCancel) {
        reject();
        return true;
    }
    return false;
}

void CConverterDlg::onSysCommand(int id)
{
    if (isAboutSystemCommand(id))
        helpAbout();
}

void CConverterDlg::addFiles() { list_->AddFiles(); }
void CConverterDlg::removeSelected() { list_->RemoveSelected(); }
void CConverterDlg::moveUp() { list_->MoveSelectedUp(); }
void CConverterDlg::moveDown() { list_->MoveSelectedDown(); }
void CConverterDlg::convertAll() { run_->ConvertAll(); }
void CConverterDlg::helpContents() { showHelpContents(); }
void CConverterDlg::helpAbout() { showAbout(this, ctx_.versionText); }
void CConverterDlg::homePage() { openHomePage(); }
void CConverterDlg::tipOfTheDay() { showTipOfTheDay(this); }

void CConverterDlg::runHelpMenu()
{
    if (int command = showHelpMenu(this))
        onCommand(command);
}

void CConverterDlg::OnFormatChanged()
{
    ctx_.settings.outputFormat = formatCombo_->currentIndex();
    UpdateTvModeCombo();
    UpdateAspectCombo();
}

void CConverterDlg::OnTvModeChanged()
{
    ctx_.settings.tvMode = tvCombo_->currentIndex();
}

void CConverterDlg::OnAspectChanged()
{
    storeQuickAspect(ctx_.settings, aspectCombo_->currentIndex());
}

void CConverterDlg::UpdateTvModeCombo()
{
    QSignalBlocker block(tvCombo_);
    tvCombo_->setCurrentIndex(ctx_.settings.tvMode >= 0 && ctx_.settings.tvMode < tvCombo_->count()
                                  ? ctx_.settings.tvMode
                                  : -1);
    tvCombo_->setEnabled(tvModeEnabled(ctx_.settings.outputFormat));
}

void CConverterDlg::UpdateAspectCombo()
{
    fillCombo(aspectCombo_, quickAspectChoices(ctx_.settings));
}

void CConverterDlg::ChooseOutputFolder()
{
    FolderRequest request{this, QStringLiteral("Select a temporary folder"), folderEdit_->text().left(255)};
    std::optional<QString> chosen = showFolderChooser(request);
    if (!chosen || chosen->isEmpty())
        return;
    QString folder = QDir::toNativeSeparators(*chosen);
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    folderEdit_->setText(folder);
    ctx_.settings.outputFolder = folder.toStdString();
}

void CConverterDlg::OpenOutputSettings()
{
    COutputSettingsDlg dialog(ctx_.settings, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    {
        QSignalBlocker block(formatCombo_);
        formatCombo_->setCurrentIndex(ctx_.settings.outputFormat);
    }
    UpdateTvModeCombo();
    UpdateAspectCombo();
}

void CConverterDlg::saveSettings()
{
    if (saves_ > 0)
        return;
    ++saves_;
    SaveOptions(ctx_.programDirectory, ctx_.settings);
}

void CConverterDlg::closeWhenIdle(bool accepted)
{
    pendingClose_ = 0;
    if (accepted)
        QDialog::accept();
    else
        QDialog::reject();
}

bool CConverterDlg::closeAfterRunningWork(int how)
{
    if (!encoder_.running())
        return false;
    // Closing in the middle of a file stops the encoder first, without the
    // stop question and without adding or converting further files; the
    // window closes when the interrupted command has returned.
    pendingClose_ = how;
    progress_->requestStopWithoutQuestion();
    list_->stopAdding();
    encoder_.terminate();
    return true;
}

void CConverterDlg::accept()
{
    if (!closeAfterRunningWork(1))
        QDialog::accept();
}

void CConverterDlg::reject()
{
    if (!closeAfterRunningWork(2))
        QDialog::reject();
}

void CConverterDlg::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (auto* b = qobject_cast<QPushButton*>(focusWidget())) {
            b->click();
            return;
        }
        onCommand(defaultCommand_);
        return;
    }
    if (e->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(e);
}

void CConverterDlg::closeEvent(QCloseEvent* e)
{
    e->ignore();
    reject();
}

void CConverterDlg::contextMenuEvent(QContextMenuEvent* e)
{
    // Our stand-in for the window's system menu.
    static const MenuItem items[] = {{kSysCmdAbout, kAboutMenuText}};
    static const MenuTemplate menu = {0, "System", items};
    if (int command = showPopupMenu(PopupRequest{this, &menu, e->globalPos(), false}))
        onSysCommand(command);
}

void CConverterDlg::customEvent(QEvent* e)
{
    // An image button under the pointer takes the default-button role, as the
    // dialog manager would make it: Enter then sends a command nobody routes.
    if (e->type() == ImageButtonMoveEvent::kType)
        defaultCommand_ = -1;
    QDialog::customEvent(e);
}

}  // namespace quelvo
