#pragma once

// Which videos of a batch to the handheld are converted on the way: those
// the handheld will not play, when the user (or a script's --convert)
// says so. Planning one sets its free-space share to the most its
// conversion can take, from its duration and the target's highest rates.

#include "transfer/Batch.h"

#include <cstddef>
#include <vector>

// The positions in `snapshot.Items` of the videos the handheld will not
// play and a conversion can take: from the rows' settled verdicts, else
// from a check of the file (its headers only). A file the check cannot
// read as a video of a kind it knows (damaged, cut, of no known kind)
// goes as it is, as before: a conversion would have nothing to start
// from, and asking FFmpeg would take a good part of a second a file.
std::vector<std::size_t> UnplayableItems(const TBatchSnapshot& snapshot);

// Marks the items at `positions` for conversion and recounts the bytes
// the batch needs. A video whose duration cannot be read keeps its own
// size as its share.
void PlanConversions(TBatchSnapshot& snapshot, const std::vector<std::size_t>& positions);
