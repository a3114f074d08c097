// The sort commands: one key and direction shared by both panes, each
// pane sorted or not on its own.

#include "ui/Main.h"

void TfrmVantrel::SortCommand(TPaneSide pane, TSortKey key, bool descending)
{
    FSortState = TSortState{key, descending};
    Pane(pane).Sort(FSortState);
}

void TfrmVantrel::NoSortCommand(TPaneSide pane)
{
    // The rows stay in their present order until the pane's next load.
    FSortState.FSortKey = TSortKey::skNone;
    Pane(pane).SetSorted(false);
}

void TfrmVantrel::actPCSortNoneExecute() { NoSortCommand(TPaneSide::Computer); }
void TfrmVantrel::actPCTitleAscExecute() { SortCommand(TPaneSide::Computer, TSortKey::skTitle, false); }
void TfrmVantrel::actPCFileNameAscExecute() { SortCommand(TPaneSide::Computer, TSortKey::skFileName, false); }
void TfrmVantrel::actPCSizeAscExecute() { SortCommand(TPaneSide::Computer, TSortKey::skSize, false); }
void TfrmVantrel::actPCWriteTimeAscExecute() { SortCommand(TPaneSide::Computer, TSortKey::skWriteTime, false); }
void TfrmVantrel::actPCTitleDescExecute() { SortCommand(TPaneSide::Computer, TSortKey::skTitle, true); }
void TfrmVantrel::actPCFileNameDescExecute() { SortCommand(TPaneSide::Computer, TSortKey::skFileName, true); }
void TfrmVantrel::actPCSizeDescExecute() { SortCommand(TPaneSide::Computer, TSortKey::skSize, true); }
void TfrmVantrel::actPCWriteTimeDescExecute() { SortCommand(TPaneSide::Computer, TSortKey::skWriteTime, true); }

void TfrmVantrel::actPSPSortNoneExecute() { NoSortCommand(TPaneSide::Handheld); }
void TfrmVantrel::actPSPTitleAscExecute() { SortCommand(TPaneSide::Handheld, TSortKey::skTitle, false); }
void TfrmVantrel::actPSPFileNameAscExecute() { SortCommand(TPaneSide::Handheld, TSortKey::skFileName, false); }
void TfrmVantrel::actPSPSizeAscExecute() { SortCommand(TPaneSide::Handheld, TSortKey::skSize, false); }
void TfrmVantrel::actPSPWriteTimeAscExecute() { SortCommand(TPaneSide::Handheld, TSortKey::skWriteTime, false); }
void TfrmVantrel::actPSPTitleDescExecute() { SortCommand(TPaneSide::Handheld, TSortKey::skTitle, true); }
void TfrmVantrel::actPSPFileNameDescExecute() { SortCommand(TPaneSide::Handheld, TSortKey::skFileName, true); }
void TfrmVantrel::actPSPSizeDescExecute() { SortCommand(TPaneSide::Handheld, TSortKey::skSize, true); }
void TfrmVantrel::actPSPWriteTimeDescExecute() { SortCommand(TPaneSide::Handheld, TSortKey::skWriteTime, true); }
