#pragma once

// What one pane holds, apart from its widget: ordered rows that each own
// their record, and an image list of 75 x 60 pictures whose picture 0 is
// the black placeholder.
//
// Invariant: every row's image index is 0 or the index of the one picture
// added for that row, and no two rows share a picture.

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
};

class TPaneModel {
public:
    TPaneModel();

    // Removes every row and trims the image list back to the placeholder.
    void ClearPane();

    // Adds a row for `info` with `thumbnail` (nullopt: the placeholder).
    // An unsorted pane appends; a sorted pane inserts where a stable sort
    // by `sort` would put the row. Returns the new row's position.
    int AddRow(const TFileInfo& info, std::optional<TThumbnail> thumbnail, const TSortState& sort);

    // Removes the row at `row`, deletes its picture and lowers every
    // greater image index by one.
    void RemoveRow(int row);

    // Marks the pane sorted and orders its rows by `sort` (stable).
    void Sort(const TSortState& sort);
    void SetSorted(bool sorted) { FSorted = sorted; }
    bool IsSorted() const { return FSorted; }

    int RowCount() const { return static_cast<int>(FRows.size()); }
    const TPaneRow& Row(int row) const { return FRows.at(static_cast<std::size_t>(row)); }
    TFileInfo& RecordAt(int row) { return FRows.at(static_cast<std::size_t>(row)).Info->FileInfo; }

    void SetSelected(int row, bool selected);
    int SelectedCount() const;

    int ImageCount() const { return static_cast<int>(FImages.size()); }
    const TThumbnail& Image(int index) const { return FImages.at(static_cast<std::size_t>(index)); }

    // Empties the image list completely, placeholder included (window close).
    void ReleaseImages();

private:
    std::vector<TPaneRow> FRows;
    std::vector<TThumbnail> FImages;
    bool FSorted = false;
};
