#include "codecs/Jpeg_pvt.h"

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

// Level -1 is a warning; other levels are trace messages, dropped. Only
// warnings that mean lost pixels count: the data ending early or breaking off
// before a marker.
void KeepFirstWarning(j_common_ptr cinfo, int level) {
    JpegErrorTrap& trap = TrapOf(cinfo);
    const int code = cinfo->err->msg_code;
    const bool lostPixels = code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_MUST_RESYNC;
    if (level != -1 || trap.warned || !lostPixels) return;
    trap.warned = true;
    cinfo->err->format_message(cinfo, trap.warning);
    if (cinfo->is_decompressor) trap.warningLine = reinterpret_cast<j_decompress_ptr>(cinfo)->output_scanline;
}

}  // namespace

jpeg_error_mgr* InstallJpegErrorTrap(JpegErrorTrap& trap) {
    jpeg_error_mgr* manager = jpeg_std_error(&trap.manager);
    manager->error_exit = JumpOnError;
    manager->emit_message = KeepFirstWarning;
    return manager;
}

}  // namespace stampora
