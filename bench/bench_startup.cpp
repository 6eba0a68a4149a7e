// Prints how long the window takes from process start to its first completed
// paint (offscreen), next to a minimal Qt Widgets window with a few labels
// built the same way: the median of several runs each, and their ratio.
// No assertions.
//
//   bench_startup [runs]
//
// Each run is a fresh process (this program with --child window|minimal), so
// the library loading and font set-up a user waits for are counted.
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
#include <optional>
#include <vector>

#include "app/font_warm_up.h"
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
                std::printf("%lld\n", static_cast<long long>(NowNs()));
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
    // The window starts as the program does; the minimal window as plain Qt.
    std::optional<FontWarmUp> fonts;
    if (!minimal) fonts.emplace();
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
};

// One child run; total is negative on failure.
TRun OneRun(const QString& program, const char* which) {
    QProcess child;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    const std::int64_t start = NowNs();
    child.start(program, {"--child", which});
    if (!child.waitForFinished(30000)) return {};
    const QList<QByteArray> lines = child.readAllStandardOutput().trimmed().split('\n');
    if (lines.size() != 2) return {};
    bool mainOk = false, paintOk = false;
    const long long mainAt = lines[0].trimmed().toLongLong(&mainOk);
    const long long paintedAt = lines[1].trimmed().toLongLong(&paintOk);
    if (!mainOk || !paintOk) return {};
    return {static_cast<double>(paintedAt - start) / 1e6,
            static_cast<double>(mainAt - start) / 1e6};
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
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const QString self = QCoreApplication::applicationFilePath();
    std::vector<double> window, minimal, windowMain, minimalMain;
    for (int i = 0; i < runs; ++i) {
        // Interleaved, so a busy moment of the machine hits both alike.
        if (const TRun r = OneRun(self, "minimal"); r.total >= 0) {
            minimal.push_back(r.total);
            minimalMain.push_back(r.total - r.beforeMain);
        }
        if (const TRun r = OneRun(self, "window"); r.total >= 0) {
            window.push_back(r.total);
            windowMain.push_back(r.total - r.beforeMain);
        }
    }
    if (window.empty() || minimal.empty()) {
        std::fprintf(stderr, "bench_startup: a child did not report its first paint\n");
        return 1;
    }
    const double w = Median(window), m = Median(minimal);
    std::printf("start to first paint, median of %d runs (offscreen):\n", runs);
    std::printf("  window:         %.1f ms (%.1f ms of it from main)\n", w, Median(windowMain));
    std::printf("  minimal window: %.1f ms (%.1f ms of it from main)\n", m, Median(minimalMain));
    std::printf("  ratio:          %.2f\n", w / m);
    return 0;
}
