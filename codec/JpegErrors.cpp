#include "JpegErrors.h"

namespace murk {

namespace {

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<TJpegErrors*>(cinfo->err)->Jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
    // Level -1 is a warning; higher levels are only traces.
    if (level < 0) {
        reinterpret_cast<TJpegErrors*>(cinfo->err)->Warned = true;
    }
}

void OutputMessage(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* JpegErrors(TJpegErrors& errors) {
    jpeg_std_error(&errors.Base);
    errors.Base.error_exit = ErrorExit;
    errors.Base.emit_message = EmitMessage;
    errors.Base.output_message = OutputMessage;
    return &errors.Base;
}

}  // namespace murk
