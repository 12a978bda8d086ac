#include "codecs/jpeg/Jpeg_pvt.h"

// jerror.h needs jpeglib.h first.
// clang-format off
#include <jerror.h>

namespace stampora {

// clang-format on

namespace {

// The manager is the first member, so the trap starts where it does.
JpegErrorTrap& TrapOf(j_common_ptr cinfo) {
    return *reinterpret_cast<JpegErrorTrap*>(cinfo->err);
}

[[noreturn]] void JumpOnError(j_common_ptr cinfo) {
    JpegErrorTrap& trap = TrapOf(cinfo);
    cinfo->err->format_message(cinfo, trap.error);
    std::longjmp(trap.jump, 1);
}

// Whether the warning just given means pixels may be wrong: the data ends
// early or breaks off, or holds codes the decoder could not follow. The rest
// (an unknown JFIF revision or Adobe transform, a bad ICC marker, padding
// between the header's markers) leave the pixels as stored.
bool LosesPixels(j_common_ptr cinfo) {
    switch (cinfo->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_MUST_RESYNC:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_ARITH_BAD_CODE:
        case JWRN_BOGUS_PROGRESSION:
            return true;
        case JWRN_EXTRANEOUS_DATA:
            // Before the first scan such bytes are padding; after one, the
            // scan's codes ran out of step with its data.
            return cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > 0;
        default:
            return false;
    }
}

// Level -1 is a warning; other levels are trace messages, dropped. Only the
// first warning that loses pixels is kept, with the line the decoder had
// reached when the data broke off (the lines after it were made up).
void KeepFirstWarning(j_common_ptr cinfo, int level) {
    JpegErrorTrap& trap = TrapOf(cinfo);
    if (level != -1 || trap.warned || !LosesPixels(cinfo)) return;
    trap.warned = true;
    cinfo->err->format_message(cinfo, trap.warning);
    const int code = cinfo->err->msg_code;
    if (cinfo->is_decompressor && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER))
        trap.warningLine = reinterpret_cast<j_decompress_ptr>(cinfo)->output_scanline;
}

}  // namespace

jpeg_error_mgr* InstallJpegErrorTrap(JpegErrorTrap& trap) {
    jpeg_error_mgr* manager = jpeg_std_error(&trap.manager);
    manager->error_exit = JumpOnError;
    manager->emit_message = KeepFirstWarning;
    return manager;
}

}  // namespace stampora
