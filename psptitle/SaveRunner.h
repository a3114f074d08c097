#pragma once

// Carries out a save plan on the open file. Before the plan's commit is
// durable, every write is journalled with the bytes it covers; a step that
// fails puts them back, last first, and cuts the file to its old size, so
// the file is as it was. Once the commit is durable the new title is in
// the file, and a later step that fails only leaves dead space that the
// next save clears.

#include "psptitle/SavePlan.h"
#include "psptitle/Storage.h"

namespace psptitle {

// `file` holds `fileSize` bytes. Throws Problem when the plan failed
// before its commit (the file is then put back, as far as the medium
// still lets it be written).
void runSavePlan(FileAccess& file, std::uint64_t fileSize, const SavePlan& plan);

} // namespace psptitle
