#pragma once

// What one pane holds, apart from its widget: ordered rows that each own
// their record, and an image list of 75 x 60 pictures whose picture 0 is
// the black placeholder.
//
// Invariant: every row's image index is 0 or the index of the one picture
// added for that row, and no two rows share a picture.

#include "catalogue/PlayabilityChecker.h"
#include "catalogue/Sorting.h"
#include "catalogue/Thumbnail.h"
#include "catalogue/uClass.h"

#include <memory>
#include <optional>
#include <vector>

enum class TPaneSide { Computer = 0, Handheld = 1 };

struct TPaneRow {
    std::unique_ptr<TFileInfoEx> Info;
    int ImageIndex = 0;
    bool Selected = false;
    // Whether the handheld plays the video; settled off the GUI thread.
    std::shared_ptr<TPlayVerdict> Playability = std::make_shared<TPlayVerdict>();
};

class TPaneModel {
public:
    TPaneModel();

    // Removes every row and trims the image list back to the placeholder.
    void ClearPane();

    // Adds a row for `info` with `thumbnail` (nullopt: the placeholder),
    // unselected. An unsorted pane appends; a sorted pane inserts where a
    // stable sort by `sort` of the pane with the row appended would put
    // it: a binary search when the rows are already in that order, else
    // a stable re-sort of the whole pane first (the other pane changed the
    // shared key, or a record was edited). Returns the new row's position.
    int AddRow(const TFileInfo& info, std::optional<TThumbnail> thumbnail, const TSortState& sort);

    // Removes the row at `row`, deletes its picture and lowers every
    // greater image index by one. std::out_of_range for a bad `row`.
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
    const TPaneRow& Row(int row) const { return FRows.at(static_cast<std::size_t>(row)); }
    const TFileInfo& RecordAt(int row) const { return FRows.at(static_cast<std::size_t>(row)).Info->FileInfo; }
    // For editing a row's record in place (title, name). The pane stays
    // where it is; a sorted pane re-sorts at its next added row.
    TFileInfo& RecordAt(int row);

    void SetSelected(int row, bool selected);
    int SelectedCount() const;

    int ImageCount() const { return static_cast<int>(FImages.size()); }
    const TThumbnail& Image(int index) const { return *FImages.at(static_cast<std::size_t>(index)); }

    // Empties the image list completely, placeholder included (window close).
    void ReleaseImages();

private:
    std::vector<int> StableSort(const TSortState& sort);

    std::vector<TPaneRow> FRows;
    // Pictures are 18 KB each; held by pointer so removing one in the
    // middle moves pointers, not pictures.
    std::vector<std::unique_ptr<TThumbnail>> FImages;
    bool FSorted = false;
    // The order the rows are known to be in; nullopt once rows were
    // appended unsorted or a record was edited.
    std::optional<TSortState> FOrderedBy;
};
