#pragma once

// For tests and the fuzzer: a title library handle that works through a
// given storage (in memory, or failing on purpose) instead of the file
// system. Release it with TitleLibDestroy.

#include "psptitle/Storage.h"
#include "psptitle/psptitle.h"

TitleLib* TitleLibCreateWithStorage(std::unique_ptr<psptitle::Storage> storage);
