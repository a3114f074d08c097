// The plugin's one exported symbol: the table of its functions.

#include "media/CodecTable.h"
#include "media/codecs/FrameGrab.h"
#include "media/codecs/HandheldConversion.h"

namespace {

const media::TCodecTable kTable{
    media::kCodecTableVersion,
    &media::GrabFrame,
    &media::ConvertWithLibav,
    &media::VideoDurationWithLibav,
};

} // namespace

extern "C" __attribute__((visibility("default"))) const media::TCodecTable* vantrel_codec_table()
{
    return &kTable;
}
