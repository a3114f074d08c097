// The watcher in a running event loop, over a simulated mount table that
// is replaced by rename like the demo does it.

#include "platform/DriveWatcher.h"
#include "platform/Drives.h"
#include "tests/platform/SimulatedSystem.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <filesystem>

namespace {

class DriveWatcherTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "drive_watcher_test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
    }

    void SetUp() override
    {
        system.AddDisk("sdn", true, "sdn1");
        system.AddDisk("sdp", true, "sdp1");
        system.WriteMountTable(Root);
    }

    void Watch()
    {
        watcher = std::make_unique<DriveWatcher>();
        QObject::connect(watcher.get(), &DriveWatcher::deviceArrived, [this] { events.push_back("arrived"); });
        QObject::connect(watcher.get(), &DriveWatcher::deviceRemoved, [this] { events.push_back("removed"); });
    }

    // Runs the event loop until `count` events came; false when they do not
    // come at all (a generous bound, not a measurement).
    bool WaitForEvents(std::size_t count)
    {
        QDeadlineTimer deadline(10000);
        while (events.size() < count && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return events.size() >= count;
    }

    std::string Handheld(const std::string& name) const { return system.PathOf(name); }
    std::string Mount(int id, const std::string& name, const std::string& device) const
    {
        return SimulatedSystem::MountLine(id, Handheld(name), "vfat", device);
    }

    const std::string Root = SimulatedSystem::MountLine(24, "/", "ext4", "/dev/vda");
    SimulatedSystem system;
    std::unique_ptr<DriveWatcher> watcher;
    std::vector<std::string> events;
};

TEST_F(DriveWatcherTest, PluggingInReportsAnArrival)
{
    Watch();
    system.WriteMountTable(Root + Mount(90, "psp", "/dev/sdn1"));
    ASSERT_TRUE(WaitForEvents(1));
    EXPECT_EQ(events, (std::vector<std::string>{"arrived"}));
}

TEST_F(DriveWatcherTest, UnpluggingReportsARemoval)
{
    system.WriteMountTable(Root + Mount(90, "psp", "/dev/sdn1"));
    Watch();
    system.WriteMountTable(Root);
    ASSERT_TRUE(WaitForEvents(1));
    EXPECT_EQ(events, (std::vector<std::string>{"removed"}));
}

TEST_F(DriveWatcherTest, SwappingHandheldsInOneChangeReportsRemovalThenArrival)
{
    system.WriteMountTable(Root + Mount(90, "psp", "/dev/sdn1"));
    Watch();
    system.WriteMountTable(Root + Mount(91, "other", "/dev/sdp1"));
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_EQ(events, (std::vector<std::string>{"removed", "arrived"}));
}

// Every replacement of the file must be seen, not only the first one: a
// watch on a file replaced by rename follows the old file away.
TEST_F(DriveWatcherTest, KeepsReportingAfterTheTableWasReplacedSeveralTimes)
{
    Watch();
    for (int round = 0; round < 3; ++round) {
        system.WriteMountTable(Root + Mount(90, "psp", "/dev/sdn1"));
        ASSERT_TRUE(WaitForEvents(events.size() + 1)) << "round " << round;
        system.WriteMountTable(Root);
        ASSERT_TRUE(WaitForEvents(events.size() + 1)) << "round " << round;
    }
    EXPECT_EQ(events, (std::vector<std::string>{"arrived", "removed", "arrived", "removed", "arrived", "removed"}));
}

// A mount in the session's own tree, a pseudo file system or a remount
// is no drive arriving or leaving. Checked by direct rescans, so that no
// notification still on its way can hide a report.
TEST_F(DriveWatcherTest, ChangesOutsideTheDriveListReportNothing)
{
    system.WriteMountTable(Root + Mount(90, "psp", "/dev/sdn1"));
    Watch();
    system.WriteMountTable(Root + Mount(90, "psp", "/dev/sdn1")
                           + SimulatedSystem::MountLine(50, "/run/user/1000/doc", "fuse.portal", "portal"));
    watcher->rescan();
    system.WriteMountTable(Root + Mount(90, "psp", "/dev/sdn1")
                           + SimulatedSystem::MountLine(51, "/mnt/trace", "tracefs", "tracefs"));
    watcher->rescan();
    system.WriteMountTable(Root + SimulatedSystem::MountLine(92, Handheld("psp"), "vfat", "/dev/sdn1"));
    watcher->rescan();
    EXPECT_TRUE(events.empty());
}

TEST_F(DriveWatcherTest, RescanReportsAChangeAtOnce)
{
    Watch();
    system.WriteMountTable(Root + Mount(90, "psp", "/dev/sdn1"));
    watcher->rescan();
    EXPECT_EQ(events, (std::vector<std::string>{"arrived"}));
    watcher->rescan();
    EXPECT_EQ(events, (std::vector<std::string>{"arrived"}));
}

TEST_F(DriveWatcherTest, TableThatAppearsLaterIsWatched)
{
    std::filesystem::remove(system.MountTablePath());
    Watch();
    system.WriteMountTable(Root + Mount(90, "psp", "/dev/sdn1"));
    ASSERT_TRUE(WaitForEvents(1));
    system.WriteMountTable(Root);
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_EQ(events, (std::vector<std::string>{"arrived", "removed"}));
}

} // namespace
