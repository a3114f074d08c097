#include "catalogue/ScannedFolder.h"

TScannedFolder::TScannedFolder(std::vector<std::string> names, std::string thumbExt, std::string defaultThumb)
    : FNames(std::move(names)), FThumbExt(std::move(thumbExt)), FDefaultThumb(std::move(defaultThumb))
{
}

const TCompanionIndex& TScannedFolder::Thumbnails() const
{
    std::call_once(FIndexed, [this] { FThumbnails.emplace(FNames, FThumbExt); });
    return *FThumbnails;
}
