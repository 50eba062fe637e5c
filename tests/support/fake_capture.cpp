#include "tests/support/fake_capture.h"

#include <cstring>

#include "common/memory.h"
#include "recorder/recorder_state.h"

namespace {

FakeCapture* active = nullptr;
int currentTick = 0;

uint32_t TickCount()
{
    uint32_t ms = active->NowMs();
    active->nowMicros += 1;
    return ms;
}

void Sleep(uint32_t ms)
{
    active->sleeps.push_back(ms);
    active->Spend(ms);
}

void BeginPeriod()
{
    active->periodsBegun++;
}

void EndPeriod()
{
    active->periodsEnded++;
}

uint8_t* OpenScreen(int32_t, int32_t, int32_t w, int32_t h)
{
    active->opens++;
    int32_t bytes = PixelBufferBytes(w, h);
    if (active->failOpen || bytes == 0)
        return nullptr;
    active->width = w;
    active->height = h;
    active->screen.assign(static_cast<size_t>(bytes), 0);
    currentTick = 0;
    return active->screen.data();
}

void GrabScreen()
{
    active->grabTimes.push_back(active->NowMs());
    if (active->onGrab)
        active->onGrab(currentTick);
    currentTick++;
}

void CloseScreen()
{
    active->closes++;
}

int GetCursor(CursorState* state)
{
    *state = active->cursor;
    return 1;
}

// '#' black, 'o' white, '.' left as it is.
const char* const kFakeCursor[kFakeCursorHeight] = {
    "#.......", "##......", "#o#.....", "#oo#....", "#ooo#...", "#oooo#..",
    "#ooooo#.", "#oooooo#", "#ooo####", "#o#o#...", "##.#o#..", "#...##..",
};

void PaintCursor(int32_t x, int32_t y)
{
    for (int32_t row = 0; row < kFakeCursorHeight; row++)
        for (int32_t column = 0; column < kFakeCursorWidth; column++) {
            const char c = kFakeCursor[row][column];
            const int32_t sx = x + column, sy = y + row;
            if (c == '.' || sx < 0 || sy < 0 || sx >= active->width || sy >= active->height)
                continue;
            uint8_t* pixel = &active->screen[(static_cast<size_t>(sy) * active->width + sx) * 4];
            std::memset(pixel, c == '#' ? 0 : 255, 3);
        }
}

void DrawCursor(int32_t x, int32_t y)
{
    if (active->paintCursor)
        PaintCursor(x, y);
    active->cursorDraws.push_back({x, y});
    active->cursorDrawTicks.push_back(currentTick - 1);
}

void Post(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    active->messages.push_back({message, wParam, lParam});
}

int StartThread()
{
    if (active->failThread)
        return 0;
    recorderState.thread = active;
    CaptureThreadProc();
    return 1;
}

void WaitThread(uint32_t) {}

}  // namespace

ScopedFakeCapture::ScopedFakeCapture() : fake(*new FakeCapture), saved(captureApi)
{
    active = &fake;
    captureApi = {TickCount, Sleep,    BeginPeriod, EndPeriod, OpenScreen, GrabScreen, CloseScreen,
                  GetCursor, DrawCursor, Post,      StartThread, WaitThread};
}

ScopedFakeCapture::~ScopedFakeCapture()
{
    captureApi = saved;
    active = nullptr;
    recorderState.thread = nullptr;
    delete &fake;
}

std::vector<PostedMessage> MessagesOf(const FakeCapture& fake, uint32_t message)
{
    std::vector<PostedMessage> found;
    for (const PostedMessage& m : fake.messages)
        if (m.message == message)
            found.push_back(m);
    return found;
}
