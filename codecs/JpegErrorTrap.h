#pragma once
// libjpeg reports a fatal error by calling error_exit, which must not return.
// The trap jumps back to the setjmp of the function that runs the library, so
// that function must keep no object with a destructor alive between its
// setjmp and the library calls. Warnings and messages are dropped.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

struct JpegErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

// Sets up the trap's manager and returns it for cinfo.err.
jpeg_error_mgr* InstallJpegErrorTrap(JpegErrorTrap& trap);
