#include "settings/update_check.h"

#include <cstdio>

#include "settings/update_reply.h"

int32_t updateBusy;
char updateStatusText[kUpdateStatusTextSize];
UpdateWindows updateWindows;
UpdateCheckApi updateCheckApi;

static void ShowStatus(const char* text)
{
    std::snprintf(updateStatusText, sizeof updateStatusText, "%s", text);
    if (updateWindows.settingsWindow && updateCheckApi.repaint)
        updateCheckApi.repaint(updateWindows.settingsWindow);
}

void StartUpdateCheck(int32_t origin)
{
    // A check in progress is not disturbed, and its text stays.
    if (updateBusy)
        return;
    if (!updateWindows.mainWindow)
        return;
    updateBusy = 1;
    ShowStatus(updateTextChecking);
    if (updateCheckApi.startThread && updateCheckApi.startThread(origin))
        return;
    updateBusy = 0;
    ShowStatus(updateTextFailed);
}

int32_t UpdateCheckThread(int32_t origin)
{
    int32_t number = updateCheckApi.fetchVersion ? updateCheckApi.fetchVersion() : 0;
    if (updateCheckApi.postResult)
        updateCheckApi.postResult(updateWindows.mainWindow, number, origin);
    return 0;
}

void HandleUpdateResult(uint64_t number)
{
    updateBusy = 0;
    ShowStatus(UpdateResultText(static_cast<int32_t>(static_cast<uint32_t>(number))));
}
