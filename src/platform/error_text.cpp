#include "platform/error_text.h"

#include <cerrno>
#include <system_error>

namespace zmbr {

namespace {

struct KnownError {
    int error;        // this system's errno
    int code;         // Linux's
    const char* text; // glibc's
};

constexpr KnownError kKnownErrors[] = {
    {EPERM, 1, "Operation not permitted"},
    {ENOENT, 2, "No such file or directory"},
    {EINTR, 4, "Interrupted system call"},
    {EIO, 5, "Input/output error"},
    {ENXIO, 6, "No such device or address"},
    {EBADF, 9, "Bad file descriptor"},
    {EAGAIN, 11, "Resource temporarily unavailable"},
    {ENOMEM, 12, "Cannot allocate memory"},
    {EACCES, 13, "Permission denied"},
    {EBUSY, 16, "Device or resource busy"},
    {EEXIST, 17, "File exists"},
    {EXDEV, 18, "Invalid cross-device link"},
    {ENODEV, 19, "No such device"},
    {ENOTDIR, 20, "Not a directory"},
    {EISDIR, 21, "Is a directory"},
    {EINVAL, 22, "Invalid argument"},
    {ENFILE, 23, "Too many open files in system"},
    {EMFILE, 24, "Too many open files"},
    {ETXTBSY, 26, "Text file busy"},
    {EFBIG, 27, "File too large"},
    {ENOSPC, 28, "No space left on device"},
    {ESPIPE, 29, "Illegal seek"},
    {EROFS, 30, "Read-only file system"},
    {EMLINK, 31, "Too many links"},
    {EPIPE, 32, "Broken pipe"},
    {ENAMETOOLONG, 36, "File name too long"},
    {ENOTEMPTY, 39, "Directory not empty"},
    {ELOOP, 40, "Too many levels of symbolic links"},
    {EOVERFLOW, 75, "Value too large for defined data type"},
    {ESTALE, 116, "Stale file handle"},
    {EDQUOT, 122, "Disk quota exceeded"},
};

const KnownError* known(int error) {
    for (const KnownError& k : kKnownErrors)
        if (k.error == error)
            return &k;
    return nullptr;
}

} // namespace

int errorCode(int error) {
    const KnownError* k = known(error);
    return k ? k->code : error;
}

// A failure no file operation is known to give keeps the system's own words.
std::string errorText(int error) {
    const KnownError* k = known(error);
    return k ? k->text : std::generic_category().message(error);
}

} // namespace zmbr
