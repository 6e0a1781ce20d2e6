#pragma once
// The modeless window a conversion run shows: one status line, a bar of
// 0..1000 (tenths of a percent) and Cancel, which only asks the run to stop;
// the next progress report confirms the stop with the user.

#include <QDialog>
#include <QString>

#include "platform/DialogTemplate.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace quelvo {

namespace progress_ids {
constexpr int Template = 130;
constexpr int StatusText = 1032;
constexpr int Bar = 1033;
constexpr int Cancel = 1034;
}  // namespace progress_ids

const DialogTemplate& progressDialogTemplate();

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    // Created hidden and centred over its owner, the main window, which keeps
    // the one instance for its whole life.
    explicit CProgressDlg(QWidget* owner = nullptr);

    bool cancelRequested() const { return cancelRequested_; }
    void setCancelRequested(bool requested)
    {
        cancelRequested_ = requested;
        if (!requested)
            stopWithoutQuestion_ = false;
    }
    // The program is closing: the next report stops the encoder without
    // asking, and the run ends after the current file.
    void requestStopWithoutQuestion()
    {
        cancelRequested_ = true;
        stopWithoutQuestion_ = true;
    }
    bool stopWithoutQuestion() const { return stopWithoutQuestion_; }

    void setStatusText(const QString& text);
    QString statusText() const;
    void setBarRange(int minimum, int maximum);
    void setBarPosition(int position);
    int barPosition() const;

    // What the Cancel button, Esc and the close box do.
    void OnCancel();
    void centerOnOwner();

public slots:
    void accept() override;  // Enter does nothing
    void reject() override;  // Esc acts as Cancel

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    QLabel* status_ = nullptr;
    QProgressBar* bar_ = nullptr;
    bool cancelRequested_ = false;
    bool stopWithoutQuestion_ = false;
};

}  // namespace quelvo
