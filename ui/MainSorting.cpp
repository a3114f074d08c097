// The sort commands: one key and direction shared by both panes, each
// pane sorted or not on its own.

#include "ui/Main.h"
#include "ui/SortCommands.h"

void TfrmVantrel::RunSortCommand(const TSortCommand& command)
{
    if (command.Key == TSortKey::skNone) {
        // The rows stay in their present order until the pane's next load.
        FSortState.FSortKey = TSortKey::skNone;
        Pane(command.Pane).SetSorted(false);
        return;
    }
    FSortState = TSortState{command.Key, command.Descending};
    Pane(command.Pane).Sort(FSortState);
}
