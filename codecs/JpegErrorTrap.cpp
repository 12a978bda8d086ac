#include "codecs/JpegErrorTrap.h"

namespace {

[[noreturn]] void JumpOnError(j_common_ptr cinfo) {
    // The manager is the first member, so the trap starts where it does.
    auto* trap = reinterpret_cast<JpegErrorTrap*>(cinfo->err);
    std::longjmp(trap->jump, 1);
}

void DropMessage(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* InstallJpegErrorTrap(JpegErrorTrap& trap) {
    jpeg_error_mgr* manager = jpeg_std_error(&trap.manager);
    manager->error_exit = JumpOnError;
    manager->output_message = DropMessage;
    return manager;
}
