#pragma once

// Where a transferred video lands: the handheld's own names going out,
// the remembered computer name (or the handheld name, or a numbered
// variant of it) coming back.
//
// The handheld's FAT medium ignores case, and a computer folder standing
// for a handheld may not: a name counts as taken when any entry of the
// folder spells it with other case, and when a folder or anything else
// of that name is there (a copy could not be created over it).

#include <optional>
#include <string>

// The handheld's video folder on the drive rooted at `driveRoot`, with a
// trailing '/': DRIVE/MP_ROOT/100MNV01/.
std::string HandheldVideoFolder(const std::string& driveRoot);

// "M4V" + the five digits of `number` + ".MP4".
std::string HandheldVideoName(int number);

// The same path with the extension of its name replaced by ".THM".
std::string ThumbnailPathFor(const std::string& videoPath);

// The highest handheld video number among the entries of `folder`; 0
// when there is none or the folder cannot be read.
int HighestVideoNumberIn(const std::string& folder);

// The next free handheld video path in `folder` (with trailing '/'),
// counting up from `highestVideoNumber` + 1 and wrapping from 99999 to 1;
// `highestVideoNumber` becomes the number handed out. Only the video name
// is tested, not its thumbnail's. nullopt, with `highestVideoNumber`
// unchanged, when all 99,999 numbers are taken.
std::optional<std::string> NextPspFileName(const std::string& folder, int& highestVideoNumber);

// The computer path for the handheld video `fileName` going to `folder`
// (with trailing '/'): the remembered computer name `preferred` when it is
// free and not blank, else `fileName` when free, else the handheld stem
// with "_0", "_1", ... and ".MP4".
std::string PcTargetName(const std::string& folder, const std::string& fileName, const std::string& preferred);
