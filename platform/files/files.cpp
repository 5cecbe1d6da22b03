#include "platform/files/files.h"

#include "platform/base/syserror.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <set>
#include <vector>

namespace files {
namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

std::vector<std::string> Components(std::string_view name)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < name.size()) {
        while (i < name.size() && IsSeparator(name[i]))
            ++i;
        std::size_t end = i;
        while (end < name.size() && !IsSeparator(name[end]))
            ++end;
        if (end > i)
            out.emplace_back(name.substr(i, end - i));
        i = end;
    }
    return out;
}

std::string Join(const std::string& folder, const std::string& component)
{
    if (folder.empty())
        return component;
    if (folder.back() == '/')
        return folder + component;
    return folder + "/" + component;
}

// The entries of `folder` that spell `component` in another case, sorted so
// that the choice among several is the same on every run.
std::vector<std::string> OtherSpellings(const std::string& folder, const std::string& component)
{
    std::vector<std::string> out;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return out;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != component && EqualNoCase(name, component))
            out.emplace_back(name);
    }
    closedir(dir);
    std::sort(out.begin(), out.end());
    return out;
}

bool StatPath(const std::string& path, struct stat* st)
{
    return stat(path.empty() ? "." : path.c_str(), st) == 0;
}

// Resolves components [i, end) below `folder`; the exact spelling is tried
// first, then the other spellings, going back when a later component is not
// found below an earlier choice.
bool Resolve(const std::string& folder, const std::vector<std::string>& parts, std::size_t i, std::string& out)
{
    if (i == parts.size()) {
        out = folder;
        return true;
    }
    const std::string& part = parts[i];
    const bool last = i + 1 == parts.size();
    auto tryEntry = [&](const std::string& spelling) {
        const std::string path = Join(folder, spelling);
        struct stat st;
        if (!StatPath(path, &st))
            return false;
        if (!last && !S_ISDIR(st.st_mode))
            return false;
        return Resolve(path, parts, i + 1, out);
    };
    if (tryEntry(part))
        return true;
    if (part == "." || part == "..")
        return false;
    for (const std::string& spelling : OtherSpellings(folder, part))
        if (tryEntry(spelling))
            return true;
    return false;
}

std::string StartFolder(const std::string& base, std::string_view name)
{
    if (!name.empty() && IsSeparator(name.front()))
        return "/";
    return base;
}

// The folder holding `path` (empty for a bare name) and the name in it.
void SplitPath(const std::string& path, std::string& folder, std::string& name)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        folder.clear();
        name = path;
    } else {
        folder = path.substr(0, slash == 0 ? 1 : slash);
        name = path.substr(slash + 1);
    }
}

// Where the bytes for `path` really go: a symbolic link is followed, so the
// link itself survives the rename.
std::string WriteTarget(const std::string& path)
{
    std::string target = path;
    for (int depth = 0; depth < 16; ++depth) {
        struct stat st;
        if (lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        std::vector<char> buffer(PATH_MAX + 1);
        const ssize_t n = readlink(target.c_str(), buffer.data(), buffer.size() - 1);
        if (n <= 0)
            break;
        std::string link(buffer.data(), static_cast<std::size_t>(n));
        if (link.front() != '/') {
            std::string folder, name;
            SplitPath(target, folder, name);
            link = Join(folder, link);
        }
        target = link;
    }
    return target;
}

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void SyncFolder(const std::string& folder)
{
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd); // best effort: some file systems refuse it for folders
        close(fd);
    }
}

std::atomic<unsigned> g_tempCounter{0};

// The prefix of the temporary files of a file called `name`.
std::string TemporaryPrefix(const std::string& name)
{
    return "." + name + ".tmp-";
}

// The process id in a temporary file's name after its prefix, or 0 when the
// rest is not "<pid>-<counter>".
pid_t OwnerOfTemporary(std::string_view rest)
{
    const std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == rest.size())
        return 0;
    long long pid = 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (i == dash)
            continue;
        if (rest[i] < '0' || rest[i] > '9')
            return 0;
        if (i < dash && (pid = pid * 10 + (rest[i] - '0')) > INT_MAX)
            return 0;
    }
    return static_cast<pid_t>(pid);
}

bool ProcessRuns(pid_t pid)
{
    return kill(pid, 0) == 0 || errno == EPERM;
}

std::mutex g_cleanedMutex;
std::set<std::string> g_cleaned; // targets whose stale files this process removed

} // namespace

DWORD ErrorFromErrno(int error)
{
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ERROR_DISK_FULL;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EBADF: return ERROR_INVALID_HANDLE;
    default: return ERROR_GEN_FAILURE;
    }
}

// Finds the folder that holds the last of `parts`; "." added to the folder's
// components makes every match a folder.
static bool ResolveFolder(const std::string& start, const std::vector<std::string>& parts, std::string& folder)
{
    std::vector<std::string> folderParts(parts.begin(), parts.end() - 1);
    folderParts.emplace_back(".");
    if (!Resolve(start, folderParts, 0, folder))
        return false;
    folder.pop_back(); // the "."
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return true;
}

std::string FindPath(const std::string& base, std::string_view name)
{
    const std::string start = StartFolder(base, name);
    const std::vector<std::string> parts = Components(name);
    struct stat st;
    if (parts.empty()) {
        if (StatPath(start, &st))
            return start.empty() ? std::string(".") : start;
        SetLastError(ERROR_PATH_NOT_FOUND);
        return {};
    }
    std::string out;
    if (Resolve(start, parts, 0, out))
        return out;
    std::string folder;
    SetLastError(ResolveFolder(start, parts, folder) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return {};
}

std::string PathForNewFile(const std::string& base, std::string_view name)
{
    const std::vector<std::string> parts = Components(name);
    if (parts.empty() || parts.back() == "." || parts.back() == ".." || IsSeparator(name.back())) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return {};
    }
    std::string folder;
    if (!ResolveFolder(StartFolder(base, name), parts, folder)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return {};
    }
    const std::string& last = parts.back();
    struct stat st;
    if (!StatPath(Join(folder, last), &st)) {
        const std::vector<std::string> others = OtherSpellings(folder, last);
        if (!others.empty())
            return Join(folder, others.front());
    }
    return Join(folder, last);
}

bool IsFile(const std::string& path)
{
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path)
{
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ProgramPath()
{
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramFolder()
{
    const std::string path = ProgramPath();
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string UserDataFolder()
{
    // A relative XDG_DATA_HOME is not valid and is ignored.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
        std::string folder = xdg;
        if (folder.back() != '/')
            folder += '/';
        return folder;
    }
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        std::string folder = home;
        if (folder.back() != '/')
            folder += '/';
        return folder + ".local/share/";
    }
    return {};
}

bool CanWriteFolder(const std::string& folder)
{
    return !folder.empty() && access(folder.c_str(), W_OK | X_OK) == 0;
}

bool CreateFolders(const std::string& folder)
{
    if (folder.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '/')
            continue;
        const std::string part = folder.substr(0, at);
        if (IsFolder(part))
            continue;
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            SetLastError(ErrorFromErrno(errno));
            return false;
        }
    }
    if (!IsFolder(folder)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    return true;
}

std::string RenameAside(const std::string& path, const std::string& suffix)
{
    for (int n = 0; n < 1000; ++n) {
        const std::string aside = path + suffix + (n ? "." + std::to_string(n) : std::string());
        struct stat st;
        if (lstat(aside.c_str(), &st) == 0)
            continue;
        // link() never replaces an entry, so a name taken meanwhile is not lost.
        if (link(path.c_str(), aside.c_str()) == 0) {
            unlink(path.c_str());
            return aside;
        }
        if (errno == EEXIST)
            continue;
        if (rename(path.c_str(), aside.c_str()) == 0)
            return aside;
        SetLastError(ErrorFromErrno(errno));
        return {};
    }
    SetLastError(ERROR_ACCESS_DENIED);
    return {};
}

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetLastError(ErrorFromErrno(errno));
        return false;
    }
    char chunk[65536];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            close(fd);
            SetLastError(error == EISDIR ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT);
            return false;
        }
        if (n == 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    close(fd);
    return true;
}

int RemoveStaleTemporaryFiles(const std::string& path)
{
    std::string folder, name;
    SplitPath(WriteTarget(path), folder, name);
    if (name.empty())
        return 0;
    const std::string prefix = TemporaryPrefix(name);
    std::vector<std::string> stale;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return 0;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view entryName = entry->d_name;
        if (!entryName.starts_with(prefix))
            continue;
        const pid_t owner = OwnerOfTemporary(entryName.substr(prefix.size()));
        if (owner > 0 && owner != getpid() && !ProcessRuns(owner))
            stale.emplace_back(entryName);
    }
    closedir(dir);
    int removed = 0;
    for (const std::string& file : stale)
        if (unlink(Join(folder, file).c_str()) == 0)
            ++removed;
    return removed;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::size_t maxBytes)
{
    bytes.clear();
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    if (!ReadWholeFile(path, bytes))
        return false;
    // A file that grew while it was read.
    if (bytes.size() > maxBytes) {
        bytes.clear();
        bytes.shrink_to_fit();
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const void* bytes, std::size_t size)
{
    if (path.empty() || (size > 0 && !bytes)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const std::string target = WriteTarget(path);
    std::string folder, name;
    SplitPath(target, folder, name);
    if (name.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }

    {
        // What an earlier process left behind goes before the first write.
        std::lock_guard lock(g_cleanedMutex);
        if (g_cleaned.insert(target).second)
            RemoveStaleTemporaryFiles(target);
    }

    struct stat old;
    const bool replacing = stat(target.c_str(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }

    // The temporary file is hidden and unique to this process and call.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = Join(folder,
                    TemporaryPrefix(name) + std::to_string(getpid()) + "-" + std::to_string(g_tempCounter.fetch_add(1)));
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        // Creating a file fails with "no such entry" only when its folder is missing.
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
        return false;
    }

    bool ok = WriteAll(fd, static_cast<const char*>(bytes), size);
    if (ok && replacing)
        ok = fchmod(fd, old.st_mode & 07777) == 0;
    if (ok)
        ok = fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        SetLastError(ErrorFromErrno(error));
        return false;
    }
    SyncFolder(folder);
    return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes)
{
    return WriteFileAtomically(path, bytes.data(), bytes.size());
}

} // namespace files
