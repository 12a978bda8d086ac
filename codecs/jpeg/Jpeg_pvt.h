#pragma once
// Internals of the JPEG codec: libjpeg's error handling.
//
// libjpeg reports a fatal error by calling error_exit, which must not return.
// The trap keeps libjpeg's text of the error and jumps back to the setjmp of
// the function that runs the library, so that function must keep no object
// with a destructor alive between its setjmp and the library calls. The
// first warning (a corrupt or cut-short file) is kept with the line the
// decoder had reached.
// jpeglib.h needs size_t and FILE declared first.
// clang-format off
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace stampora {

// clang-format on

struct JpegErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char error[JMSG_LENGTH_MAX] = {};
    char warning[JMSG_LENGTH_MAX] = {};
    bool warned = false;
    JDIMENSION warningLine = 0;
};

// Sets up the trap's manager and returns it for cinfo.err.
jpeg_error_mgr* InstallJpegErrorTrap(JpegErrorTrap& trap);

}  // namespace stampora
