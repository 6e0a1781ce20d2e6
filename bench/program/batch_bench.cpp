// A batch through the main window with the real Brantixenc: adds the files
// as a drop does, converts them, and prints what the program process itself
// used, apart from its encoder children, as one line of key=value pairs:
//
//   rows            files in the list after the add
//   add_s           wall time of the add (one probe run per file)
//   add_cpu_s       CPU time of this process during the add
//   convert_s       wall time of the conversion run
//   convert_cpu_s   CPU time of this process during the conversion run
//   encoder_cpu_s   CPU time of the encoders and their ffmpeg children then
//   peak_rss_kb     peak resident memory of this process
//
// With QUELVO_BENCH_LOG set, the line is appended to that file too.
//
//   quelvo_bench_batch [--add-only] <program folder> <output folder> <file>...

#include <QApplication>
#include <QLineEdit>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "tests/gui/ScriptedUi.h"
#include "ui/CConverterDlg.h"
#include "ui/MainWindowIds.h"
#include "sources/SourceListPanel.h"

namespace {

double seconds(const timeval& t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

double cpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    return seconds(u.ru_utime) + seconds(u.ru_stime);
}

double wallSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv)
{
    int first = 1;
    const bool addOnly = argc > 1 && std::strcmp(argv[1], "--add-only") == 0;
    if (addOnly)
        ++first;
    if (argc - first < 3) {
        std::fputs("usage: quelvo_bench_batch [--add-only] <program folder> <output folder> <file>...\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    const QString programFolder = QString::fromLocal8Bit(argv[first]);
    const QString outputFolder = QString::fromLocal8Bit(argv[first + 1]);
    QStringList files;
    for (int i = first + 2; i < argc; ++i)
        files << QString::fromLocal8Bit(argv[i]);

    // Every message box is answered at once and kept for the check below.
    quelvo::test::ScriptedUi ui;
    quelvo::CConverterDlg window(nullptr, (programFolder + "/").toStdString());
    qobject_cast<QLineEdit*>(window.control(quelvo::ids::OutputFolderEdit))->setText(outputFolder);

    double wall = wallSeconds();
    double self = cpuSeconds(RUSAGE_SELF);
    window.sourceList().addPaths(files);
    const double addWall = wallSeconds() - wall;
    const double addCpu = cpuSeconds(RUSAGE_SELF) - self;
    const int rows = window.context().sources.count;
    if (!ui.messages.empty() || rows != files.size()) {
        std::fprintf(stderr, "the add failed: %d of %lld rows, %zu messages\n", rows,
                     static_cast<long long>(files.size()), ui.messages.size());
        return 1;
    }

    double convertWall = 0, convertCpu = 0, encoderCpu = 0;
    if (!addOnly) {
        wall = wallSeconds();
        self = cpuSeconds(RUSAGE_SELF);
        const double children = cpuSeconds(RUSAGE_CHILDREN);
        window.onCommand(quelvo::ids::Convert);
        convertWall = wallSeconds() - wall;
        convertCpu = cpuSeconds(RUSAGE_SELF) - self;
        encoderCpu = cpuSeconds(RUSAGE_CHILDREN) - children;
        const QStringList texts = ui.messageTexts();
        if (texts.size() != 1 || !texts[0].startsWith("Mission accomplished!")) {
            std::fprintf(stderr, "the conversion failed: %s\n", qPrintable(texts.join(" | ")));
            return 1;
        }
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    char line[512];
    std::snprintf(line, sizeof line,
                  "rows=%d add_s=%.4f add_cpu_s=%.4f convert_s=%.4f convert_cpu_s=%.4f encoder_cpu_s=%.4f "
                  "peak_rss_kb=%ld\n",
                  rows, addWall, addCpu, convertWall, convertCpu, encoderCpu, usage.ru_maxrss);
    std::fputs(line, stdout);
    if (const char* log = std::getenv("QUELVO_BENCH_LOG"))
        std::ofstream(log, std::ios::app) << line;
    return 0;
}
