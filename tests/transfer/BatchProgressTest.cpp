// The batch's percentage and status line.

#include "transfer/BatchProgress.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(BatchPercent, RoundsHalvesToEvenAndStaysWithinTheScale)
{
    EXPECT_EQ(BatchPercent(1, 3), 33);
    EXPECT_EQ(BatchPercent(2, 3), 67);
    EXPECT_EQ(BatchPercent(1, 8), 12);   // 12.5
    EXPECT_EQ(BatchPercent(3, 8), 38);   // 37.5
    EXPECT_EQ(BatchPercent(5, 200), 2);  // 2.5
    EXPECT_EQ(BatchPercent(150, 100), 100);
    EXPECT_EQ(BatchPercent(-5, 100), 0);
    EXPECT_EQ(BatchPercent(0, 0), 0);
    EXPECT_EQ(BatchPercent(10, 0), 100);
}

TEST(BatchProgress, StatusNamesTheFileOnceAndCountsFromOneEachBatch)
{
    TBatchProgress progress;
    progress.Start(300, 3);
    progress.NextVideo();

    EXPECT_TRUE(progress.Report(100, "/home/me/holiday.mp4"));
    EXPECT_EQ(progress.StatusText(), "File Name(1/3):holiday.mp4");
    EXPECT_FALSE(progress.Report(50, "/home/me/holiday.mp4"));
    EXPECT_EQ(progress.Percent(), 50);
    EXPECT_TRUE(progress.Report(0, "/psp/MP_ROOT/100MNV01/M4V00012.THM"));
    EXPECT_EQ(progress.StatusText(), "File Name(1/3):M4V00012.THM");

    progress.NextVideo();
    EXPECT_TRUE(progress.Report(150, "/home/me/holiday.mp4"));
    EXPECT_EQ(progress.StatusText(), "File Name(2/3):holiday.mp4");
    EXPECT_EQ(progress.Percent(), 100);

    progress.Start(2, 2);
    progress.NextVideo();
    progress.Report(1, "M4V00001.MP4");
    EXPECT_EQ(progress.StatusText(), "File Name(1/2):M4V00001.MP4");
    EXPECT_EQ(progress.Percent(), 50);
}

TEST(BatchProgress, PercentAskedAfterEveryChunkIsAlwaysTheRoundedShare)
{
    // Totals whose steps fall on exact halves, and uneven chunks; batches
    // one after another, the second smaller than the first.
    for (const double total : {200.0, 801.0, 4096.0, 1e9 + 7}) {
        TBatchProgress progress;
        for (const double chunk : {1.0, 3.0, 100.0, 7777.0}) {
            progress.Start(total, 1);
            progress.NextVideo();
            for (double done = 0; done < total * 1.1;) {
                const double step = std::min(chunk, total * 1.1 - done);
                (void)progress.Report(step, "video.mp4");
                done += step;
                ASSERT_EQ(progress.Percent(), BatchPercent(progress.BatchDone(), total))
                    << "total " << total << ", chunk " << chunk << ", done " << done;
                if (total > 1e6 && done > 1e6)
                    break;  // the first steps of a large one are enough
            }
        }
        progress.Reset();
        EXPECT_EQ(progress.Percent(), 0);
    }
}
