// Status texts and the default file name, as the user reads them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/module_files.h"
#include "tests/ui/product_text.h"
#include "ui/shell_texts.h"

namespace {

TEST(ShellTexts, ProgressCutsTenths)
{
    struct Case {
        int32_t frames;
        int64_t ms;
        const char* text;
    } cases[] = {
        {57, 1000, "录制中...  已录 57 帧  1.0 秒"},
        {57, 999, "录制中...  已录 57 帧  0.9 秒"},  // cut, not rounded
        {0, 0, "录制中...  已录 0 帧  0.0 秒"},
        {8, 1099, "录制中...  已录 8 帧  1.0 秒"},
        {1234, 61950, "录制中...  已录 1234 帧  61.9 秒"},
    };
    for (const Case& c : cases) {
        char text[kStatusTextSize];
        FormatProgressText(text, sizeof text, c.frames, c.ms);
        EXPECT_EQ(text, ProductText(c.text)) << c.ms << " ms";
    }
}

TEST(ShellTexts, CompletionWithAndWithoutFrames)
{
    char text[kStatusTextSize];
    FormatDoneText(text, sizeof text, 42, 360, 200);
    EXPECT_EQ(text, ProductText("完成：42 帧 360x200，点【生成】"));
    FormatDoneText(text, sizeof text, 0, 360, 200);
    EXPECT_EQ(text, ProductText("录制完成但没有画面变化，请重新录制"));
    EXPECT_STREQ(kStatusNoFrames, text);
}

TEST(ShellTexts, SaveDialogOutcomes)
{
    struct Case {
        const char* what;
        int32_t accepted;
        uint32_t error;
        std::string path;
        SaveStep step;
        DialogPathEncoding encoding = kCodePagePath;
    } cases[] = {
        {"cancel", 0, 0, "", kSaveCancelled},
        // Cancel leaves the proposed name in the buffer.
        {"cancel with a name", 0, 0, "Z:\\app\\Pixlo.20260305_070809.gif", kSaveCancelled},
        {"path longer than the buffer", 0, 0x3003, "", kSaveDialogFailed},  // FNERR_BUFFERTOOSMALL
        {"dialog could not open", 0, 0xFFFF, "", kSaveDialogFailed},       // CDERR_DIALOGFAILURE
        {"plain name", 1, 0, "Z:\\app\\a.gif", kSaveWrite},
        {"accepted wins over a stale error", 1, 0x3003, "Z:\\app\\a.gif", kSaveWrite},
        // GBK trail bytes from 0x40 up: 丂 is 81 40, next to '?' (3F).
        {"chinese name", 1, 0, ProductText("Z:\\录制\\丂动图.gif"), kSaveWrite},
        {"characters outside the code page", 1, 0, ProductText("Z:\\app\\动图??.gif"), kSaveNameUnusable},
        {"one of them", 1, 0, "Z:\\app\\a?b.gif", kSaveNameUnusable},
        // GTK's dialog gives UTF-8, where '?' is part of the name.
        {"question mark in a utf-8 name", 1, 0, "/home/u/a?b.gif", kSaveWrite, kUtf8Path},
        {"utf-8 cancel", 0, 0, "", kSaveCancelled, kUtf8Path},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StepAfterSaveDialog(c.accepted, c.error, c.path.c_str(), c.encoding), c.step) << c.what;
}

TEST(ShellTexts, FixedTexts)
{
    EXPECT_EQ(kStatusRecording, ProductText("录制中..."));
    EXPECT_EQ(kStatusStopping, ProductText("正在停止..."));
    EXPECT_EQ(kStatusSaveFailed, ProductText("保存失败：无法写文件，请检查磁盘与目录权限"));
    EXPECT_EQ(kStatusNameUnusable, ProductText("保存失败：文件名含有无法使用的字符，请换一个名字"));
    EXPECT_EQ(kSaveTitle, ProductText("保存 GIF"));
    EXPECT_STREQ(kSaveExtension, "gif");
}

TEST(ShellTexts, SaveDialogFilterPairs)
{
    // Pairs of texts, each NUL-terminated, the list ended by an empty text.
    const std::string filter(kSaveFilter, static_cast<size_t>(kSaveFilterBytes));
    const std::string expected = ProductText("GIF 动图 (*.gif)") + '\0' + "*.gif" + '\0' +
                                 ProductText("所有文件 (*.*)") + '\0' + "*.*" + '\0' + '\0';
    EXPECT_EQ(filter, expected);
}

TEST(ShellTexts, SavedTextWithPathAndSize)
{
    char text[kStatusTextSize];
    FormatSavedText(text, sizeof text, "C:\\rec\\Pixlo.20260305_070809.gif", 57, 240, 180);
    EXPECT_EQ(text, ProductText("已保存：C:\\rec\\Pixlo.20260305_070809.gif（57 帧，240x180）"));
    // A path as long as the dialog allows still ends in a terminated text.
    std::string longPath(259, 'a');
    FormatSavedText(text, sizeof text, longPath.c_str(), 57, 240, 180);
    EXPECT_LT(std::strlen(text), sizeof text);
    EXPECT_NE(std::string(text).find(longPath), std::string::npos);
}

TEST(ShellTexts, DefaultNameFromLocalTime)
{
    struct Case {
        const char* directory;
        LocalTimeParts time;
        const char* path;
    } cases[] = {
        {"C:\\tools\\", {2026, 3, 5, 7, 8, 9}, "C:\\tools\\Pixlo.20260305_070809.gif"},
        {"", {2026, 12, 31, 23, 59, 59}, "Pixlo.20261231_235959.gif"},
        {"Z:\\a\\", {999, 1, 1, 0, 0, 0}, "Z:\\a\\Pixlo.09990101_000000.gif"},
    };
    for (const Case& c : cases) {
        char path[kGifPathSize];
        EXPECT_EQ(DefaultGifPath(path, sizeof path, c.directory, c.time), 1);
        EXPECT_STREQ(path, c.path);
    }
}

TEST(ShellTexts, DefaultNameThatDoesNotFitIsEmpty)
{
    const LocalTimeParts time = {2026, 3, 5, 7, 8, 9};
    // "Pixlo.20260305_070809.gif" is 25 bytes: 234 + 25 fills 259 and the NUL.
    char path[kGifPathSize];
    std::string fits(234, 'd');
    EXPECT_EQ(DefaultGifPath(path, sizeof path, fits.c_str(), time), 1);
    EXPECT_EQ(std::strlen(path), 259u);
    std::string tooLong(235, 'd');
    EXPECT_EQ(DefaultGifPath(path, sizeof path, tooLong.c_str(), time), 0);
    EXPECT_STREQ(path, "");
}

TEST(ShellTexts, TypedNameWithoutExtensionGetsGif)
{
    struct Case {
        const char* typed;
        const char* saved;
    } cases[] = {
        {"/home/u/clip", "/home/u/clip.gif"},
        {"/home/u/clip.gif", "/home/u/clip.gif"},
        {"/home/u/clip.png", "/home/u/clip.png"},  // the user's own choice
        {"/home/u.d/clip", "/home/u.d/clip.gif"},  // a dot in a folder is no extension
        {"/home/u/.clip", "/home/u/.clip.gif"},    // nor is a leading dot
        {"clip", "clip.gif"},
    };
    for (const Case& c : cases) {
        char path[64];
        std::strcpy(path, c.typed);
        EXPECT_EQ(AddGifExtension(path, sizeof path), 1) << c.typed;
        EXPECT_STREQ(path, c.saved);
    }
    // ".gif" and the NUL must fit: 5 bytes beyond the name.
    char path[12] = "/a/clip";
    EXPECT_EQ(AddGifExtension(path, sizeof path), 1);
    EXPECT_STREQ(path, "/a/clip.gif");
    char full[11] = "/a/cliptwo";
    EXPECT_EQ(AddGifExtension(full, sizeof full), 0);
    EXPECT_STREQ(full, "/a/cliptwo");
}

const char* fakeExecutable = nullptr;

int32_t FakeExecutablePath(char* buffer, int32_t size)
{
    if (!fakeExecutable || std::strlen(fakeExecutable) + 1 > static_cast<size_t>(size))
        return 0;
    std::strcpy(buffer, fakeExecutable);
    return 1;
}

TEST(ShellTexts, ExecutableDirectoryKeepsItsSeparator)
{
    const ModuleFilesApi saved = moduleFilesApi;
    moduleFilesApi.executablePath = FakeExecutablePath;
    struct Case {
        const char* executable;
        const char* directory;
    } cases[] = {
        {"/opt/Pixlo tools/pixlo.exe", "/opt/Pixlo tools/"},
        {"pixlo.exe", ""},
        {nullptr, ""},  // the path cannot be had
    };
    for (const Case& c : cases) {
        fakeExecutable = c.executable;
        char directory[kGifPathSize] = "stale";
        ExecutableDirectory(directory, sizeof directory);
        EXPECT_STREQ(directory, c.directory) << (c.executable ? c.executable : "(none)");
    }
    moduleFilesApi = saved;
}

}  // namespace
