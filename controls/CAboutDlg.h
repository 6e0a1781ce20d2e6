#pragma once
// The About box (template 100): program icon, "Quelvo <version>" in the
// styled title label, links to the home page and technical support, and the
// legal notice.

#include <QDialog>

#include <string>

#include "platform/DialogTemplate.h"

namespace quelvo {

class CLinkLabel;
class CStyledLabel;

constexpr int kAboutTemplateId = 100;
constexpr int kIdAboutTitle = 1046;
constexpr int kIdHomePageLink = 1047;
constexpr int kIdSupportLink = 1049;

const DialogTemplate& aboutTemplate();

// "Quelvo <versionText>" as it fits a 64-byte buffer: at most 63 bytes, cut
// before a character that would not fit whole.
std::string aboutTitle(const std::string& versionText);

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(const std::string& versionText, QWidget* parent = nullptr);

    CStyledLabel* titleLabel() const { return title_; }
    CLinkLabel* homePageLink() const { return homePage_; }
    CLinkLabel* supportLink() const { return support_; }

private:
    CStyledLabel* title_ = nullptr;
    CLinkLabel* homePage_ = nullptr;
    CLinkLabel* support_ = nullptr;
};

}  // namespace quelvo
