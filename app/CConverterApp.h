#pragma once
// The application object: prepares the process (skin, start-up tip), runs the
// main window modally as the program's only main loop, and releases the skin
// when the program ends.

#include <functional>
#include <memory>

class QDialog;
class QWidget;

namespace quelvo {

class CTipOfTheDayDlg;

class CConverterApp {
public:
    // What start-up constructs; tests put their own windows in place.
    struct Windows {
        std::function<std::unique_ptr<CTipOfTheDayDlg>()> tipOfTheDay;
        std::function<std::unique_ptr<QDialog>()> mainWindow;
    };

    // The program passes its own Tip of the Day and main window (main.cpp).
    explicit CConverterApp(Windows windows);

    // The whole interactive run; returns false once the main window's modal
    // loop has ended, so that no loop of the application's own follows.
    bool InitInstance();
    // Releases the skin; returns the exit code.
    int ExitInstance();

private:
    Windows windows_;
};

// The main window while it runs (nullptr before and after): the owner of
// dialogs and message boxes that name none.
QWidget* applicationMainWindow();

}  // namespace quelvo
