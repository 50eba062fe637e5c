#include "settings/update_check_win.h"

#include <windows.h>
#include <winhttp.h>

#include <cstdlib>

#include "settings/update_check.h"
#include "settings/update_reply.h"
#include "settings/update_server.h"

static DWORD WINAPI CheckThreadStart(LPVOID parameter)
{
    return static_cast<DWORD>(UpdateCheckThread(static_cast<int32_t>(reinterpret_cast<intptr_t>(parameter))));
}

static int32_t StartCheckThread(int32_t origin)
{
    HANDLE thread = CreateThread(nullptr, 0, CheckThreadStart, reinterpret_cast<LPVOID>(static_cast<intptr_t>(origin)),
                                 0, nullptr);
    if (!thread)
        return 0;
    // Nobody waits for the check: it ends by itself.
    CloseHandle(thread);
    return 1;
}

// The first bytes of the body, into a zeroed buffer that stays a terminated text.
static int32_t ReadVersionFromBody(HINTERNET request)
{
    char body[kUpdateReplyLimit + 1] = {};
    DWORD got = 0;
    while (got < kUpdateReplyLimit) {
        DWORD read = 0;
        if (!WinHttpReadData(request, body + got, static_cast<DWORD>(kUpdateReplyLimit) - got, &read) || read == 0)
            break;
        got += read;
    }
    return ParseUpdateReply(body, got);
}

static int32_t FetchPublishedVersion()
{
    wchar_t host[sizeof updateServer.host];
    for (size_t i = 0; i < sizeof host / sizeof host[0]; i++)
        host[i] = static_cast<wchar_t>(static_cast<unsigned char>(updateServer.host[i]));
    host[sizeof host / sizeof host[0] - 1] = 0;

    HINTERNET client = WinHttpOpen(L"Pixlo", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                   WINHTTP_NO_PROXY_BYPASS, 0);
    if (!client)
        return 0;
    WinHttpSetTimeouts(client, 2000, 2000, 2000, 2000);
    HINTERNET connection = WinHttpConnect(client, host, static_cast<INTERNET_PORT>(updateServer.port), 0);
    if (!connection) {
        WinHttpCloseHandle(client);
        return 0;
    }
    HINTERNET request = WinHttpOpenRequest(connection, L"GET", L"/version.txt", nullptr, WINHTTP_NO_REFERER,
                                           WINHTTP_DEFAULT_ACCEPT_TYPES, 0);
    if (!request) {
        WinHttpCloseHandle(connection);
        WinHttpCloseHandle(client);
        return 0;
    }
    // The receive limit covers reading the body; waiting for the response
    // headers has a limit of its own, 90 s unless set. A server that accepts
    // and never answers must end the check after 2 s like every other step.
    DWORD headersLimitMs = 2000;
    WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersLimitMs, sizeof headersLimitMs);
    int32_t number = 0;
    if (WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
        WinHttpReceiveResponse(request, nullptr)) {
        DWORD status = 0;
        DWORD size = sizeof status;
        if (WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) &&
            status == 200)
            number = ReadVersionFromBody(request);
    }
    WinHttpCloseHandle(request);
    WinHttpCloseHandle(connection);
    WinHttpCloseHandle(client);
    return number;
}

static void PostResult(void* window, int32_t number, int32_t origin)
{
    PostMessageA(static_cast<HWND>(window), WM_UPDATE_RESULT, static_cast<WPARAM>(static_cast<uint32_t>(number)),
                 static_cast<LPARAM>(origin));
}

static void Repaint(void* window)
{
    InvalidateRect(static_cast<HWND>(window), nullptr, FALSE);
}

void FillUpdateCheckApi()
{
    ConfigureUpdateServer(std::getenv("PIXLO_UPDATE_HOST"), std::getenv("PIXLO_UPDATE_PORT"));
    updateCheckApi.startThread = StartCheckThread;
    updateCheckApi.fetchVersion = FetchPublishedVersion;
    updateCheckApi.postResult = PostResult;
    updateCheckApi.repaint = Repaint;
}
