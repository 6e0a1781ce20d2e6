#pragma once
// The program's main window: the source list, the quick settings, the output
// folder and the command buttons. It routes commands to the parts that do
// the work and holds the process-wide records.

#include <QDialog>

#include <memory>

#include "encoding/ConverterContext.h"
#include "encoding/EncoderInterface.h"

class QComboBox;
class QLineEdit;
class QTreeWidget;

namespace quelvo {

class CProgressDlg;
class ConversionRun;
class ProgressReporter;
class SourceListPanel;

class CConverterDlg : public QDialog {
    Q_OBJECT
public:
    // Loads the settings from the option file in programDirectory (empty:
    // the program's own directory).
    explicit CConverterDlg(QWidget* parent = nullptr, const std::string& programDirectory = {});
    ~CConverterDlg() override;

    // Routes a command id through the command table; false when no entry
    // takes it (or it is ignored while files are being probed).
    bool onCommand(int id);
    // System-menu commands: the About entry, else the default handling.
    void onSysCommand(int id);

    ConverterContext& context() { return ctx_; }
    EncoderInterface& encoder() { return encoder_; }
    SourceListPanel& sourceList() { return *list_; }
    CProgressDlg& progressWindow() { return *progress_; }
    QWidget* control(int id) const;
    // Whether a list-changing or encoder-starting command is refused now.
    bool busyProbing() const;
    // How often the settings were written (once, at destruction).
    int settingsSaves() const { return saves_; }

    // Quick settings.
    void OnFormatChanged();
    void OnTvModeChanged();
    void OnAspectChanged();
    void UpdateTvModeCombo();
    void UpdateAspectCombo();
    void ChooseOutputFolder();
    void OpenOutputSettings();

    // Writes the settings unless they were written already.
    void saveSettings();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void customEvent(QEvent* e) override;

public slots:
    void accept() override;
    void reject() override;

private:
    struct Command;
    static const Command kCommands[];

    void setUpImageButtons();
    void runHelpMenu();
    void addFiles();
    void removeSelected();
    void moveUp();
    void moveDown();
    void convertAll();
    void helpContents();
    void helpAbout();
    void homePage();
    void tipOfTheDay();
    void closeWhenIdle(bool accepted);
    bool closeAfterRunningWork(int how);

    ConverterContext ctx_;
    EncoderInterface encoder_;
    CProgressDlg* progress_ = nullptr;
    std::unique_ptr<ProgressReporter> reporter_;
    std::unique_ptr<SourceListPanel> list_;
    std::unique_ptr<ConversionRun> run_;
    QComboBox* formatCombo_ = nullptr;
    QComboBox* tvCombo_ = nullptr;
    QComboBox* aspectCombo_ = nullptr;
    QLineEdit* folderEdit_ = nullptr;
    int32_t framePresetIndex_ = -1;  // never set: the start-up target size
    int defaultCommand_ = 1;         // what Enter sends (IDOK until a button takes it)
    int commandDepth_ = 0;
    int pendingClose_ = 0;           // 1 accept, 2 reject once the running command returns
    int saves_ = 0;
};

}  // namespace quelvo
