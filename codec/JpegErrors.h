#pragma once

#include <csetjmp>
// jpeglib.h needs FILE and size_t declared first.
#include <cstdio>

#include <jpeglib.h>

namespace murk {

// libjpeg's error manager for code that must not end the process on a bad
// picture: an error jumps back to Jump, nothing is printed, and a warning
// (extraneous bytes, a premature end) only sets Warned.
struct TJpegErrors {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
    bool Warned = false;
};

// Sets errors up; the result goes into a decompressor's err, as
// jpeg_std_error's does.
jpeg_error_mgr* JpegErrors(TJpegErrors& errors);

}  // namespace murk
