#include "encoding/ConversionRun.h"

#include <QStringList>
#include <QWidget>

#include <filesystem>
#include <system_error>
#include <vector>

#include "app/AppInfo.h"
#include "encoding/CProgressDlg.h"
#include "encoding/CommandLine.h"
#include "encoding/EncoderInterface.h"
#include "encoding/OutputPaths.h"
#include "encoding/Progress.h"
#include "platform/UiServices.h"

namespace quelvo {

namespace fs = std::filesystem;

namespace {

// A missing file is no error; a folder of that name is left alone.
void deleteFile(const std::string& path)
{
    std::error_code ec;
    if (!path.empty() && !fs::is_directory(fs::symlink_status(path, ec)))
        fs::remove(path, ec);
}

// The folder as an absolute path, so that the output names stay right after
// EnsureFolder has moved the current directory.
std::string absoluteFolder(const std::string& folder)
{
    if (folder.empty() || fs::path(folder).is_absolute())
        return folder;
    std::error_code ec;
    std::string absolute = fs::absolute(folder, ec).string();
    return ec ? folder : absolute;
}

QString caption()
{
    return QString::fromStdString(ApplicationName());
}

}  // namespace

ConversionRun::ConversionRun(ConverterContext& context, EncoderInterface& encoder,
                             CProgressDlg& progress, QWidget* mainWindow, FolderText folderText,
                             Clock clock)
    : context_(context),
      encoder_(encoder),
      progress_(progress),
      mainWindow_(mainWindow),
      folderText_(std::move(folderText)),
      clock_(std::move(clock))
{
}

void ConversionRun::ConvertAll()
{
    if (running_ || encoder_.running())
        return;
    SourceList& list = context_.sources;
    if (list.count == 0) {
        showMessageBox(mainWindow_, QStringLiteral("No file in the list"), caption());
        return;
    }
    const QString folderText =
        folderText_ ? folderText_() : QString::fromStdString(context_.settings.outputFolder);
    context_.settings.outputFolder = folderText.toStdString();
    const std::string folder = absoluteFolder(context_.settings.outputFolder);
    // A folder no file can be written to would fail every row; say so once.
    if (EnsureFolder(folder) == -1 || !FolderWritable(folder)) {
        showMessageBox(mainWindow_, QStringLiteral("Fail to create tmp folder %1").arg(folderText),
                       caption());
        return;
    }

    running_ = true;
    RunState& run = context_.run;
    run.startTick = clock_();
    progress_.setCancelRequested(false);
    mainWindow_->setEnabled(false);
    // An owned window is disabled with its owner; the progress window must
    // stay usable.
    progress_.setEnabled(true);
    progress_.setStatusText(QString::fromUtf8(kInitialStatusText));
    progress_.setBarRange(0, 1000);
    progress_.setBarPosition(0);
    // Centred on the main window where it stands now, not where it stood
    // before it was first shown.
    progress_.centerOnOwner();
    progress_.show();
    run.doneSeconds = 0;

    // Sources and the outputs already written are never overwritten.
    std::vector<std::string> keep(list.path.begin(), list.path.begin() + list.count);
    QStringList failed;
    for (int32_t i = 0; i < list.count; ++i) {
        run.currentIndex = i;
        const std::string source = list.path[i];
        const std::string output =
            MakeOutputPath(folder, context_.settings.outputFormat, source, keep);
        bool converted = false;
        if (!output.empty()) {
            deleteFile(output);
            const Padding pad = ComputePadding(context_.settings, context_.params, list.frameWidth[i],
                                               list.frameHeight[i]);
            encoder_.RunEncoder(source, output, pad.width, pad.height, kModeConvert);
            converted = encoder_.lastResult().succeeded();
        }
        run.doneSeconds += list.durationSeconds[i];
        if (progress_.cancelRequested()) {
            deleteFile(output);
            finish();
            return;
        }
        if (converted) {
            keep.push_back(output);
        } else {
            deleteFile(output);
            failed << QString::fromStdString(source);
        }
    }

    for (const QString& source : failed)
        showMessageBox(mainWindow_, QStringLiteral("Convert file %1 failed.").arg(source), caption());
    const uint32_t elapsed = clock_() - run.startTick;
    showMessageBox(mainWindow_,
                   QStringLiteral("Mission accomplished! Total Time:%1")
                       .arg(QString::fromStdString(TimeText(elapsed / 1000))),
                   caption(), MessageButtons::Ok, MessageIcon::Information);
    finish();
}

void ConversionRun::finish()
{
    mainWindow_->setEnabled(true);
    progress_.hide();
    running_ = false;
}

}  // namespace quelvo
