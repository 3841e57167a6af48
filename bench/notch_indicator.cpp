// The screen-top indicator's cost while it shows nothing, a steady count, or working
// sessions: CPU time of the process and wake-ups of the main thread over a stretch of
// seconds after the indicator has settled, on the X display it is given (see
// bench/notch_indicator.sh, which runs it under Xvfb with a simulated notch).
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>

#include "Quaylight/notch/NotchIslandIndicator.h"
#include "Quaylight/notch/widgets/NotchWingWindow.h"

namespace {

struct Usage {
    double cpuSeconds = 0;
    long mainThreadWakeUps = 0;
};

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

Usage sample() {
    rusage process{};
    rusage thread{};
    getrusage(RUSAGE_SELF, &process);
    getrusage(RUSAGE_THREAD, &thread);
    return {seconds(process.ru_utime) + seconds(process.ru_stime), thread.ru_nvcsw + thread.ru_nivcsw};
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = "working";
    int duration = 30;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--mode") == 0 && i + 1 < argc) mode = argv[++i];
        else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) duration = std::atoi(argv[++i]);
    }
    if (mode != "hidden" && mode != "steady" && mode != "working") {
        std::fprintf(stderr, "usage: bench-notch-indicator [--mode hidden|steady|working] [--seconds N]\n");
        return 2;
    }
    QApplication application(argc, argv);
    quaylight::NotchIslandIndicator indicator;
    if (mode != "hidden") {
        const bool working = mode == "working";
        const quaylight::NotchIslandPresentation presentation{{2, working, 0}, {1, working, 0}};
        indicator.setLatestPresentation(presentation);
        indicator.presentLatest();
    }
    Usage start;
    int paintsAtStart = 0;
    auto paints = [&] { return indicator.leftWindow().paintCount() + indicator.rightWindow().paintCount(); };
    // The entrance is long over after two seconds.
    QTimer::singleShot(2000, &application, [&] {
        start = sample();
        paintsAtStart = paints();
        QTimer::singleShot(duration * 1000, &application, [&] {
            const Usage end = sample();
            const double cpu = end.cpuSeconds - start.cpuSeconds;
            std::printf("%-8s %3d s  cpu %7.1f ms  %5.2f %% of one core  main-thread wake-ups %ld  paints %d  "
                        "wings shown %d\n",
                        mode.c_str(), duration, cpu * 1000, 100 * cpu / duration,
                        end.mainThreadWakeUps - start.mainThreadWakeUps, paints() - paintsAtStart,
                        int(indicator.leftWindow().isVisible()) + int(indicator.rightWindow().isVisible()));
            indicator.shutDown();
            application.quit();
        });
    });
    return application.exec();
}
