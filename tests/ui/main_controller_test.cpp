// The main window's controller: sequences of window events against the
// system calls it makes (status texts, enable states, the capture's start,
// the Save dialog, the hotkey), with a fake window and a fake capture thread
// whose end the test chooses.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "encoder/frame_store.h"
#include "image/output_geometry.h"
#include "recorder/capture.h"
#include "recorder/recorder_state.h"
#include "settings/settings.h"
#include "tests/support/files.h"
#include "tests/support/recording_fixture.h"
#include "tests/ui/product_text.h"
#include "ui/main_controller.h"

namespace {

std::vector<std::string> calls;

// The Save dialog's answer for the current case.
SavePathChoice dialogChoice = kSavePathChosen;
uint32_t dialogErrorCode = 0;
std::string dialogPath;
int32_t hotkeyFree = 1;

int thread = 0;  // the fake thread's handle

std::string Enables(const ButtonEnables& e)
{
    std::string text = "enables ";
    for (int32_t on : e.enabled)
        text += on ? '1' : '0';
    return text;
}

void ShowStatus(const char* text)
{
    calls.push_back("status " + std::string(text));
}

void SetEnables(const ButtonEnables& e)
{
    calls.push_back(Enables(e));
}

void ClientPlace(int32_t* width, int32_t* height, int32_t* left, int32_t* top)
{
    *width = 500;
    *height = 400;
    *left = 1000;
    *top = 2000;
}

void ClearViewfinder()
{
    // The capture must not have started: the guides go before the first tick.
    calls.push_back(recorderState.recording.load() ? "clear after start" : "clear");
    // Clearing runs the event loop, which may bring the hotkey: it must not
    // start a second recording.
    MainHotkey();
}

void Repaint()
{
    calls.push_back("repaint");
}

LocalTimeParts LocalTime()
{
    return {2026, 3, 5, 7, 8, 9};
}

SavePathChoice AskSavePath(const LocalTimeParts& now, char* path, int32_t size, uint32_t* error)
{
    calls.push_back("ask " + std::to_string(now.year) + "-" + std::to_string(now.month) + "-" +
                    std::to_string(now.day) + " " + std::to_string(now.second) + " size " + std::to_string(size));
    // The dialog's own message loop delivers the hotkey: it must do nothing.
    MainHotkey();
    std::snprintf(path, static_cast<size_t>(size), "%s", dialogPath.c_str());
    *error = dialogErrorCode;
    return dialogChoice;
}

void SavedTo(const char*)
{
    calls.push_back("saved to");
}

void OpenSettings()
{
    calls.push_back("settings");
}

int32_t RegisterHotkey(const Hotkey& hotkey)
{
    calls.push_back("register " + std::to_string(hotkey.modifiers) + " " + std::to_string(hotkey.key));
    return hotkeyFree;
}

void ReleaseHotkey()
{
    calls.push_back("release");
}

void CloseThread(void* handle)
{
    calls.push_back(handle == &thread ? "close thread" : "close other");
}

// The capture thread: started, it runs until the test ends it.
int StartThread()
{
    calls.push_back("capture " + std::to_string(recorderState.capX) + "," + std::to_string(recorderState.capY) +
                    " " + std::to_string(recorderState.capW) + "x" + std::to_string(recorderState.capH));
    recorderState.thread = &thread;
    return 1;
}

// Closing waits: the thread sees the stop request and ends.
void WaitThread(uint32_t)
{
    if (recorderState.stopRequest.load())
        recorderState.recording.store(0);
}

enum Event {
    kRecord,
    kStop,
    kGenerate,
    kSettings,
    kProgress,    // 5 frames, 1.29 s
    kThreadEnds,  // with 3 frames of 120 x 90
    kThreadEndsEmpty,
    kHotkey,
    kClose,
};

struct Step {
    Event event;
    std::vector<std::string> calls;
};

struct Case {
    const char* name;
    std::vector<Step> steps;
    SavePathChoice choice = kSavePathChosen;
    uint32_t dialogError = 0;
    std::string path;  // "" for a file in the scratch folder
    DialogPathEncoding encoding = kUtf8Path;
};

class MainControllerFlow : public RecordingTest {
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        savedCapture = captureApi;
        captureApi.startThread = StartThread;
        captureApi.waitThread = WaitThread;
        captureApi.postMessage = nullptr;
        settings.fps = 15;
        settings.outw = 0;
        recorderState.recording.store(0);
        recorderState.thread = nullptr;
        hotkeyFree = 1;
    }
    void TearDown() override
    {
        MainWindowClosing();
        mainWindowApi = {};
        captureApi = savedCapture;
        recorderState.recording.store(0);
        recorderState.thread = nullptr;
        RecordingTest::TearDown();
    }

    void Apply(Event event)
    {
        switch (event) {
        case kRecord: MainCommand(ID_RECORD); break;
        case kStop: MainCommand(ID_STOP); break;
        case kGenerate: MainCommand(ID_GENERATE); break;
        case kSettings: MainCommand(ID_SETTINGS); break;
        case kProgress: MainRecordingProgress(5, 1290); break;
        case kThreadEnds:
        case kThreadEndsEmpty: {
            const int32_t frames = event == kThreadEnds ? 3 : 0;
            uint8_t palette[768] = {};
            const uint8_t stream[4] = {2, 0x4C, 0x01, 0};
            for (int32_t i = 0; i < frames; i++)
                AppendFrame(stream, 4, palette, 100);
            outputGeometry = {120, 90};
            recorderState.recording.store(0);
            MainRecordingDone(frames);
            break;
        }
        case kHotkey: MainHotkey(); break;
        case kClose: MainWindowClosing(); break;
        }
    }

private:
    CaptureApi savedCapture;
};

std::string Status(const std::string& utf8)
{
    return "status " + ProductText(utf8);
}

TEST_F(MainControllerFlow, EventsGiveStatusesEnablesAndCalls)
{
    const std::string saved = ScratchPath("controller flow.gif");
    // The recording area of a 500 x 400 client whose corner is at (1000, 2000).
    const std::string capture = "capture 1006,2042 488x352";
    const std::string ask = "ask 2026-3-5 9 size " + std::to_string(kSavePathSize);
    const std::string recording = Status("录制中...");
    const std::string done = Status("完成：3 帧 120x90，点【生成】");
    const std::vector<std::string> record = {"enables 0100", recording, "clear", capture, "repaint"};
    const std::vector<std::string> stop = {"enables 0000", Status("正在停止...")};
    const std::vector<std::string> ended = {"enables 1011", done, "repaint"};
    const Case cases[] = {
        {"record, progress, stop, done, save",
         {{kRecord, record},
          {kProgress, {Status("录制中...  已录 5 帧  1.2 秒")}},
          {kStop, stop},
          {kThreadEnds, ended},
          {kGenerate, {ask, "saved to", Status("已保存：" + saved + "（3 帧，120x90）")}}}},
        {"the dialog cancelled: the status stays",
         {{kRecord, record}, {kStop, stop}, {kThreadEnds, ended}, {kGenerate, {ask}}},
         kSavePathRefused},
        {"the dialog failed",
         {{kRecord, record}, {kStop, stop}, {kThreadEnds, ended},
          {kGenerate, {ask, Status("保存失败：无法写文件，请检查磁盘与目录权限")}}},
         kSavePathRefused,
         0x3003},
        {"a name the code page cannot hold",
         {{kRecord, record}, {kStop, stop}, {kThreadEnds, ended},
          {kGenerate, {ask, Status("保存失败：文件名含有无法使用的字符，请换一个名字")}}},
         kSavePathChosen,
         0,
         "Z:\\a?b.gif",
         kCodePagePath},
        {"the write failed",
         {{kRecord, record}, {kStop, stop}, {kThreadEnds, ended},
          {kGenerate, {ask, Status("保存失败：无法写文件，请检查磁盘与目录权限")}}},
         kSavePathChosen,
         0,
         ScratchPath("no such folder/x.gif")},
        {"no frames: Generate stays off and does nothing",
         {{kRecord, record},
          {kStop, stop},
          {kThreadEndsEmpty, {"enables 1001", Status("录制完成但没有画面变化，请重新录制"), "repaint"}},
          {kGenerate, {}}}},
        {"the hotkey toggles: record, stop, record again after the end",
         {{kHotkey, record},
          {kHotkey, stop},
          {kHotkey, {}},  // stopping: nothing
          {kThreadEnds, ended},
          {kHotkey, record}}},
        {"the hotkey while the Save dialog is open does nothing",
         {{kRecord, record}, {kHotkey, stop}, {kThreadEnds, ended}, {kGenerate, {ask}}},
         kSavePathRefused},
        {"settings", {{kSettings, {"settings"}}}},
        {"closing while recording stops the thread and releases its handle",
         {{kRecord, record}, {kClose, {"close thread"}}}},
        {"closing while stopping", {{kRecord, record}, {kStop, stop}, {kClose, {"close thread"}}}},
        {"closing idle", {{kClose, {}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearFrames();
        recorderState.stopRequest.store(0);
        dialogChoice = c.choice;
        dialogErrorCode = c.dialogError;
        dialogPath = c.path.empty() ? saved : c.path;
        mainWindowApi = {ShowStatus, SetEnables,    ClientPlace,    ClearViewfinder, Repaint,
                         LocalTime,  AskSavePath,   SavedTo,        OpenSettings,    RegisterHotkey,
                         ReleaseHotkey, CloseThread, c.encoding};
        int index = 0;
        for (const Step& step : c.steps) {
            calls.clear();
            Apply(step.event);
            EXPECT_EQ(calls, step.calls) << "step " << index;
            index++;
        }
        // A recording the case left running ends before the next case.
        MainWindowClosing();
        recorderState.thread = nullptr;
    }
}

TEST_F(MainControllerFlow, ASavedFileHoldsTheFrames)
{
    mainWindowApi = {ShowStatus, SetEnables, ClientPlace, ClearViewfinder, Repaint, LocalTime, AskSavePath, SavedTo,
                     OpenSettings, RegisterHotkey, ReleaseHotkey, CloseThread, kUtf8Path};
    dialogChoice = kSavePathChosen;
    dialogPath = ScratchPath("controller frames.gif");
    Apply(kRecord);
    Apply(kStop);
    Apply(kThreadEnds);
    Apply(kGenerate);
    const std::vector<uint8_t> bytes = ReadWholeFile(dialogPath);
    ASSERT_GE(bytes.size(), 13u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
    EXPECT_EQ(bytes[6] | bytes[7] << 8, 120);
    EXPECT_EQ(bytes[8] | bytes[9] << 8, 90);
}

TEST_F(MainControllerFlow, HotkeyRegistration)
{
    const struct {
        const char* name;
        Hotkey hotkey;
        int32_t free;
        std::vector<std::string> atStart;
        std::vector<std::string> atClose;
    } cases[] = {
        {"free", kDefaultHotkey, 1, {"register 5 82"}, {"release"}},
        {"taken: said once, nothing to release", {kHotkeyCtrl, kKeyF1 + 8}, 0,
         {"register 2 120", Status("热键 Ctrl+F9 已被其他程序占用")}, {}},
        {"off: nothing registered", {0, 0}, 1, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mainWindowApi = {ShowStatus, SetEnables, ClientPlace, ClearViewfinder, Repaint, LocalTime, AskSavePath,
                         SavedTo, OpenSettings, RegisterHotkey, ReleaseHotkey, CloseThread, kUtf8Path};
        hotkeyFree = c.free;
        calls.clear();
        MainWindowStarted(c.hotkey);
        EXPECT_EQ(calls, c.atStart);
        calls.clear();
        MainWindowClosing();
        EXPECT_EQ(calls, c.atClose);
    }
}

}  // namespace
