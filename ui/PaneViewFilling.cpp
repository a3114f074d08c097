// What a pane fills in behind its rows once they are there: each row's
// playability verdict, from the worker thread, and each row's picture,
// decoded in short slices as the row comes into view.

#include "ui/PaneView.h"

#include "catalogue/PlayabilityChecker.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace {

TPlayabilityJob JobFor(const TPaneRow& row)
{
    return {row.Info->FileInfo.FullPath, row.Playability};
}

// Jobs for the rows from `from` up to `end` (not included) that were not
// asked about yet, marking them asked.
std::vector<TPlayabilityJob> UnaskedRows(const TPaneModel& pane, int from, int end)
{
    std::vector<TPlayabilityJob> jobs;
    for (int row = std::max(from, 0); row < std::min(end, pane.RowCount()); ++row) {
        if (pane.Row(row).Playability->MarkAsked())
            jobs.push_back(JobFor(pane.Row(row)));
    }
    return jobs;
}

} // namespace

std::pair<int, int> TPaneView::RowsInView() const
{
    const int count = FPane.RowCount();
    if (count == 0)
        return {0, -1};
    const QModelIndex first = indexAt(QPoint(1, 1));
    const QModelIndex last = indexAt(QPoint(1, viewport()->height() - 1));
    return {first.isValid() ? first.row() : 0, last.isValid() ? last.row() : count - 1};
}

void TPaneView::CheckRows()
{
    // No file is touched here: the rows in view go to the worker ahead,
    // the rest follow in pane order, a slice of records a turn, so a pane
    // of many thousand rows never holds an event up.
    const auto [first, last] = RowsInView();
    FChecker->Ask(UnaskedRows(FPane, first, last + 1), true);
    FCheckFrom = 0;
    CheckMoreRows();
}

void TPaneView::CheckMoreRows()
{
    constexpr int kRowsPerTurn = 2000;
    const int end = std::min(FPane.RowCount(), FCheckFrom + kRowsPerTurn);
    FChecker->Ask(UnaskedRows(FPane, FCheckFrom, end), false);
    FCheckFrom = end;
    if (end < FPane.RowCount() && !std::exchange(FMoreChecksQueued, true)) {
        QTimer::singleShot(0, this, [this] {
            FMoreChecksQueued = false;
            CheckMoreRows();
        });
    }
}

void TPaneView::CheckRowsInView()
{
    const auto [first, last] = RowsInView();
    std::vector<TPlayabilityJob> inView;
    for (int row = first; row <= last && row < FPane.RowCount(); ++row) {
        const TPaneRow& paneRow = FPane.Row(row);
        if (!paneRow.Playability->Known())
            inView.push_back(JobFor(paneRow));
    }
    FChecker->Ask(std::move(inView), true);
}

void TPaneView::LoadPicturesNearView()
{
    // A slice stays short even on a slow memory stick: the rest comes in
    // the next one, after the events that waited.
    constexpr qint64 kSliceMs = 8;
    FPicturesQueued = false;
    const auto [first, last] = RowsInView();
    if (last < first)
        return;
    const int screen = last - first + 1;
    const int from = std::max(0, first - screen);
    const int to = std::min(FPane.RowCount() - 1, last + screen);
    QElapsedTimer slice;
    slice.start();
    bool loadedAny = false;
    // The rows in view first, then those a screen above and below.
    for (const auto& [begin, end] : {std::pair{first, last}, std::pair{from, to}}) {
        for (int row = begin; row <= end && row < FPane.RowCount(); ++row) {
            if (FPane.PictureLoaded(row))
                continue;
            if (slice.elapsed() >= kSliceMs) {
                FPicturesQueued = true;
                QTimer::singleShot(0, this, [this] { LoadPicturesNearView(); });
                if (loadedAny)
                    viewport()->update();
                return;
            }
            (void)FPane.PictureOf(row);
            loadedAny = true;
        }
    }
    if (loadedAny)
        viewport()->update();
}

void TPaneView::VerdictSettled()
{
    // Marks come in bursts (a folder of phone videos): one repaint of the
    // rows in view for each burst, a moment after its first mark.
    constexpr int kRepaintDelayMs = 40;
    if (FRepaintPosted.exchange(true))
        return;
    QMetaObject::invokeMethod(this, [this] {
        QTimer::singleShot(kRepaintDelayMs, this, [this] {
            FRepaintPosted = false;
            viewport()->update();
        });
    }, Qt::QueuedConnection);
}
