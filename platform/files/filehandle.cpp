#include "platform/files/filehandle.h"

#include "platform/base/syserror.h"
#include "platform/files/files.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr UINT kFailed = 0xFFFFFFFFu;

void FailFromErrno()
{
    SetLastError(files::ErrorFromErrno(errno));
}
} // namespace

HFILE OpenFileHandle(const char* path, UINT mode)
{
    if (!path || !*path) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return HFILE_ERROR;
    }
    // Names are matched without regard to case, with "/" or "\" between
    // folders; a new file takes the spelling of an existing one.
    const std::string name = (mode & OF_CREATE) ? files::PathForNewFile("", path) : files::FindPath("", path);
    if (name.empty())
        return HFILE_ERROR;
    int flags = 0;
    if (mode & OF_CREATE) {
        flags = O_RDWR | O_CREAT | O_TRUNC;
    } else {
        switch (mode & 3) {
        case OF_WRITE: flags = O_WRONLY; break;
        case OF_READWRITE: flags = O_RDWR; break;
        default: flags = O_RDONLY; break;
        }
    }
    int fd = ::open(name.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        FailFromErrno();
        return HFILE_ERROR;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return HFILE_ERROR;
    }
    return fd;
}

UINT ReadFileHandle(HFILE h, void* buffer, UINT n)
{
    UINT total = 0;
    auto* p = static_cast<unsigned char*>(buffer);
    while (total < n) {
        ssize_t got = ::read(h, p + total, n - total);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            FailFromErrno();
            return kFailed;
        }
        if (got == 0)
            break;
        total += static_cast<UINT>(got);
    }
    return total;
}

UINT WriteFileHandle(HFILE h, const void* buffer, UINT n)
{
    if (n == 0) {
        off_t here = ::lseek(h, 0, SEEK_CUR);
        if (here < 0 || ::ftruncate(h, here) != 0) {
            FailFromErrno();
            return kFailed;
        }
        return 0;
    }
    UINT total = 0;
    auto* p = static_cast<const unsigned char*>(buffer);
    while (total < n) {
        ssize_t put = ::write(h, p + total, n - total);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            FailFromErrno();
            return kFailed;
        }
        total += static_cast<UINT>(put);
    }
    return total;
}

LONG SeekFileHandle(HFILE h, LONG offset, int origin)
{
    int whence = origin == FILE_CURRENT ? SEEK_CUR : origin == FILE_END ? SEEK_END : SEEK_SET;
    off_t pos = ::lseek(h, offset, whence);
    if (pos < 0) {
        FailFromErrno();
        return -1;
    }
    if (pos > 0x7FFFFFFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    return static_cast<LONG>(pos);
}

BOOL CloseFileHandle(HFILE h)
{
    if (::close(h) != 0) {
        FailFromErrno();
        return FALSE;
    }
    return TRUE;
}
