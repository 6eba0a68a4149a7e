// SPDX-License-Identifier: GPL-3.0-or-later
// Prints how long the window takes from process start to its first completed
// paint (offscreen), next to a minimal Qt Widgets window with a few labels
// built the same way: the median of several runs each, and their ratio, also
// taken pair by pair. No assertions.
//
//   bench_startup [runs]
//
// Each run is a fresh process (this program with --child window|minimal), so
// the library loading and font set-up a user waits for are counted. Each
// child also reports its processor time and page faults up to that paint.
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#if defined(__unix__)
#include <sys/resource.h>
#endif

#include "app/main.h"
#include "link/adapter_locator.h"

namespace {

std::int64_t NowNs() {
    // steady_clock is the system-wide monotonic clock here, so a parent and its
    // child read the same time line.
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct TUsage {
    double cpuMs = 0;     // user and system time of this process
    long pageFaults = 0;  // minor and major
};

// Where the time goes besides the code: on a virtual machine a page fault can
// cost several microseconds, and the window touches more memory than a bare one.
TUsage Usage() {
#if !defined(__unix__)
    return {};
#else
    rusage r{};
    if (getrusage(RUSAGE_SELF, &r) != 0) return {};
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return {ms(r.ru_utime) + ms(r.ru_stime), r.ru_minflt + r.ru_majflt};
#endif
}

// Prints the time of the first paint of `window` once that paint is done, and quits.
class FirstPaint : public QObject {
  public:
    explicit FirstPaint(QWidget* window) : QObject(window), window_(window) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Runs after the paint event (and the rest of this paint pass) returned.
            QTimer::singleShot(0, [] {
                const long long paintedAt = NowNs();
                const TUsage usage = Usage();
                std::printf("%lld\n%.3f %ld\n", paintedAt, usage.cpuMs, usage.pageFaults);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

  private:
    QWidget* window_;
    bool seen_ = false;
};

int RunChild(int argc, char** argv, bool minimal) {
    // When main began, so the parent can split library loading from our own work.
    std::printf("%lld\n", static_cast<long long>(NowNs()));
    QApplication app(argc, argv);
    if (minimal) {
        QMainWindow window;
        auto* central = new QWidget(&window);
        auto* column = new QVBoxLayout(central);
        for (const char* text : {"Регистратор", "1,0000 кОм", "Q 12,345", "D 0,0810"})
            column->addWidget(new QLabel(QString::fromUtf8(text), central));
        window.setCentralWidget(central);
        window.resize(1024, 665);
        FirstPaint watch(&window);
        window.show();
        return app.exec();
    }
    QTemporaryDir settingsDir;
    TForm1Ports ports;
    ports.locator = std::make_unique<FixedPortLocator>(QString());  // no adapter
    ports.settingsFolder = settingsDir.path();
    TForm1 form(std::move(ports));
    FirstPaint watch(&form);
    form.show();
    return app.exec();
}

struct TRun {
    double total = -1;      // ms from starting the child to its first completed paint
    double beforeMain = 0;  // ms of that spent before main: exec and library loading
    double cpuMs = 0;       // the child's processor time by then
    double pageFaults = 0;  // ... and its page faults
};

// One child run; total is negative on failure.
TRun OneRun(const QString& program, const char* which) {
    QProcess child;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    const std::int64_t start = NowNs();
    child.start(program, {"--child", which});
    if (!child.waitForFinished(30000)) return {};
    const QList<QByteArray> lines = child.readAllStandardOutput().trimmed().split('\n');
    if (lines.size() != 3) return {};
    bool mainOk = false, paintOk = false;
    const long long mainAt = lines[0].trimmed().toLongLong(&mainOk);
    const long long paintedAt = lines[1].trimmed().toLongLong(&paintOk);
    const QList<QByteArray> usage = lines[2].trimmed().split(' ');
    if (!mainOk || !paintOk || usage.size() != 2) return {};
    return {static_cast<double>(paintedAt - start) / 1e6, static_cast<double>(mainAt - start) / 1e6,
            usage[0].toDouble(), usage[1].toDouble()};
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.bluetooth*=false");
    if (argc >= 3 && std::string_view(argv[1]) == "--child")
        return RunChild(argc, argv, std::string_view(argv[2]) == "minimal");

    QCoreApplication app(argc, argv);
    int runs = 15;
    if (argc > 1) {
        bool ok = false;
        runs = QString::fromLocal8Bit(argv[1]).toInt(&ok);
        if (!ok || runs < 1) {
            std::fprintf(stderr, "usage: bench_startup [runs]  (runs: a whole number from 1)\n");
            return 2;
        }
    }
    const QString self = QCoreApplication::applicationFilePath();
    struct TSeries {
        std::vector<double> total, fromMain, cpuMs, pageFaults;
        void Add(const TRun& r) {
            if (r.total < 0) return;
            total.push_back(r.total);
            fromMain.push_back(r.total - r.beforeMain);
            cpuMs.push_back(r.cpuMs);
            pageFaults.push_back(r.pageFaults);
        }
    } window, minimal;
    // Each window run over the minimal run just before it: a busy moment of
    // the machine slows both of a pair, so their ratio stays steadier than
    // either time.
    std::vector<double> pairRatios;
    for (int i = 0; i < runs; ++i) {
        const TRun bare = OneRun(self, "minimal");
        const TRun full = OneRun(self, "window");
        minimal.Add(bare);
        window.Add(full);
        if (bare.total > 0 && full.total > 0) pairRatios.push_back(full.total / bare.total);
    }
    if (window.total.empty() || minimal.total.empty()) {
        std::fprintf(stderr, "bench_startup: a child did not report its first paint\n");
        return 1;
    }
    std::printf("start to first paint, median of %d runs (offscreen):\n", runs);
    for (const auto& [name, series] :
         {std::pair{"window:        ", &window}, std::pair{"minimal window:", &minimal}})
        std::printf(
            "  %s %.1f ms (%.1f ms of it from main; %.1f ms of processor, %.0f page faults)\n",
            name, Median(series->total), Median(series->fromMain), Median(series->cpuMs),
            Median(series->pageFaults));
    std::printf("  ratio:          %.2f (of the medians)\n",
                Median(window.total) / Median(minimal.total));
    if (pairRatios.empty()) return 0;
    std::sort(pairRatios.begin(), pairRatios.end());
    std::printf(
        "  paired ratio:   %.2f (median of %zu side-by-side pairs; middle half %.2f to %.2f)\n",
        Median(pairRatios), pairRatios.size(), pairRatios[pairRatios.size() / 4],
        pairRatios[pairRatios.size() * 3 / 4]);
    return 0;
}
