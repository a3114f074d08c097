#pragma once

// What one pane holds, apart from its widget: ordered rows that each own
// their record and, while it is wanted, their 75 x 60 picture.
//
// A row's picture costs nothing until the row is shown: it is decoded
// from the row's thumbnail file the first time it is asked for, and
// dropped again once it has not been shown for long (more than
// kKeptPictures pictures held), so memory follows the view, not the
// folder. A row without a picture shows the black placeholder.

#include "catalogue/PlayabilityChecker.h"
#include "catalogue/Sorting.h"
#include "catalogue/Thumbnail.h"
#include "catalogue/uClass.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

enum class TPaneSide { Computer = 0, Handheld = 1 };

enum class TPictureState : std::uint8_t {
    NotLoaded,    // to be decoded from the thumbnail file when shown
    Decoded,      // decoded from the file; may be dropped and decoded again
    Given,        // handed over with the row; kept
    Placeholder,  // no thumbnail, or one that does not decode
};

struct TPaneRow {
    std::unique_ptr<TFileInfoEx> Info;
    bool Selected = false;
    // The picture cache of the row, filled and emptied by the pane.
    mutable std::unique_ptr<TThumbnail> Picture;
    mutable TPictureState PictureState = TPictureState::NotLoaded;
    mutable std::uint64_t LastShown = 0;
    // Whether the handheld plays the video; settled off the GUI thread.
    std::shared_ptr<TPlayVerdict> Playability = std::make_shared<TPlayVerdict>();
};

class TPaneModel {
public:
    TPaneModel();

    // The most decoded pictures a pane holds before it drops those of the
    // rows shown longest ago: many screens' worth, 18 MB.
    static constexpr int kKeptPictures = 1000;

    // Removes every row and its picture.
    void ClearPane();

    // Adds a row for `info`, unselected, with `thumbnail`; nullopt: its
    // thumbnail file (when it has one) is decoded when the row is shown. An unsorted pane appends; a sorted pane inserts where a
    // stable sort by `sort` of the pane with the row appended would put
    // it: a binary search when the rows are already in that order, else
    // a stable re-sort of the whole pane first (the other pane changed the
    // shared key, or a record was edited). Returns the new row's position.
    int AddRow(const TFileInfo& info, const std::optional<TThumbnail>& thumbnail, const TSortState& sort);

    // Removes the row at `row` with its picture. std::out_of_range for a
    // bad `row`.
    void RemoveRow(int row);

    // Marks the pane sorted and orders its rows by `sort` (stable).
    // Returns, for each row position after the sort, the position the row
    // had before it.
    std::vector<int> Sort(const TSortState& sort);

    // True when AddRow with `sort` would re-sort the whole pane first.
    bool NeedsReorder(const TSortState& sort) const { return FSorted && FOrderedBy != sort; }
    // Orders the rows of a sorted pane by `sort` (stable), as AddRow would
    // before placing a row; the same permutation as Sort.
    std::vector<int> Reorder(const TSortState& sort);
    // Where AddRow would put a row for `info`, once no re-sort is due.
    int PlaceFor(const TFileInfo& info, const TSortState& sort) const;
    void SetSorted(bool sorted) { FSorted = sorted; }
    bool IsSorted() const { return FSorted; }

    int RowCount() const { return static_cast<int>(FRows.size()); }
    const TPaneRow& Row(int row) const { return *FRows.at(static_cast<std::size_t>(row)); }
    // The record of `row`. A record its scan only listed is described
    // here, the first time it is asked for (a cache: the pane stays as it
    // is to its users).
    const TFileInfo& RecordAt(int row) const;
    // For editing a row's record in place (title, name). The pane stays
    // where it is; a sorted pane re-sorts at its next added row.
    TFileInfo& RecordAt(int row);

    void SetSelected(int row, bool selected);
    int SelectedCount() const;

    // The picture row `row` shows, decoded from its thumbnail file now when
    // it is not in memory; null for the placeholder. Counts as showing the
    // row. (A cache: the pane stays as it is to its users.)
    const TThumbnail* PictureOf(int row) const;
    // The same without decoding: null too while the picture is not loaded.
    // Counts as showing the row too.
    const TThumbnail* LoadedPictureOf(int row) const;
    bool PictureLoaded(int row) const { return Row(row).PictureState != TPictureState::NotLoaded; }
    // Pictures held in memory, given ones included.
    int PictureCount() const { return FPictureCount; }
    const TThumbnail& Placeholder() const { return FPlaceholder; }

    // Drops every picture, the placeholder's use included: rows draw no
    // picture from now on (the window closes).
    void ReleaseImages();
    bool ImagesReleased() const { return FReleased; }

private:
    std::vector<int> StableSort(const TSortState& sort);
    void DropPicture(const TPaneRow& row) const;
    // Drops the decoded pictures of the rows shown longest ago, down to
    // half of kKeptPictures.
    void DropOldPictures() const;

    // Rows by pointer: a row placed or removed in the middle moves
    // pointers, not rows. A deque moves only the pointers on the shorter
    // side, so rows removed one by one from either end (a deletion works
    // from the last selected row up) move none.
    std::deque<std::unique_ptr<TPaneRow>> FRows;
    TThumbnail FPlaceholder = TThumbnail::Placeholder();
    mutable int FPictureCount = 0;
    mutable std::uint64_t FShowClock = 0;
    bool FReleased = false;
    bool FSorted = false;
    // The order the rows are known to be in; nullopt once rows were
    // appended unsorted or a record was edited.
    std::optional<TSortState> FOrderedBy;
};
