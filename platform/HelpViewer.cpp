#include "platform/HelpViewer.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QResource>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/ShellOpen.h"

namespace quelvo {

namespace {

QPointer<HelpViewer> g_window;

// Each help file is mapped once, under a root of its own.
QString mappedRoot(const QString& file)
{
    static QHash<QString, QString> roots;
    const QString key = QFileInfo(file).absoluteFilePath();
    if (const auto it = roots.constFind(key); it != roots.constEnd())
        return *it;
    const QString root = QStringLiteral("/quelvo-help-%1").arg(roots.size() + 1);
    if (!QFileInfo(key).isFile() || !QResource::registerResource(key, root))
        return {};
    roots.insert(key, root);
    return root;
}

}  // namespace

HelpPath parseHelpPath(const QString& path)
{
    const qsizetype sep = path.indexOf(QStringLiteral("::"));
    if (sep < 0)
        return {path, {}};
    QString topic = path.mid(sep + 2);
    if (!topic.isEmpty() && !topic.startsWith('/'))
        topic.prepend('/');
    return {path.left(sep), topic};
}

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent), browser_(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("Quelvo Help"));
    browser_->setOpenLinks(false);
    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpViewer::followLink);

    auto* bar = new QToolBar(this);
    QAction* back = bar->addAction(QStringLiteral("Back"), browser_, &QTextBrowser::backward);
    QAction* forward = bar->addAction(QStringLiteral("Forward"), browser_, &QTextBrowser::forward);
    bar->addAction(QStringLiteral("Contents"), this, [this] {
        if (!root_.isEmpty())
            followLink(QUrl(QStringLiteral("qrc:") + root_ + QString::fromUtf8(kDefaultHelpTopic)));
    });
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(browser_);
    resize(760, 560);
}

void HelpViewer::displayTopic(const QString& helpPath)
{
    const HelpPath path = parseHelpPath(helpPath);
    root_ = mappedRoot(path.file);
    if (root_.isEmpty()) {
        showMessage(QStringLiteral("Help file not found"),
                    QStringLiteral("The help file \"%1\" could not be opened. It is missing or "
                                   "damaged; installing Quelvo again restores it.")
                        .arg(path.file));
        return;
    }
    const QString topic = path.topic.isEmpty() ? QString::fromUtf8(kDefaultHelpTopic) : path.topic;
    followLink(QUrl(QStringLiteral("qrc:") + root_ + topic));
}

void HelpViewer::followLink(const QUrl& url)
{
    if (url.scheme() != QLatin1String("qrc")) {
        if (!url.isRelative()) {
            OpenLink(url.toString(), kShowWindow);
            return;
        }
    }
    const QUrl target = url.isRelative() ? browser_->source().resolved(url) : url;
    if (!QFile::exists(QLatin1Char(':') + target.path())) {
        showMessage(QStringLiteral("Topic not found"),
                    QStringLiteral("The topic \"%1\" is not in the help file.")
                        .arg(target.path().mid(root_.size())));
        return;
    }
    showsMessage_ = false;
    browser_->setSource(target);
}

void HelpViewer::showMessage(const QString& title, const QString& text)
{
    showsMessage_ = true;
    browser_->clearHistory();
    browser_->setHtml(QStringLiteral("<h2>%1</h2><p>%2</p>")
                          .arg(title.toHtmlEscaped(), text.toHtmlEscaped()));
}

QString HelpViewer::currentTopic() const
{
    if (showsMessage_ || root_.isEmpty())
        return {};
    return browser_->source().path().mid(root_.size());
}

QString HelpViewer::pageText() const
{
    return browser_->toPlainText();
}

HelpViewer* displayHelpTopic(const QString& helpPath)
{
    if (!g_window) {
        g_window = new HelpViewer;
        g_window->setAttribute(Qt::WA_DeleteOnClose);
    }
    g_window->displayTopic(helpPath);
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
    return g_window;
}

HelpViewer* helpWindow()
{
    return g_window;
}

}  // namespace quelvo
