#pragma once

// The counters of one batch (a transfer or a deletion) and what the
// status bar shows of them: the percentage done and the line
// "File Name(i/n):name".
//
// A transfer counts bytes (every video's size plus its thumbnail's), a
// deletion counts files. While a video is converted the line reads
// "Converting (i/n):name". The percentage is rounded half to even and kept
// within 0..100 whatever the counters say: a file that grew since it was
// listed, or a batch of nothing, never drives the bar off its scale.

#include <string>

class TBatchProgress {
public:
    // Clears the counters of the previous batch (total and done).
    void Reset();
    // Starts a batch of `count` videos that will report `total` units.
    void Start(double total, int count);
    // The next video of the batch is under way; `converting` when it is
    // converted rather than copied.
    void NextVideo(bool converting = false)
    {
        ++FBatchIndex;
        FConverting = converting;
    }

    // Shows the video `index` of the batch in the status text again (the
    // thumbnail of a video delivered while the next one copied).
    void ShowVideo(int index) { FBatchIndex = index; }

    // Adds `units` done on the file at `path`. True when the status text
    // changed: it is built once per file, not once per 100-byte chunk.
    bool Report(double units, const std::string& path);

    int Percent() const;
    const std::string& StatusText() const { return FStatusText; }

    double BatchTotal() const { return FBatchTotal; }
    double BatchDone() const { return FBatchDone; }
    int BatchCount() const { return FBatchCount; }
    int BatchIndex() const { return FBatchIndex; }

private:
    double FBatchTotal = 0;
    double FBatchDone = 0;
    int FBatchCount = 0;
    int FBatchIndex = 0;
    bool FConverting = false;

    // The percentage last worked out, which holds while the done count
    // stays below FPercentHoldsBelow: asked once per 100-byte chunk, it
    // is worked out again only near the next step of the bar.
    mutable int FPercent = 0;
    mutable double FPercentHoldsBelow = -1;

    // What the status text was built from.
    int FShownIndex = -1;
    std::string FShownPath;
    std::string FStatusText;
};

// round(done * 100 / total), halves to the even neighbour, within 0..100.
// A total that is not positive gives 100 once anything is done, else 0.
int BatchPercent(double done, double total);
