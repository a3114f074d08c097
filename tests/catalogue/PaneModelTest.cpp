// The pane model: rows owning their records, their pictures decoded when
// shown and dropped when long unseen, selection, and the order of a sorted
// pane.

#include "catalogue/PaneModel.h"

#include "tests/common/MakeMedia.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <set>
#include <stdexcept>
#include <utility>

namespace {

// A picture that carries `id` in its first pixel, so a row can be checked
// to point at its own thumbnail.
TThumbnail picture(std::uint32_t id)
{
    TThumbnail thumbnail;
    thumbnail.Pixels.fill(0xFF808080);
    thumbnail.Pixels[0] = 0xFF000000 | id;
    return thumbnail;
}

TFileInfo video(const std::string& name, std::string title = "", double size = 0)
{
    TFileInfo info;
    info.FileName = name;
    info.Title = std::move(title);
    info.Size = size;
    return info;
}

// Rows with a picture carry its id in their Size field (set by the
// tests below); rows without one carry 0.
void expectInvariant(const TPaneModel& pane)
{
    int pictures = 0;
    for (int row = 0; row < pane.RowCount(); ++row) {
        const auto id = static_cast<std::uint32_t>(pane.Row(row).Info->FileInfo.Size);
        const TThumbnail* shown = pane.PictureOf(row);
        if (id == 0) {
            EXPECT_EQ(shown, nullptr) << "row " << row << " shows a picture not its own";
            continue;
        }
        ++pictures;
        ASSERT_NE(shown, nullptr) << "row " << row << " lost its picture";
        EXPECT_EQ(shown->Pixels[0], 0xFF000000 | id) << "row " << row << " shows another picture";
    }
    EXPECT_EQ(pane.PictureCount(), pictures) << "a picture belongs to no row";
}

std::vector<std::string> names(const TPaneModel& pane)
{
    std::vector<std::string> result;
    for (int row = 0; row < pane.RowCount(); ++row)
        result.push_back(pane.Row(row).Info->FileInfo.FileName);
    return result;
}

const TSortState unsortedState{};

} // namespace

TEST(PaneModel, StartsEmptyWithABlackPlaceholder)
{
    TPaneModel pane;
    EXPECT_EQ(pane.RowCount(), 0);
    EXPECT_EQ(pane.PictureCount(), 0);
    for (const std::uint32_t pixel : pane.Placeholder().Pixels)
        ASSERT_EQ(pixel, 0xFF000000u);
    EXPECT_FALSE(pane.IsSorted());
}

TEST(PaneModel, UnsortedPaneAppendsInAddedOrderWithOwnPictures)
{
    TPaneModel pane;
    EXPECT_EQ(pane.AddRow(video("c.mp4", "", 1), picture(1), unsortedState), 0);
    EXPECT_EQ(pane.AddRow(video("a.mp4"), std::nullopt, unsortedState), 1);
    EXPECT_EQ(pane.AddRow(video("b.mp4", "", 2), picture(2), unsortedState), 2);

    EXPECT_EQ(names(pane), (std::vector<std::string>{"c.mp4", "a.mp4", "b.mp4"}));
    EXPECT_FALSE(pane.Row(2).Selected);
    expectInvariant(pane);
}

TEST(PaneModel, ARemovedRowTakesItsPictureAndLeavesTheOthersTheirs)
{
    TPaneModel pane;
    pane.AddRow(video("a", "", 1), picture(1), unsortedState);
    pane.AddRow(video("b"), std::nullopt, unsortedState);
    pane.AddRow(video("c", "", 2), picture(2), unsortedState);
    pane.AddRow(video("d", "", 3), picture(3), unsortedState);

    pane.RemoveRow(0);
    EXPECT_EQ(names(pane), (std::vector<std::string>{"b", "c", "d"}));
    EXPECT_EQ(pane.PictureCount(), 2);
    expectInvariant(pane);

    pane.RemoveRow(0);  // a row without picture
    EXPECT_EQ(pane.PictureCount(), 2);
    expectInvariant(pane);
}

TEST(PaneModel, RemovingAMissingRowThrows)
{
    TPaneModel pane;
    pane.AddRow(video("a"), std::nullopt, unsortedState);
    EXPECT_THROW(pane.RemoveRow(1), std::out_of_range);
    EXPECT_THROW(pane.RemoveRow(-1), std::out_of_range);
    EXPECT_EQ(pane.RowCount(), 1);
}

TEST(PaneModel, ClearingDropsEveryPictureSoReloadsDoNotGrow)
{
    TPaneModel pane;
    for (int load = 0; load < 2; ++load) {
        pane.ClearPane();
        pane.AddRow(video("a", "", 1), picture(1), unsortedState);
        pane.AddRow(video("b"), std::nullopt, unsortedState);
        pane.AddRow(video("c", "", 2), picture(2), unsortedState);
    }
    EXPECT_EQ(pane.RowCount(), 3);
    EXPECT_EQ(pane.PictureCount(), 2);
    expectInvariant(pane);

    pane.ClearPane();
    EXPECT_EQ(pane.RowCount(), 0);
    EXPECT_EQ(pane.PictureCount(), 0);
}

TEST(PaneModel, ReleasingImagesLeavesRowsWithoutAnyPicture)
{
    TPaneModel pane;
    pane.AddRow(video("a", "", 1), picture(1), unsortedState);
    pane.ReleaseImages();
    EXPECT_EQ(pane.PictureCount(), 0);
    EXPECT_TRUE(pane.ImagesReleased());
    EXPECT_EQ(pane.PictureOf(0), nullptr);
}

TEST(PaneModel, SelectionBelongsToTheRowAndFollowsItThroughASort)
{
    TPaneModel pane;
    pane.AddRow(video("b.mp4"), std::nullopt, unsortedState);
    pane.AddRow(video("a.mp4"), std::nullopt, unsortedState);
    pane.SetSelected(0, true);
    EXPECT_EQ(pane.SelectedCount(), 1);

    pane.Sort(TSortState{TSortKey::skFileName, false});

    EXPECT_TRUE(pane.IsSorted());
    EXPECT_EQ(names(pane), (std::vector<std::string>{"a.mp4", "b.mp4"}));
    EXPECT_FALSE(pane.Row(0).Selected);
    EXPECT_TRUE(pane.Row(1).Selected);
}

TEST(PaneModel, SortedPaneInsertsAfterEqualRowsAsAStableSortWould)
{
    TPaneModel pane;
    const TSortState bySize{TSortKey::skSize, true};
    pane.Sort(bySize);
    pane.AddRow(video("first", "", 10), std::nullopt, bySize);
    pane.AddRow(video("large", "", 50), std::nullopt, bySize);
    pane.AddRow(video("second", "", 10), std::nullopt, bySize);
    EXPECT_EQ(pane.AddRow(video("small", "", 1), std::nullopt, bySize), 3);

    EXPECT_EQ(names(pane), (std::vector<std::string>{"large", "first", "second", "small"}));
}

TEST(PaneModel, NoSortKeepsTheOrderOnScreenAndAppendsFromThenOn)
{
    TPaneModel pane;
    pane.Sort(TSortState{TSortKey::skFileName, false});
    pane.AddRow(video("b"), std::nullopt, TSortState{TSortKey::skFileName, false});
    pane.AddRow(video("a"), std::nullopt, TSortState{TSortKey::skFileName, false});
    pane.SetSorted(false);
    pane.AddRow(video("0"), std::nullopt, TSortState{});

    EXPECT_EQ(names(pane), (std::vector<std::string>{"a", "b", "0"}));
}

TEST(PaneModel, SortedPaneFollowsAKeyTheOtherPaneChose)
{
    TPaneModel pane;
    const TSortState byTitle{TSortKey::skTitle, false};
    pane.Sort(byTitle);
    pane.AddRow(video("x", "b", 3), std::nullopt, byTitle);
    pane.AddRow(video("y", "a", 1), std::nullopt, byTitle);
    pane.AddRow(video("z", "c", 2), std::nullopt, byTitle);
    ASSERT_EQ(names(pane), (std::vector<std::string>{"y", "x", "z"}));

    // The other pane sorted by size, descending: the next added row
    // re-sorts this pane by that key, as a whole re-sort would.
    const TSortState bySizeDown{TSortKey::skSize, true};
    pane.AddRow(video("w", "d", 2.5), std::nullopt, bySizeDown);

    EXPECT_EQ(names(pane), (std::vector<std::string>{"x", "w", "z", "y"}));
}

TEST(PaneModel, EditedRecordIsReorderedAtTheNextAddedRow)
{
    TPaneModel pane;
    const TSortState byTitle{TSortKey::skTitle, false};
    pane.Sort(byTitle);
    pane.AddRow(video("x", "a"), std::nullopt, byTitle);
    pane.AddRow(video("y", "b"), std::nullopt, byTitle);
    pane.RecordAt(0).Title = "c";  // a title edit does not move the row now
    ASSERT_EQ(names(pane), (std::vector<std::string>{"x", "y"}));

    pane.AddRow(video("z", "bb"), std::nullopt, byTitle);

    EXPECT_EQ(names(pane), (std::vector<std::string>{"y", "z", "x"}));
}

// Mixed adds, removes, key changes and sorts against a reference that
// re-sorts the whole pane (stably) after every added row.
TEST(PaneModel, MixedAddsAndRemovesKeepTheInvariantAndTheFullSortOrder)
{
    std::mt19937 random(20061231);
    TPaneModel pane;
    std::vector<TFileInfo> reference;
    bool sorted = false;
    TSortState state;
    std::uint32_t nextPicture = 1;
    int nextName = 0;

    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto resortReference = [&] {
        std::stable_sort(reference.begin(), reference.end(),
                         [&](const TFileInfo& a, const TFileInfo& b) { return lvPspCompare(a, b, state) < 0; });
    };

    for (int step = 0; step < 3000; ++step) {
        const int action = pick(10);
        if (action < 5 || reference.empty()) {
            const bool withPicture = pick(3) != 0;
            TFileInfo info = video("v" + std::to_string(nextName++), std::string(1, static_cast<char>('a' + pick(4))));
            info.WriteTime = "2006/01/0" + std::to_string(1 + pick(3));
            info.Size = withPicture ? nextPicture : 0;
            std::optional<TThumbnail> thumbnail;
            if (withPicture)
                thumbnail = picture(nextPicture++);
            pane.AddRow(info, std::move(thumbnail), state);
            reference.push_back(info);
            if (sorted)
                resortReference();
        } else if (action < 8) {
            const int row = pick(static_cast<int>(reference.size()));
            pane.RemoveRow(row);
            reference.erase(reference.begin() + row);
        } else if (action == 8) {
            // The shared key changes (either pane's sort command).
            state = TSortState{static_cast<TSortKey>(pick(5)), pick(2) == 1};
            if (pick(2) == 0) {
                sorted = true;
                pane.Sort(state);
                resortReference();
            }
        } else {
            sorted = pick(2) == 0;
            pane.SetSorted(sorted);
        }

        ASSERT_EQ(pane.RowCount(), static_cast<int>(reference.size()));
        for (int row = 0; row < pane.RowCount(); ++row)
            ASSERT_EQ(pane.Row(row).Info->FileInfo.FileName, reference[static_cast<std::size_t>(row)].FileName)
                << "step " << step << " row " << row;
        ASSERT_NO_FATAL_FAILURE(expectInvariant(pane)) << "step " << step;
        if (pane.RowCount() > 40) {
            pane.ClearPane();
            reference.clear();
        }
    }
}

namespace {

// A row whose picture comes from the thumbnail file at `path`.
TFileInfo videoWithThumbnail(const std::string& name, const std::string& path)
{
    TFileInfo info = video(name);
    info.ThumbPath = path;
    info.NoThumb = false;
    return info;
}

} // namespace

TEST(PaneModelPictures, AreDecodedWhenFirstShownAndDroppedWhenLongUnseen)
{
    const TempFolder folder;
    const std::string thumbnail = folder / "red.THM";
    MakePicture(thumbnail, "color=c=red");
    TPaneModel pane;
    const int rows = TPaneModel::kKeptPictures * 3;
    for (int row = 0; row < rows; ++row)
        pane.AddRow(videoWithThumbnail("v" + std::to_string(row), thumbnail), std::nullopt, unsortedState);
    pane.AddRow(videoWithThumbnail("missing", folder / "missing.THM"), std::nullopt, unsortedState);
    pane.AddRow(video("none"), std::nullopt, unsortedState);

    // Nothing is decoded by adding rows.
    EXPECT_EQ(pane.PictureCount(), 0);
    EXPECT_FALSE(pane.PictureLoaded(0));
    EXPECT_EQ(pane.LoadedPictureOf(0), nullptr);

    const TThumbnail* first = pane.PictureOf(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Pixels[TThumbnail::Width * 30 + 37] & 0xFFF00000u, 0xFFF00000u);  // red
    EXPECT_TRUE(pane.PictureLoaded(0));
    EXPECT_EQ(pane.PictureOf(rows), nullptr);      // a missing file: the placeholder
    EXPECT_TRUE(pane.PictureLoaded(rows));
    EXPECT_TRUE(pane.PictureLoaded(rows + 1));     // no thumbnail at all

    // Scrolling through every row keeps the memory bounded; the rows seen
    // last keep their pictures, the first ones are decoded again.
    for (int row = 0; row < rows; ++row)
        ASSERT_NE(pane.PictureOf(row), nullptr) << row;
    EXPECT_LE(pane.PictureCount(), TPaneModel::kKeptPictures);
    EXPECT_TRUE(pane.PictureLoaded(rows - 1));
    EXPECT_FALSE(pane.PictureLoaded(0));
    EXPECT_NE(pane.PictureOf(0), nullptr);
}

TEST(PaneModelListedRows, ReadTheirFilesOnlyWhenTheirFactsAreWanted)
{
    // Files of different sizes, listed by a scan that reads none of them.
    const TempFolder folder;
    const std::string thumbnail = folder / "b.thm";
    MakePicture(thumbnail, "color=c=red");
    for (const auto& [name, bytes] : {std::pair{"c.mp4", 30}, std::pair{"a.mp4", 10}, std::pair{"b.mp4", 20}}) {
        std::FILE* file = std::fopen((folder / name).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(std::string(static_cast<std::size_t>(bytes), 'x').data(), 1, static_cast<std::size_t>(bytes), file);
        std::fclose(file);
    }
    TListFiles scanner;
    scanner.DescribeLater = true;
    TPaneModel pane;
    scanner.OnFile = [&](const TFileInfo& info) { pane.AddRow(info, std::nullopt, unsortedState); };
    int highest = 0;
    ASSERT_EQ(scanner.ScanFolder(folder.Path(), highest, false), 3);
    const auto listedRows = [&] {
        int listed = 0;
        for (int row = 0; row < pane.RowCount(); ++row)
            listed += pane.Row(row).Info->FileInfo.Listing != nullptr ? 1 : 0;
        return listed;
    };
    EXPECT_EQ(listedRows(), 3);
    EXPECT_FALSE(pane.PictureLoaded(0)) << "a listed row's thumbnail is not known to be missing yet";

    // By name: the names are there already.
    pane.Sort(TSortState{TSortKey::skFileName, false});
    EXPECT_EQ(names(pane), (std::vector<std::string>{"a.mp4", "b.mp4", "c.mp4"}));
    EXPECT_EQ(listedRows(), 3);

    // The picture of a row comes from the thumbnail its description finds.
    ASSERT_NE(pane.PictureOf(1), nullptr);
    EXPECT_EQ(pane.PictureOf(0), nullptr);
    EXPECT_EQ(listedRows(), 1);

    // By size, descending: every row is read.
    pane.Sort(TSortState{TSortKey::skSize, true});
    EXPECT_EQ(names(pane), (std::vector<std::string>{"c.mp4", "b.mp4", "a.mp4"}));
    EXPECT_EQ(listedRows(), 0);
    EXPECT_EQ(pane.RecordAt(0).Size, 30.0);
    EXPECT_EQ(pane.RecordAt(1).ThumbPath, thumbnail);
}
