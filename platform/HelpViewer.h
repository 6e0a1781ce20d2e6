#pragma once
// Our HTML help viewer. A compiled help file is a resource package made by
// rcc --binary from the help pages; a help path names the file and a topic
// inside it, "<file>::<topic>", as "help.chm::/overview/overview.htm".

#include <QPointer>
#include <QString>
#include <QWidget>

class QTextBrowser;
class QUrl;

namespace quelvo {

struct HelpPath {
    QString file;
    QString topic;  // starts with '/'; empty when the path names none
};

// Splits at the first "::"; a topic without its leading '/' gets one.
HelpPath parseHelpPath(const QString& path);

// The topic a help file opens at when the path names none.
inline constexpr const char* kDefaultHelpTopic = "/overview/overview.htm";

class HelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // Shows the topic of the help file, or a page that says why it cannot.
    void displayTopic(const QString& helpPath);

    // The topic shown ("" while a message page is shown), and the page's text.
    QString currentTopic() const;
    QString pageText() const;
    bool showsMessage() const { return showsMessage_; }

private:
    void followLink(const QUrl& url);
    void showMessage(const QString& title, const QString& text);

    QTextBrowser* browser_;
    QString root_;  // where the open help file is mapped among the resources
    bool showsMessage_ = false;
};

// The process's help window, created on first use, raised and shown at the
// topic of helpPath. It has no owner window.
HelpViewer* displayHelpTopic(const QString& helpPath);
// The help window if one is open.
HelpViewer* helpWindow();

}  // namespace quelvo
