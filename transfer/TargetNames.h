#pragma once

// Where a video coming back from the handheld lands: the remembered
// computer name, or the handheld name, or a numbered variant of it. (The
// handheld's own names going out come from THandheldFolder.)
//
// A name counts as taken when any entry of the folder spells it with
// other case, and when a folder or anything else of that name is there (a
// copy could not be created over it).

#include <string>

// The computer path for the handheld video `fileName` going to `folder`
// (with trailing '/'): the remembered computer name `preferred` when it is
// free and not blank, else `fileName` when free, else the handheld stem
// with "_0", "_1", ... and ".MP4". `pending`, when not empty, is the path
// of a copy into `folder` that has not got its name yet: taken too.
std::string PcTargetName(const std::string& folder, const std::string& fileName, const std::string& preferred,
                         const std::string& pending = {});
