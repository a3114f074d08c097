// A 256 MiB file through the copier with the window's kind of handlers,
// against cp followed by sync of the same file, in the same run.
//
// The turn callback processes pending events at most once per
// millisecond; the progress handler moves a progress bar and builds the
// status text once per file, on an offscreen window. A thread posts a
// timestamped event to the window every 2 ms; the delay until the GUI
// thread handles it is how long input would wait during a copy.

#include "bench/catalogue/BenchMedia.h"
#include "catalogue/uClass.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::int64_t FileBytes = std::int64_t(256) << 20;
constexpr int Rounds = 3;
const QEvent::Type ProbeEventType = static_cast<QEvent::Type>(QEvent::User + 17);

struct ProbeEvent : QEvent {
    explicit ProbeEvent(Clock::time_point stamp) : QEvent(ProbeEventType), Stamp(stamp) {}
    Clock::time_point Stamp;
};

// Lives on the GUI thread; measures how long each probe event waited.
class LatencyMeter : public QObject {
public:
    bool Measuring = false;
    double WorstMs = 0;
    int Handled = 0;
    int Late = 0;  // waited more than 20 ms

    bool event(QEvent* event) override
    {
        if (event->type() != ProbeEventType)
            return QObject::event(event);
        if (Measuring) {
            const double waited =
                std::chrono::duration<double, std::milli>(Clock::now() - static_cast<ProbeEvent*>(event)->Stamp).count();
            WorstMs = std::max(WorstMs, waited);
            Late += waited > 20;
            ++Handled;
        }
        return true;
    }
};

void makeSource(const std::string& path)
{
    std::vector<char> block(1 << 20);
    std::ofstream out(path, std::ios::binary);
    for (std::int64_t written = 0; written < FileBytes; written += static_cast<std::int64_t>(block.size())) {
        for (std::size_t i = 0; i < block.size(); i += 64)
            block[i] = static_cast<char>(written / 4096 + i);
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

struct CopyWindow {
    QWidget Window;
    QProgressBar* Bar = new QProgressBar(&Window);   // owned by Window
    QLabel* Status = new QLabel("Ready", &Window);   // owned by Window

    CopyWindow()
    {
        auto* layout = new QVBoxLayout(&Window);     // owned by Window
        layout->addWidget(Bar);
        layout->addWidget(Status);
        Bar->setRange(0, 100);
        Window.resize(400, 80);
        Window.show();
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const ScratchFolder scratch(argc > 1 ? argv[1] : "");
    const std::string source = scratch.Path() + "source.mp4";
    const std::string dest = scratch.Path() + "out/M4V00001.MP4";
    makeSource(source);

    CopyWindow window;
    LatencyMeter meter;
    QThread prober;
    QTimer probeTimer;
    probeTimer.setInterval(2);
    probeTimer.moveToThread(&prober);
    QObject::connect(&probeTimer, &QTimer::timeout, &probeTimer,
                     [&meter] { QCoreApplication::postEvent(&meter, new ProbeEvent(Clock::now())); });
    QObject::connect(&prober, &QThread::started, &probeTimer, qOverload<>(&QTimer::start));
    QObject::connect(&prober, &QThread::finished, &probeTimer, &QTimer::stop);
    prober.start();

    // The window's handlers, as the transfer commands bind them.
    TCopyFile copier;
    double batchDone = 0;
    int shownPercent = -1;
    int shownIndex = 0;
    const int batchIndex = 1;
    copier.OnProgress = [&](int count, const std::string& name) {
        batchDone += count;
        const int percent = static_cast<int>(std::nearbyint(batchDone * 100 / static_cast<double>(FileBytes)));
        if (percent != shownPercent)
            window.Bar->setValue(shownPercent = percent);
        if (shownIndex != batchIndex) {
            shownIndex = batchIndex;
            const auto slash = name.find_last_of('/');
            window.Status->setText(QString("File Name(%1/%2):%3").arg(batchIndex).arg(1).arg(
                QString::fromStdString(name.substr(slash + 1))));
        }
    };
    Clock::time_point lastTurn = Clock::now();
    copier.OnTurn = [&] {
        const auto now = Clock::now();
        if (now - lastTurn >= std::chrono::milliseconds(1)) {
            lastTurn = now;
            QCoreApplication::processEvents();
        }
    };

    const std::string cpCommand = "cp --reflink=never '" + source + "' '" + dest + "' && sync '" + dest + "'";
    fs::create_directories(scratch.Path() + "out");
    std::vector<double> cpTimes, copierTimes;
    bool allCopied = true;
    (void)std::system(("cat '" + source + "' > /dev/null").c_str());  // both read from the page cache
    for (int round = 0; round < Rounds; ++round) {
        cpTimes.push_back(TimeSeconds([&] { allCopied = std::system(cpCommand.c_str()) == 0 && allCopied; }));
        fs::remove_all(scratch.Path() + "out");
        QCoreApplication::processEvents();  // events posted while cp ran are not the copier's
        batchDone = 0;
        shownIndex = 0;
        meter.Measuring = true;
        copierTimes.push_back(TimeSeconds([&] { allCopied = copier.Execute(source, dest) && allCopied; }));
        // Events that waited through the final flush count too.
        QCoreApplication::processEvents();
        meter.Measuring = false;
        allCopied = allCopied && fs::file_size(dest) == static_cast<std::uintmax_t>(FileBytes);
        fs::remove_all(scratch.Path() + "out");
        fs::create_directories(scratch.Path() + "out");
    }
    prober.quit();
    prober.wait();

    const double mib = static_cast<double>(FileBytes) / (1 << 20);
    const double cpRate = mib / Median(cpTimes);
    const double copierRate = mib / Median(copierTimes);
    std::printf("file: %.0f MiB, %d rounds, medians\n", mib, Rounds);
    std::printf("cp + sync:            %.0f MiB/s\n", cpRate);
    std::printf("copier + window turn: %.0f MiB/s = %.0f%% of cp (goal >= 40%%)\n", copierRate,
                100 * copierRate / cpRate);
    std::printf("probe events during copies: %d handled, worst wait %.1f ms, %d over 20 ms (goal: none)\n",
                meter.Handled, meter.WorstMs, meter.Late);
    std::printf("progress bar at %d%%, status \"%s\"\n", window.Bar->value(), qPrintable(window.Status->text()));
    return allCopied ? 0 : 1;
}
