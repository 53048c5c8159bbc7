#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace kestrel {

// libjpeg reports an error by calling error_exit, which must not return: it
// keeps the library's message and jumps back to the setjmp of whoever is
// coding (the region decoder, the band encoder).
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] inline void jpegErrorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

}  // namespace kestrel
