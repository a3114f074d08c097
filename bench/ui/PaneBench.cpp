// A pane of thousands of rows, shown offscreen: rows added to an unsorted
// and to a sorted pane, and every row removed one at a time as a deletion
// removes them. Run by hand:
//
//   QT_QPA_PLATFORM=offscreen build/bench/pane_bench

#include "catalogue/HandheldFolder.h"
#include "catalogue/Sorting.h"
#include "ui/PaneView.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <string>

namespace {

// Names in a scattered order, so that a sorted pane places every row
// somewhere in the middle.
TFileInfo Record(int n, int count)
{
    const int scattered = static_cast<int>((static_cast<long long>(n) * 7919) % count);
    TFileInfo info;
    info.HasTitle = true;
    info.Title = "Video " + std::to_string(scattered);
    info.FileName = THandheldFolder::VideoName(scattered + 1);
    info.Size = 1000.0 + scattered;
    info.WriteTime = "2026/12/10,12:00:00";
    return info;
}

double AddRows(int count, bool sorted)
{
    TPaneView pane;
    pane.resize(272, 437);
    pane.show();
    const TSortState byName{TSortKey::skFileName, false};
    if (sorted)
        pane.Sort(byName);
    // As the window adds them: the picture is decoded when a row is shown.
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; n < count; ++n)
        pane.AddRow(Record(n, count), std::nullopt, byName);
    QApplication::processEvents();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double RemoveEveryRow(int count)
{
    TPaneView pane;
    pane.resize(272, 437);
    pane.show();
    for (int n = 0; n < count; ++n)
        pane.AddRow(Record(n, count), std::nullopt, TSortState{});
    QApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    while (pane.Pane().RowCount() > 0)
        pane.RemoveRow(0);
    QApplication::processEvents();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    for (const int count : {10000, 20000}) {
        const double unsorted = AddRows(count, false);
        const double sorted = AddRows(count, true);
        std::printf("adding %5d rows: sorted %8.1f ms, unsorted %8.1f ms (%.1f x)\n", count, sorted, unsorted,
                    sorted / unsorted);
    }
    const double few = RemoveEveryRow(2500);
    const double many = RemoveEveryRow(10000);
    std::printf("removing every row: 10000 rows %.1f ms, 2500 rows %.1f ms (%.1f x; linear is 4 x)\n", many, few,
                many / few);
    return 0;
}
