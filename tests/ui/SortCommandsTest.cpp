// The eighteen sort commands, run as a user runs them: through their
// actions, with the key and direction shared by both panes.

#include "UiFixture.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace {

using ::testing::ElementsAre;

namespace fs = std::filesystem;

class SortCommandsTest : public TUiTest {
protected:
    // Both sides hold three videos whose title, name, size and time
    // orders all differ:
    //   title: "" < "Zoo" < "apple"    size: 1 s < 2 s < 3 s
    void SetUp() override
    {
        TUiTest::SetUp();
        FComputer = MakeFolder("computer");
        Place(FComputer, "b.MP4", "Zoo", 1, 3);
        Place(FComputer, "a.MP4", "apple", 3, 1);
        Place(FComputer, "c.MP4", "", 2, 2);
        FHandheld = MakeHandheld("handheld");
        const std::string videos = FHandheld + "/MP_ROOT/100MNV01";
        Place(videos, "M4V00001.MP4", "Zoo", 1, 3);
        Place(videos, "M4V00002.MP4", "apple", 3, 1);
        Place(videos, "M4V00003.MP4", "", 2, 2);
        Plug(FHandheld);
        FWindow = StartWindow(FComputer);
    }

    // `age` orders the write times: 1 is the oldest.
    void Place(const std::string& folder, const std::string& name, const std::string& title, int seconds, int age)
    {
        Put(TSampleFiles::Video(title, seconds), folder, name);
        const auto when = fs::file_time_type::clock::now() - std::chrono::hours(24 * (10 - age));
        fs::last_write_time(fs::path(folder) / name, when);
    }

    void Run(const char* action) { Control<QAction>(*FWindow, action).trigger(); }
    bool Ticked(const char* action) { return Control<QAction>(*FWindow, action).isChecked(); }
    std::vector<std::string> Computer() { return Names(*FWindow, TPaneSide::Computer); }
    std::vector<std::string> Handheld() { return Names(*FWindow, TPaneSide::Handheld); }

    std::string FComputer;
    std::string FHandheld;
    std::unique_ptr<TfrmVantrel> FWindow;
};

TEST_F(SortCommandsTest, EachKeyOrdersThePaneItBelongsTo)
{
    Run("actPCTitleAsc");
    EXPECT_THAT(Computer(), ElementsAre("c.MP4", "b.MP4", "a.MP4"));
    Run("actPCFileNameAsc");
    EXPECT_THAT(Computer(), ElementsAre("a.MP4", "b.MP4", "c.MP4"));
    Run("actPCSizeAsc");
    EXPECT_THAT(Computer(), ElementsAre("b.MP4", "c.MP4", "a.MP4"));
    Run("actPCWriteTimeAsc");
    EXPECT_THAT(Computer(), ElementsAre("a.MP4", "c.MP4", "b.MP4"));
    Run("actPCTitleDesc");
    EXPECT_THAT(Computer(), ElementsAre("a.MP4", "b.MP4", "c.MP4"));
    Run("actPCFileNameDesc");
    EXPECT_THAT(Computer(), ElementsAre("c.MP4", "b.MP4", "a.MP4"));

    Run("actPSPSizeDesc");
    EXPECT_THAT(Handheld(), ElementsAre("M4V00002.MP4", "M4V00003.MP4", "M4V00001.MP4"));
    Run("actPSPWriteTimeDesc");
    EXPECT_THAT(Handheld(), ElementsAre("M4V00001.MP4", "M4V00003.MP4", "M4V00002.MP4"));
    Run("actPSPTitleAsc");
    EXPECT_THAT(Handheld(), ElementsAre("M4V00003.MP4", "M4V00001.MP4", "M4V00002.MP4"));
    Run("actPSPFileNameDesc");
    EXPECT_THAT(Handheld(), ElementsAre("M4V00003.MP4", "M4V00002.MP4", "M4V00001.MP4"));
}

TEST_F(SortCommandsTest, CommandsTickOneEntryPerPane)
{
    Run("actPCSizeDesc");
    Run("actPSPTitleAsc");

    EXPECT_TRUE(Ticked("actPCSizeDesc"));
    EXPECT_FALSE(Ticked("actPCSortNone"));
    EXPECT_TRUE(Ticked("actPSPTitleAsc"));
    EXPECT_FALSE(Ticked("actPSPSortNone"));

    Run("actPCTitleAsc");
    EXPECT_FALSE(Ticked("actPCSizeDesc"));
    EXPECT_TRUE(Ticked("actPSPTitleAsc"));
}

TEST_F(SortCommandsTest, TheLastKeyChosenOrdersBothPanesAtTheirNextLoad)
{
    Run("actPCTitleAsc");
    const std::vector<std::string> handheldBefore = Handheld();
    Run("actPSPSizeDesc");

    // The other pane keeps its order until it is loaded again.
    EXPECT_THAT(Computer(), ElementsAre("c.MP4", "b.MP4", "a.MP4"));

    Run("actRefresh");

    EXPECT_THAT(Computer(), ElementsAre("a.MP4", "c.MP4", "b.MP4"));
    EXPECT_THAT(Handheld(), ElementsAre("M4V00002.MP4", "M4V00003.MP4", "M4V00001.MP4"));
    EXPECT_TRUE(Ticked("actPCTitleAsc"));
    EXPECT_EQ(FWindow->SortState(), (TSortState{TSortKey::skSize, true}));
}

TEST_F(SortCommandsTest, ALoadIntoAPaneSortedByItsFilesFactsAnnouncesEachRowWhereItLands)
{
    // The load lists names only; the place of each row by size is known
    // once its file is read, and is the place the view is told of.
    Run("actPCSizeDesc");
    QAbstractItemModel& rows = *FWindow->Pane(TPaneSide::Computer).model();
    std::vector<std::string> announced;
    QObject::connect(&rows, &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int last) {
        for (int row = first; row <= last; ++row)
            announced.push_back(FWindow->Pane(TPaneSide::Computer).Pane().Row(row).Info->FileInfo.FileName);
    });

    Run("actRefresh");

    EXPECT_THAT(Computer(), ElementsAre("a.MP4", "c.MP4", "b.MP4"));
    // Each announced row is the row just added, so every name comes once.
    std::sort(announced.begin(), announced.end());
    EXPECT_THAT(announced, ElementsAre("a.MP4", "b.MP4", "c.MP4"));
}

TEST_F(SortCommandsTest, NoSortKeepsTheOrderUntilTheNextLoad)
{
    Run("actPCTitleDesc");
    Run("actPCSortNone");

    EXPECT_THAT(Computer(), ElementsAre("a.MP4", "b.MP4", "c.MP4"));
    EXPECT_TRUE(Ticked("actPCSortNone"));
    EXPECT_EQ(FWindow->SortState().FSortKey, TSortKey::skNone);
    EXPECT_TRUE(FWindow->SortState().FSortDesc) << "the direction is left as it was";

    Run("actRefresh");

    // Back in the order the folder lists its entries.
    const std::optional<std::vector<std::string>> listed = platform::ListDirectory(FComputer);
    ASSERT_TRUE(listed.has_value());
    EXPECT_EQ(Computer(), *listed);
}

// A sort and a row added to a sorted pane move rows, they do not replace
// them: the focus mark, the selection and an open editor stay with their
// row, and the added row is one inserted row.
TEST_F(SortCommandsTest, FocusSelectionAndEditorStayWithTheirRowThroughSortsAndAddedRows)
{
    TPaneView& pane = FWindow->Pane(TPaneSide::Computer);
    const auto rowOf = [this](const std::string& name) {
        const std::vector<std::string> names = Computer();
        return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    };
    pane.clearSelection();
    pane.SelectRow(rowOf("b.MP4"));
    Run("actEditPCTitle");
    ASSERT_NE(pane.Editor(), nullptr);
    int resets = 0;
    std::vector<int> inserted;
    QObject::connect(&pane.Rows(), &QAbstractItemModel::modelReset, [&resets] { ++resets; });
    QObject::connect(&pane.Rows(), &QAbstractItemModel::rowsInserted,
                     [&inserted](const QModelIndex&, int first, int) { inserted.push_back(first); });

    Run("actPCFileNameDesc");
    ASSERT_THAT(Computer(), ElementsAre("c.MP4", "b.MP4", "a.MP4"));
    EXPECT_EQ(pane.currentIndex().row(), 1);
    EXPECT_THAT(SelectedRows(*FWindow, TPaneSide::Computer), ElementsAre(1));
    EXPECT_NE(pane.Editor(), nullptr);

    TFileInfo added = pane.Pane().RecordAt(0);
    added.FileName = "d.MP4";
    FWindow->AddRow(TPaneSide::Computer, added);
    EXPECT_THAT(Computer(), ElementsAre("d.MP4", "c.MP4", "b.MP4", "a.MP4"));
    EXPECT_THAT(inserted, ElementsAre(0));
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(pane.currentIndex().row(), 2);
    EXPECT_THAT(SelectedRows(*FWindow, TPaneSide::Computer), ElementsAre(2));
    EXPECT_NE(pane.Editor(), nullptr);
}

TEST_F(SortCommandsTest, SelectionStaysWithItsRowWhenSorted)
{
    const std::vector<std::string> names = Computer();
    const int row = static_cast<int>(std::find(names.begin(), names.end(), "b.MP4") - names.begin());
    FWindow->Pane(TPaneSide::Computer).SelectRow(row);

    Run("actPCFileNameDesc");

    EXPECT_THAT(SelectedRows(*FWindow, TPaneSide::Computer), ElementsAre(1));
    EXPECT_TRUE(FWindow->Pane(TPaneSide::Computer).selectionModel()->isRowSelected(1, QModelIndex()));
    EXPECT_FALSE(FWindow->Pane(TPaneSide::Computer).selectionModel()->isRowSelected(0, QModelIndex()));
}

} // namespace
