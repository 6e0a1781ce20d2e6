// Start-up to the main window shown: the program's own start-up (skin, the
// Tip of the Day constructed and destroyed, the main window constructed and
// run), ended when the main window first paints. With --bare, only a
// QApplication and an empty QDialog, for what Qt alone costs.
//
//   quelvo_bench_startup          (program directory: where it is started from)
//   quelvo_bench_startup --bare

#include <QApplication>
#include <QDialog>
#include <QEvent>

#include <cstring>
#include <memory>

#include "app/AppInfo.h"
#include "app/CConverterApp.h"
#include "controls/CTipOfTheDayDlg.h"
#include "ui/CConverterDlg.h"

namespace {

// Closes the dialog at its first paint, the moment the user would see it.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QDialog* dialog) : dialog_(dialog) { dialog->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == dialog_ && event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QMetaObject::invokeMethod(dialog_, &QDialog::reject, Qt::QueuedConnection);
        }
        return false;
    }

private:
    QDialog* dialog_;
    bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv)
{
    const bool bare = argc > 1 && std::strcmp(argv[1], "--bare") == 0;
    if (bare) {
        QApplication app(argc, argv);
        QDialog dialog;
        FirstPaint closer(&dialog);
        return dialog.exec() == QDialog::Rejected ? 0 : 1;
    }

    quelvo::setInvocationPath(argc > 0 ? argv[0] : "");
    QApplication app(argc, argv);
    std::unique_ptr<FirstPaint> closer;
    quelvo::CConverterApp converter({
        [] { return std::make_unique<quelvo::CTipOfTheDayDlg>(); },
        [&closer] {
            auto window = std::make_unique<quelvo::CConverterDlg>();
            closer = std::make_unique<FirstPaint>(window.get());
            return window;
        },
    });
    converter.InitInstance();
    return converter.ExitInstance();
}
