#include "levelfile/levelfs.h"

#include "platform/base/syserror.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr DWORD kErrorDiskFull = 112;

DWORD ErrorFromErrno(int error)
{
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST: return ERROR_ACCESS_DENIED;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
    case EFBIG: return kErrorDiskFull;
    default: return ERROR_WRITE_FAULT;
    }
}

bool FailWith(DWORD code)
{
    SetLastError(code);
    return false;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

std::string Join(const std::string& folder, std::string_view component)
{
    if (folder.empty())
        return std::string(component);
    if (folder.back() == '/')
        return folder + std::string(component);
    return folder + "/" + std::string(component);
}

bool Exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

// The entry of `folder` spelled like `component` apart from letter case; of
// several, the first in byte order, so that the choice never depends on the
// order of the folder's listing.
std::string FindEntry(const std::string& folder, std::string_view component)
{
    std::error_code ec;
    fs::directory_iterator it(fs::path(folder.empty() ? "." : folder), ec);
    std::string best;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (SameIgnoringCase(entry, component) && (best.empty() || entry < best))
            best = entry;
    }
    return best;
}

}  // namespace

namespace levelfs {

std::string FindPath(const std::string& base, std::string_view name)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || IsSeparator(name[i])) {
            if (i > start)
                parts.push_back(name.substr(start, i - start));
            start = i + 1;
        }
    }
    std::string path = !name.empty() && IsSeparator(name[0]) ? "/" : base;
    if (parts.empty()) {
        if (!path.empty() && Exists(path))
            return path;
        SetLastError(ERROR_FILE_NOT_FOUND);
        return {};
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        std::string next = Join(path, parts[i]);
        std::error_code ec;
        if (!path.empty() && !fs::is_directory(fs::path(path), ec)) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return {};
        }
        if (parts[i] != "." && parts[i] != ".." && !Exists(next)) {
            const std::string entry = FindEntry(path, parts[i]);
            if (entry.empty()) {
                SetLastError(last ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
                return {};
            }
            next = Join(path, entry);
        }
        if (!Exists(next)) {
            SetLastError(last ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
            return {};
        }
        path = std::move(next);
    }
    return path;
}

bool IsFile(const std::string& path)
{
    std::error_code ec;
    return fs::is_regular_file(fs::path(path), ec);
}

std::string ProgramFolder()
{
    std::error_code ec;
    fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (ec || program.empty())
        return "./";
    std::string folder = program.parent_path().string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    std::error_code ec;
    if (fs::is_directory(fs::path(path), ec))
        return FailWith(ERROR_ACCESS_DENIED);
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return FailWith(ErrorFromErrno(errno));
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
        bytes.append(buffer, got);
        if (got < sizeof buffer) {
            ok = !std::ferror(file);
            break;
        }
    }
    std::fclose(file);
    if (!ok) {
        bytes.clear();
        return FailWith(ERROR_READ_FAULT);
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const void* bytes, std::size_t size)
{
    std::error_code ec;
    fs::path target(path);
    // Through a symbolic link the file it points at is replaced.
    if (fs::is_symlink(target, ec)) {
        target = fs::canonical(target, ec);
        if (ec)
            return FailWith(ERROR_PATH_NOT_FOUND);
    }
    const fs::file_status status = fs::status(target, ec);
    if (fs::is_directory(status))
        return FailWith(ERROR_ACCESS_DENIED);
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    if (!fs::is_directory(folder, ec))
        return FailWith(ERROR_PATH_NOT_FOUND);

    // A hidden file of its own in the same folder, so that the rename below
    // replaces the old file in one step.
    static std::mt19937 names{std::random_device{}()};
    fs::path temp;
    std::FILE* file = nullptr;
    int openError = 0;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        temp = folder / ("." + target.filename().string() + ".tmp-" + std::to_string(names()));
        errno = 0;
        file = std::fopen(temp.c_str(), "wbx");
        openError = errno;
    }
    if (!file)
        return FailWith(ErrorFromErrno(openError));

    errno = 0;
    bool ok = size == 0 || std::fwrite(bytes, 1, size, file) == size;
    ok = std::fflush(file) == 0 && ok;
    int writeError = errno;
    ok = std::fclose(file) == 0 && ok;
    if (!ok && writeError == 0)
        writeError = errno;
    if (ok && fs::exists(status)) {
        fs::permissions(temp, status.permissions() | fs::perms::owner_write, ec);
    }
    if (ok) {
        fs::rename(temp, target, ec);
        if (ec) {
            ok = false;
            writeError = ec.value();
        }
    }
    if (!ok) {
        fs::remove(temp, ec);
        return FailWith(writeError ? ErrorFromErrno(writeError) : ERROR_WRITE_FAULT);
    }
    return true;
}

}  // namespace levelfs
