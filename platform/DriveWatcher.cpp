// Follows the mount table: the kernel's signals a change with POLLPRI on
// an open descriptor (a socket notifier of type Exception); a simulated
// table is a plain file, watched together with its folder because tests
// and the demo replace it by rename.

#include "platform/DriveWatcher.h"
#include "platform/Drives.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>

#include <algorithm>
#include <cstdlib>

namespace {

struct Descriptor {
    int Fd = -1;
    explicit Descriptor(int fd) : Fd(fd) {}
    ~Descriptor()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

bool IsSimulated()
{
    const char* seam = std::getenv("VANTREL_MOUNTINFO");
    return seam && *seam;
}

std::vector<std::string> DriveMountPoints()
{
    std::vector<std::string> points;
    for (DriveInfo& drive : ListDrives())
        points.push_back(std::move(drive.mountPoint));
    std::sort(points.begin(), points.end());
    return points;
}

// True when `a` holds a mount point that `b` lacks; both sorted.
bool HasOneMore(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    return !std::includes(b.begin(), b.end(), a.begin(), a.end());
}

} // namespace

struct DriveWatcher::Impl {
    std::vector<std::string> known;  // sorted mount points of the last read
    QString tablePath;
    // Declared before their notifier, so the notifier goes first.
    std::unique_ptr<Descriptor> kernelTable;
    std::unique_ptr<QSocketNotifier> kernelNotifier;
    std::unique_ptr<QFileSystemWatcher> fileWatcher;
};

DriveWatcher::DriveWatcher(QObject* parent) : QObject(parent), d(std::make_unique<Impl>())
{
    d->tablePath = QString::fromStdString(MountTablePath());
    d->known = DriveMountPoints();
    if (IsSimulated()) {
        d->fileWatcher = std::make_unique<QFileSystemWatcher>();
        d->fileWatcher->addPath(QFileInfo(d->tablePath).absolutePath());
        if (QFileInfo::exists(d->tablePath))
            d->fileWatcher->addPath(d->tablePath);
        connect(d->fileWatcher.get(), &QFileSystemWatcher::fileChanged, this, &DriveWatcher::rescan);
        connect(d->fileWatcher.get(), &QFileSystemWatcher::directoryChanged, this, &DriveWatcher::rescan);
        return;
    }
    const int fd = ::open(d->tablePath.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    d->kernelTable = std::make_unique<Descriptor>(fd);
    d->kernelNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Exception);
    connect(d->kernelNotifier.get(), &QSocketNotifier::activated, this, &DriveWatcher::rescan);
}

DriveWatcher::~DriveWatcher() = default;

void DriveWatcher::rescan()
{
    // A file replaced by rename is no longer watched under its name.
    if (d->fileWatcher && !d->fileWatcher->files().contains(d->tablePath) && QFileInfo::exists(d->tablePath))
        d->fileWatcher->addPath(d->tablePath);

    std::vector<std::string> now = DriveMountPoints();
    const bool arrived = HasOneMore(now, d->known);
    const bool removed = HasOneMore(d->known, now);
    d->known = std::move(now);
    if (removed)
        emit deviceRemoved();
    if (arrived)
        emit deviceArrived();
}
