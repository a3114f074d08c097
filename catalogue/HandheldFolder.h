#pragma once

// The handheld's video folder and the names in it. The handheld plays the
// videos of DRIVE/MP_ROOT/100MNV01/ named "M4V" + five digits + ".MP4",
// each with its thumbnail under the same stem and ".THM". Every layer
// builds those paths and names through this type.

#include <optional>
#include <string>

// The extensions of a video and of its thumbnail, in either folder.
inline constexpr const char* kVideoExtension = ".MP4";
inline constexpr const char* kThumbnailExtension = ".THM";

class THandheldFolder {
public:
    // Video numbers run from 1 to this, then wrap to 1.
    static constexpr int kHighestNumber = 99999;

    // The video folder of the drive mounted at `driveRoot`.
    static THandheldFolder OnDrive(const std::string& driveRoot);
    // A folder that holds handheld names, given by its path.
    explicit THandheldFolder(const std::string& path);

    // With a trailing '/'.
    const std::string& Path() const { return FPath; }

    // The highest video number among the folder's entries; 0 when there
    // is none or the folder cannot be read.
    int HighestNumber() const;

    // The path of the next free video name, counting up from
    // `highestNumber` + 1 and wrapping from 99999 to 1; `highestNumber`
    // becomes the number handed out. Only the video name is tested, not
    // its thumbnail's, and a name spelt with other case is taken (the
    // handheld's FAT medium ignores case). nullopt, with `highestNumber`
    // unchanged, when every number is taken.
    std::optional<std::string> NextFreeVideo(int& highestNumber) const;

    // "M4V" + the five digits of `number` + ".MP4".
    static std::string VideoName(int number);
    // The number of a video name of that scheme (in any case), or -1 when
    // the name does not follow it.
    static int NumberOf(const std::string& name);

private:
    std::string FPath;
};

// The thumbnail path of a video: the same path with ".THM" for the
// extension of its name.
std::string ThumbnailPathFor(const std::string& videoPath);
