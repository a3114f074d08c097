// "Copy ->" in the real window, offscreen, against cp followed by sync of
// the same files, in the same run:
//
//   QT_QPA_PLATFORM=offscreen build/bench/window_copy_bench [FOLDER]
//
// 20 videos of 20 MiB with their thumbnails go from a computer folder to
// a simulated handheld (a folder that the mount table and sysfs seams
// present as a removable FAT disk), three rounds, medians. FOLDER
// (default: a new one under /tmp) holds the files; it is removed after.

#include "bench/catalogue/BenchMedia.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Main.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kVideos = 20;
constexpr std::size_t kVideoBytes = 20u << 20;
constexpr int kRounds = 3;

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

// The seams' view of the machine: one removable disk mounted at `drive`.
void SimulateHandheld(const std::string& scratch, const std::string& drive)
{
    const std::string sysfs = scratch + "sysfs/";
    fs::create_directories(sysfs + "block/sdb/sdb1");
    fs::create_directories(sysfs + "dev/block");
    WriteText(sysfs + "block/sdb/removable", "1\n");
    WriteText(sysfs + "block/sdb/sdb1/partition", "1\n");
    fs::create_directory_symlink("../../block/sdb/sdb1", sysfs + "dev/block/8:17");
    WriteText(scratch + "mountinfo", "22 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
                                     "901 22 8:17 / " + drive + " rw,relatime - vfat /dev/sdb1 rw\n");
    setenv("VANTREL_MOUNTINFO", (scratch + "mountinfo").c_str(), 1);
    setenv("VANTREL_SYSFS", sysfs.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (scratch + "config").c_str(), 1);
}

void MakeVideos(const std::string& folder)
{
    std::vector<char> bytes(kVideoBytes);
    for (std::size_t at = 0; at < bytes.size(); ++at)
        bytes[at] = static_cast<char>((at * 2654435761u) >> 13);
    for (int n = 0; n < kVideos; ++n) {
        const std::string stem = folder + "clip " + std::to_string(n);
        bytes[0] = static_cast<char>(n);
        std::ofstream(stem + ".mp4", std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        WriteText(stem + ".THM", "a thumbnail");
    }
}

// The longest time between two firings of a 1 ms timer while a copy ran:
// how long a click or a key waits at worst.
double LongestGapMs = 0;

double WindowCopy(const std::string& computer, const std::string& handheldVideos)
{
    fs::remove_all(handheldVideos);
    fs::create_directories(handheldVideos);
    TfrmVantrel window(computer);
    window.show();
    QApplication::processEvents();
    TPaneView& pane = window.Pane(TPaneSide::Computer);
    pane.SelectOnly(0, pane.Pane().RowCount() - 1);
    auto* copy = window.findChild<QAction*>(QStringLiteral("actCopyToPsp"));
    if (copy == nullptr || pane.Pane().RowCount() != kVideos) {
        std::fprintf(stderr, "window_copy_bench: the window did not load the videos\n");
        std::exit(1);
    }
    QElapsedTimer sinceLast;
    QTimer probe;
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        LongestGapMs = std::max(LongestGapMs, static_cast<double>(sinceLast.nsecsElapsed()) / 1e6);
        sinceLast.restart();
    });
    probe.start();
    sinceLast.start();
    return TimeSeconds([&] { copy->trigger(); });
}

double CopyAndSync(const std::string& computer, const std::string& target)
{
    fs::remove_all(target);
    fs::create_directories(target);
    const std::string command = "cp '" + computer + "'* '" + target + "' && sync";
    return TimeSeconds([&] {
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "window_copy_bench: cp failed\n");
    });
}

} // namespace

int main(int argc, char** argv)
{
    const ScratchFolder scratch(argc > 1 ? argv[1] : "");
    const std::string computer = scratch.Path() + "computer/";
    const std::string drive = scratch.Path() + "psp";
    const std::string handheldVideos = drive + "/MP_ROOT/100MNV01/";
    fs::create_directories(computer);
    SimulateHandheld(scratch.Path(), drive);
    MakeVideos(computer);

    int arguments = 1;
    TApplication application(arguments, argv);
    std::vector<std::string> boxes;
    SetMessageAnswerer([&](const std::string& text, TMessageKind) {
        boxes.push_back(text);
        return TMessageButton::No;
    });
    std::vector<double> window;
    std::vector<double> cp;
    for (int round = 0; round < kRounds; ++round) {
        window.push_back(WindowCopy(computer, handheldVideos));
        cp.push_back(CopyAndSync(computer, scratch.Path() + "cp/"));
    }
    for (const std::string& box : boxes)
        std::fprintf(stderr, "window_copy_bench: a box said: %s\n", box.c_str());
    const double mebibytes = kVideos * static_cast<double>(kVideoBytes) / (1 << 20);
    const double windowRate = mebibytes / Median(window);
    const double cpRate = mebibytes / Median(cp);
    std::printf("%d videos of %zu MiB with thumbnails, %d rounds, medians\n", kVideos, kVideoBytes >> 20, kRounds);
    std::printf("cp + sync:      %6.0f MiB/s\n", cpRate);
    std::printf("window Copy ->: %6.0f MiB/s = %.2f x cp + sync (goal >= 0.9)\n", windowRate, windowRate / cpRate);
    std::printf("longest wait of a 1 ms timer during the copies: %.1f ms (goal <= 20)\n", LongestGapMs);
    return 0;
}
