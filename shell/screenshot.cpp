#include "shell/screenshot.h"

#include "anim/filemap.h"
#include "anim/graphic.h"
#include "levelfile/datafile.h"
#include "platform/ddraw/presenter.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace {
bool IsFolder(const std::string& path)
{
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WithSeparator(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}
} // namespace

std::string ScreenshotName(const std::tm& local)
{
    char name[64];
    std::snprintf(name, sizeof name, "varno-%04d%02d%02d-%02d%02d%02d.bmp", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return name;
}

std::string ScreenshotFolder()
{
    if (const char* xdg = std::getenv("XDG_PICTURES_DIR"); xdg && IsFolder(xdg))
        return WithSeparator(xdg);
    if (const char* home = std::getenv("HOME"); home && *home) {
        const std::string pictures = WithSeparator(home) + "Pictures";
        if (IsFolder(pictures))
            return WithSeparator(pictures);
    }
    return DataFilePath("");
}

std::string SaveScreenshot()
{
    int width = 0, height = 0;
    const std::vector<std::uint32_t>& pixels = presenter::LastPicture(&width, &height);
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<std::size_t>(width) * height)
        return {};

    GRAPHIC picture(width, height, 24, 0xFFFFFFFFul);
    auto* bits = static_cast<unsigned char*>(picture.GetPixelBuffer());
    if (picture.fEmpty() || !bits)
        return {};
    const unsigned long stride = picture.GetBytesPerLine();
    const bool topDown = picture.fTopDown();
    for (int y = 0; y < height; ++y) {
        unsigned char* row = bits + stride * static_cast<unsigned long>(topDown ? y : height - 1 - y);
        const std::uint32_t* src = &pixels[static_cast<std::size_t>(y) * width];
        for (int x = 0; x < width; ++x) {
            row[x * 3 + 0] = static_cast<unsigned char>(src[x]);
            row[x * 3 + 1] = static_cast<unsigned char>(src[x] >> 8);
            row[x * 3 + 2] = static_cast<unsigned char>(src[x] >> 16);
        }
    }

    std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    const std::string path = ScreenshotFolder() + ScreenshotName(local);
    // Written beside its final name and renamed into place, so a failed
    // write never leaves a broken picture behind.
    const std::string temp = path + ".tmp";
    bool ok = false;
    {
        FILEMAP file;
        if (file.Open(temp.c_str(), 0x1000)) {
            ok = picture.Save(file, 1) != 0;
            file.Close();
        }
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0)
        return path;
    std::remove(temp.c_str());
    return {};
}
