// libjpeg's default error handler ends the process. This one jumps back to the caller's setjmp instead, and
// records warnings (corrupt or truncated data) so that the caller can reject the result.
//
// Functions that call setjmp on it must keep only trivially destructible objects alive between setjmp and the
// libjpeg calls: a longjmp skips destructors.
#pragma once

#include <csetjmp>
#include <cstdio>
#include <cstring>


#include <jpeglib.h>
#include <jerror.h>

namespace vornix::jpeg {

struct ErrorManager {
    jpeg_error_mgr pub;   // first member: libjpeg sees a jpeg_error_mgr*
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int warnings;
};

[[noreturn]] inline void onError(j_common_ptr info)
{
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

inline void onMessage(j_common_ptr info, int level)
{
    if (level >= 0)   // trace messages
        return;
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    if (err->warnings++ == 0)
        (*info->err->format_message)(info, err->message);
}

inline jpeg_error_mgr* install(ErrorManager& err)
{
    jpeg_error_mgr* pub = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
    err.message[0] = '\0';
    err.warnings = 0;
    return pub;
}

} // namespace vornix::jpeg
