// One pane's rows and pictures, and the invariant that ties them.

#include "catalogue/PaneModel.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace {

// The record of `row`, described now when its scan only listed it.
TFileInfo& Described(const TPaneRow& row)
{
    TFileInfo& record = row.Info->FileInfo;
    DescribeListed(record);
    return record;
}

// The record as ordering by `sort` needs it.
const TFileInfo& SortFacts(const TPaneRow& row, const TSortState& sort)
{
    return SortReadsFacts(sort) ? Described(row) : row.Info->FileInfo;
}

} // namespace

TPaneModel::TPaneModel() = default;

void TPaneModel::ClearPane()
{
    FRows.clear();
    FPictureCount = 0;
    FOrderedBy.reset();
}

void TPaneModel::ReleaseImages()
{
    for (const auto& row : FRows)
        DropPicture(*row);
    FReleased = true;
}

int TPaneModel::AddRow(const TFileInfo& info, const std::optional<TThumbnail>& thumbnail, const TSortState& sort)
{
    auto row = std::make_unique<TPaneRow>();
    row->Info = std::make_unique<TFileInfoEx>(info);
    if (thumbnail) {
        row->Picture = std::make_unique<TThumbnail>(*thumbnail);
        row->PictureState = TPictureState::Given;
        ++FPictureCount;
    } else if (!info.Listing && (info.NoThumb || info.ThumbPath.empty())) {
        row->PictureState = TPictureState::Placeholder;
    }
    if (!FSorted) {
        FRows.push_back(std::move(row));
        if (FRows.size() > 1)
            FOrderedBy.reset();
        return RowCount() - 1;
    }
    if (NeedsReorder(sort))
        StableSort(sort);
    const int place = PlaceFor(SortFacts(*row, sort), sort);
    FRows.insert(FRows.begin() + place, std::move(row));
    return place;
}

const TThumbnail* TPaneModel::PictureOf(int row) const
{
    const TPaneRow& shown = Row(row);
    if (FReleased)
        return nullptr;
    shown.LastShown = ++FShowClock;
    if (shown.PictureState == TPictureState::NotLoaded) {
        // A thumbnail that is missing or cannot be decoded leaves the row
        // the placeholder.
        if (std::optional<TThumbnail> decoded = DecodeThumbnail(Described(shown).ThumbPath)) {
            shown.Picture = std::make_unique<TThumbnail>(*decoded);
            shown.PictureState = TPictureState::Decoded;
            if (++FPictureCount > kKeptPictures)
                DropOldPictures();
        } else {
            shown.PictureState = TPictureState::Placeholder;
        }
    }
    return shown.Picture.get();
}

const TThumbnail* TPaneModel::LoadedPictureOf(int row) const
{
    const TPaneRow& shown = Row(row);
    shown.LastShown = ++FShowClock;
    return FReleased ? nullptr : shown.Picture.get();
}

void TPaneModel::DropPicture(const TPaneRow& row) const
{
    if (row.Picture)
        --FPictureCount;
    row.Picture.reset();
    if (row.PictureState == TPictureState::Decoded || row.PictureState == TPictureState::Given)
        row.PictureState = TPictureState::NotLoaded;
}

void TPaneModel::DropOldPictures() const
{
    std::vector<const TPaneRow*> decoded;
    for (const auto& row : FRows) {
        if (row->PictureState == TPictureState::Decoded)
            decoded.push_back(row.get());
    }
    const std::size_t keep = kKeptPictures / 2;
    if (decoded.size() <= keep)
        return;
    const auto cut = decoded.end() - static_cast<std::ptrdiff_t>(keep);
    std::nth_element(decoded.begin(), cut, decoded.end(),
                     [](const TPaneRow* a, const TPaneRow* b) { return a->LastShown < b->LastShown; });
    for (auto old = decoded.begin(); old != cut; ++old)
        DropPicture(**old);
}

int TPaneModel::PlaceFor(const TFileInfo& info, const TSortState& sort) const
{
    if (!FSorted)
        return RowCount();
    // After every row that does not sort behind it: where a stable sort of
    // the pane with this row appended at the end would put it.
    const auto place = std::upper_bound(FRows.begin(), FRows.end(), info, [&](const TFileInfo& added, const std::unique_ptr<TPaneRow>& other) {
        return lvPspCompare(added, SortFacts(*other, sort), sort) < 0;
    });
    return static_cast<int>(place - FRows.begin());
}

void TPaneModel::RemoveRow(int row)
{
    const std::size_t position = static_cast<std::size_t>(row);
    if (row < 0 || position >= FRows.size())
        throw std::out_of_range("TPaneModel::RemoveRow: no row " + std::to_string(row));
    if (FRows[position]->Picture)
        --FPictureCount;
    FRows.erase(FRows.begin() + row);
}

std::vector<int> TPaneModel::Sort(const TSortState& sort)
{
    FSorted = true;
    return StableSort(sort);
}

std::vector<int> TPaneModel::Reorder(const TSortState& sort)
{
    return StableSort(sort);
}

std::vector<int> TPaneModel::StableSort(const TSortState& sort)
{
    // Sorts the positions, then moves each row once: the permutation is
    // what the view needs to keep its selection and current row.
    std::vector<int> previous(FRows.size());
    std::iota(previous.begin(), previous.end(), 0);
    std::stable_sort(previous.begin(), previous.end(), [&](int a, int b) {
        return lvPspCompare(SortFacts(*FRows[static_cast<std::size_t>(a)], sort),
                            SortFacts(*FRows[static_cast<std::size_t>(b)], sort), sort) < 0;
    });
    std::deque<std::unique_ptr<TPaneRow>> sorted;
    for (const int from : previous)
        sorted.push_back(std::move(FRows[static_cast<std::size_t>(from)]));
    FRows = std::move(sorted);
    FOrderedBy = sort;
    return previous;
}

const TFileInfo& TPaneModel::RecordAt(int row) const
{
    return Described(*FRows.at(static_cast<std::size_t>(row)));
}

TFileInfo& TPaneModel::RecordAt(int row)
{
    TFileInfo& record = Described(*FRows.at(static_cast<std::size_t>(row)));
    FOrderedBy.reset();
    return record;
}

void TPaneModel::SetSelected(int row, bool selected)
{
    FRows.at(static_cast<std::size_t>(row))->Selected = selected;
}

int TPaneModel::SelectedCount() const
{
    return static_cast<int>(std::count_if(FRows.begin(), FRows.end(), [](const auto& row) { return row->Selected; }));
}
