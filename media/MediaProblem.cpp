#include "media/MediaProblem.h"

namespace media {

void ThrowDamaged(const std::string& what)
{
    throw TMediaProblem("file is damaged: " + what);
}

} // namespace media
