#pragma once
// The Tip of the Day dialog (template 137): one tip at a time from the tips
// file, painted on a white panel under a picture and "Did you know...".

#include <QDialog>

#include <memory>

#include "platform/DialogTemplate.h"

namespace quelvo {

class TipsReader;

constexpr int kTipTemplateId = 137;
constexpr int kIdTipText = 1042;
constexpr int kIdShowAtStartup = 1043;
constexpr int kIdNextTip = 1044;
constexpr int kIdTipPanel = 1045;
constexpr int kTipBitmapId = 138;

// String resources 102 to 104.
inline constexpr const char* kTipsMissingText = "Tips file does not exist in the prescribed directory";
inline constexpr const char* kTipsTroubleText = "Trouble reading the tips file";
inline constexpr const char* kDidYouKnowText = "Did you know...";

const DialogTemplate& tipOfTheDayTemplate();

class CTipOfTheDayDlg : public QDialog {
    Q_OBJECT
public:
    // Reads the profile and the first tip from the tips file beside the program.
    explicit CTipOfTheDayDlg(QWidget* parent = nullptr);
    CTipOfTheDayDlg(const std::string& tipsPath, QWidget* parent);
    // Stores the reading position.
    ~CTipOfTheDayDlg() override;

    bool showAtStartup() const { return showAtStartup_; }
    QString tipText() const { return tipText_; }

    // Close: stores "StartUp" as the inverse of the check box.
    void accept() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void nextTip();
    void takeTip();

    bool showAtStartup_ = true;
    QString tipText_;
    std::unique_ptr<TipsReader> reader_;
};

}  // namespace quelvo
