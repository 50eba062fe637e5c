#include "ui/shell_texts.h"

#include <cstdio>
#include <cstring>

#include "common/module_files.h"

const char kStatusRecording[] = "录制中...";
const char kStatusStopping[] = "正在停止...";
const char kStatusNoFrames[] = "录制完成但没有画面变化，请重新录制";
const char kStatusSaveFailed[] = "保存失败：无法写文件，请检查磁盘与目录权限";
const char kStatusNameUnusable[] = "保存失败：文件名含有无法使用的字符，请换一个名字";

// sizeof keeps the embedded NULs: the dialog reads pairs up to an empty text.
const char kSaveFilter[] = "GIF 动图 (*.gif)\0*.gif\0所有文件 (*.*)\0*.*\0";
const int32_t kSaveFilterBytes = sizeof kSaveFilter;
const char kSaveTitle[] = "保存 GIF";
const char kSaveExtension[] = "gif";

void FormatProgressText(char* buffer, int32_t size, int32_t frames, int64_t milliseconds)
{
    std::snprintf(buffer, static_cast<size_t>(size), "录制中...  已录 %d 帧  %d.%d 秒", frames,
                  static_cast<int>(milliseconds / 1000), static_cast<int>(milliseconds % 1000 / 100));
}

void FormatDoneText(char* buffer, int32_t size, int32_t frames, int32_t outWidth, int32_t outHeight)
{
    if (frames >= 1)
        std::snprintf(buffer, static_cast<size_t>(size), "完成：%d 帧 %dx%d，点【生成】", frames, outWidth,
                      outHeight);
    else
        std::snprintf(buffer, static_cast<size_t>(size), "%s", kStatusNoFrames);
}

void FormatSavedText(char* buffer, int32_t size, const char* path, int32_t frames, int32_t outWidth,
                     int32_t outHeight)
{
    std::snprintf(buffer, static_cast<size_t>(size), "已保存：%s（%d 帧，%dx%d）", path, frames, outWidth,
                  outHeight);
}

void FormatHotkeyTakenText(char* buffer, int32_t size, const char* hotkey)
{
    std::snprintf(buffer, static_cast<size_t>(size), "热键 %s 已被其他程序占用", hotkey);
}

SaveStep StepAfterSaveDialog(int32_t accepted, uint32_t dialogError, const char* path,
                             DialogPathEncoding encoding)
{
    if (!accepted)
        return dialogError == 0 ? kSaveCancelled : kSaveDialogFailed;
    if (encoding == kUtf8Path)
        return kSaveWrite;
    // '?' is never a GBK trail byte (those start at 0x40), so a byte scan
    // cannot mistake half of a Chinese character for it.
    return std::strchr(path, '?') ? kSaveNameUnusable : kSaveWrite;
}

int DefaultGifPath(char* buffer, int32_t size, const char* directory, const LocalTimeParts& t)
{
    const int written = std::snprintf(buffer, static_cast<size_t>(size), "%sPixlo.%04d%02d%02d_%02d%02d%02d.gif",
                                      directory, t.year, t.month, t.day, t.hour, t.minute, t.second);
    if (written < 0 || written >= size) {
        buffer[0] = '\0';
        return 0;
    }
    return 1;
}

int AddGifExtension(char* path, int32_t size)
{
    const size_t length = std::strlen(path);
    const char* name = path + DirectoryEnd(path);
    // A leading dot names a hidden file, not an extension.
    if (name[0] && std::strchr(name + 1, '.'))
        return 1;
    if (length + 4 >= static_cast<size_t>(size))
        return 0;
    std::memcpy(path + length, ".gif", 5);
    return 1;
}

void ExecutableDirectory(char* buffer, int32_t size)
{
    buffer[0] = '\0';
    char path[kModulePathSize];
    if (!moduleFilesApi.executablePath(path, sizeof path))
        return;
    path[kModulePathSize - 1] = '\0';
    const int32_t end = DirectoryEnd(path);
    if (end >= size)
        return;
    std::memcpy(buffer, path, static_cast<size_t>(end));
    buffer[end] = '\0';
}
