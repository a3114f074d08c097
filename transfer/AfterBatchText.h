#pragma once

// The one message a window shows after a batch that did not go as asked:
// the failure that stopped it (naming the file and the reason), the
// files a move or a deletion could not delete, and the thumbnails that
// could not travel with their videos. A batch that a box has already
// told about (the copier's read/write failure) is not told again.

#include "transfer/Transfer.h"

#include <string>

// Empty when there is nothing to tell: the batch did all it was asked,
// or it was stopped by the user.
std::string AfterBatchText(const TBatchResult& result);
