// One pane's rows and pictures, and the invariant that ties them.

#include "catalogue/PaneModel.h"

#include <algorithm>
#include <stdexcept>

TPaneModel::TPaneModel()
{
    FImages.push_back(std::make_unique<TThumbnail>(TThumbnail::Placeholder()));
}

void TPaneModel::ClearPane()
{
    FRows.clear();
    if (FImages.size() > 1)
        FImages.resize(1);
    FOrderedBy.reset();
}

void TPaneModel::ReleaseImages()
{
    FImages.clear();
}

int TPaneModel::AddRow(const TFileInfo& info, std::optional<TThumbnail> thumbnail, const TSortState& sort)
{
    TPaneRow row;
    row.Info = std::make_unique<TFileInfoEx>(info);
    if (thumbnail) {
        FImages.push_back(std::make_unique<TThumbnail>(*thumbnail));
        row.ImageIndex = static_cast<int>(FImages.size()) - 1;
    }
    if (FSorted)
        return InsertSorted(std::move(row), sort);
    FRows.push_back(std::move(row));
    if (FRows.size() > 1)
        FOrderedBy.reset();
    return RowCount() - 1;
}

int TPaneModel::InsertSorted(TPaneRow row, const TSortState& sort)
{
    if (FOrderedBy != sort)
        StableSort(sort);
    // After every row that does not sort behind it: where a stable sort of
    // the pane with this row appended at the end would put it.
    const TFileInfo& added = row.Info->FileInfo;
    const auto place = std::upper_bound(FRows.begin(), FRows.end(), added, [&](const TFileInfo& info, const TPaneRow& other) {
        return lvPspCompare(info, other.Info->FileInfo, sort) < 0;
    });
    const auto inserted = FRows.insert(place, std::move(row));
    return static_cast<int>(inserted - FRows.begin());
}

void TPaneModel::RemoveRow(int row)
{
    const std::size_t position = static_cast<std::size_t>(row);
    if (row < 0 || position >= FRows.size())
        throw std::out_of_range("TPaneModel::RemoveRow: no row " + std::to_string(row));
    const int picture = FRows[position].ImageIndex;
    FRows.erase(FRows.begin() + row);
    if (picture == 0)
        return;
    if (static_cast<std::size_t>(picture) < FImages.size())
        FImages.erase(FImages.begin() + picture);
    for (TPaneRow& other : FRows) {
        if (other.ImageIndex > picture)
            --other.ImageIndex;
    }
}

void TPaneModel::Sort(const TSortState& sort)
{
    FSorted = true;
    StableSort(sort);
}

void TPaneModel::StableSort(const TSortState& sort)
{
    std::stable_sort(FRows.begin(), FRows.end(), [&](const TPaneRow& a, const TPaneRow& b) {
        return lvPspCompare(a.Info->FileInfo, b.Info->FileInfo, sort) < 0;
    });
    FOrderedBy = sort;
}

TFileInfo& TPaneModel::RecordAt(int row)
{
    TFileInfo& record = FRows.at(static_cast<std::size_t>(row)).Info->FileInfo;
    FOrderedBy.reset();
    return record;
}

void TPaneModel::SetSelected(int row, bool selected)
{
    FRows.at(static_cast<std::size_t>(row)).Selected = selected;
}

int TPaneModel::SelectedCount() const
{
    return static_cast<int>(std::count_if(FRows.begin(), FRows.end(), [](const TPaneRow& row) { return row.Selected; }));
}
