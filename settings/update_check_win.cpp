#include "settings/update_check_win.h"

#include <windows.h>
#include <winhttp.h>

#include <cstdlib>
#include <new>

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

namespace {

// What the request's callback hands to the check's thread. The request runs
// asynchronously so that the thread can stop waiting at the deadline and
// close the request, which ends the exchange wherever it is (redirects and a
// reply that never ends included). WinHTTP may still write into body and call
// back after that, so the record lives until the handle's last callback; the
// check's thread and the request handle each hold one reference.
struct Exchange {
    LONG references;
    HANDLE completed;  // auto-reset: one operation is outstanding at a time
    DWORD status;      // the last completion's WINHTTP_CALLBACK_STATUS_*
    DWORD bytesRead;
    char body[kUpdateReplyLimit + 1];
};

void Release(Exchange* exchange)
{
    if (InterlockedDecrement(&exchange->references) == 0) {
        CloseHandle(exchange->completed);
        delete exchange;
    }
}

void CALLBACK OnRequestStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD length)
{
    Exchange* exchange = reinterpret_cast<Exchange*>(context);
    if (!exchange)
        return;
    switch (status) {
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
        Release(exchange);
        return;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        exchange->bytesRead = length;
        break;
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        break;
    default:
        return;
    }
    exchange->status = status;
    SetEvent(exchange->completed);
}

// Waits for the outstanding operation until the deadline; 1 when it ended
// with the expected completion.
int32_t Await(Exchange* exchange, ULONGLONG deadline, DWORD expected)
{
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline)
        return 0;
    if (WaitForSingleObject(exchange->completed, static_cast<DWORD>(deadline - now)) != WAIT_OBJECT_0)
        return 0;
    return exchange->status == expected;
}

int32_t QueryNumber(HINTERNET request, DWORD query, DWORD* number)
{
    DWORD size = sizeof *number;
    return WinHttpQueryHeaders(request, query | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX, number,
                               &size, WINHTTP_NO_HEADER_INDEX) != FALSE;
}

// Send, headers, status, and the body's first bytes; the version number or 0.
int32_t AskForVersion(HINTERNET request, Exchange* exchange, ULONGLONG deadline)
{
    const DWORD_PTR context = reinterpret_cast<DWORD_PTR>(exchange);
    if (!WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, context) ||
        !Await(exchange, deadline, WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE))
        return 0;
    if (!WinHttpReceiveResponse(request, nullptr) ||
        !Await(exchange, deadline, WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE))
        return 0;
    DWORD status = 0;
    if (!QueryNumber(request, WINHTTP_QUERY_STATUS_CODE, &status) || status != 200)
        return 0;
    // Reads ask for the rest of the first 63 bytes until the body ends.
    DWORD got = 0;
    while (got < kUpdateReplyLimit) {
        if (!WinHttpReadData(request, exchange->body + got, static_cast<DWORD>(kUpdateReplyLimit) - got, nullptr) ||
            !Await(exchange, deadline, WINHTTP_CALLBACK_STATUS_READ_COMPLETE))
            return 0;
        if (exchange->bytesRead == 0)
            break;
        got += exchange->bytesRead;
    }
    // A body that ended before its announced length was cut short: its
    // digits may be a part of the number.
    DWORD announced = 0;
    if (got < kUpdateReplyLimit && QueryNumber(request, WINHTTP_QUERY_CONTENT_LENGTH, &announced) &&
        got < announced)
        return 0;
    return ParseUpdateReply(exchange->body, got);
}

int32_t FetchPublishedVersion()
{
    const ULONGLONG deadline = GetTickCount64() + kUpdateCheckDeadlineMs;
    wchar_t host[sizeof updateServer.host];
    for (size_t i = 0; i < sizeof host / sizeof host[0]; i++)
        host[i] = static_cast<wchar_t>(static_cast<unsigned char>(updateServer.host[i]));
    host[sizeof host / sizeof host[0] - 1] = 0;

    HINTERNET client = WinHttpOpen(L"Pixlo", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                   WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    if (!client)
        return 0;
    WinHttpSetTimeouts(client, kUpdateStepLimitMs, kUpdateStepLimitMs, kUpdateStepLimitMs, kUpdateStepLimitMs);
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
    // headers has a limit of its own, 90 s unless set.
    DWORD headersLimitMs = kUpdateStepLimitMs;
    WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersLimitMs, sizeof headersLimitMs);
    // The check asks the update host and no other: a redirect is a reply
    // other than 200, as it is for the native check.
    DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof noRedirects);

    int32_t number = 0;
    Exchange* exchange = new (std::nothrow) Exchange{};
    HANDLE completed = exchange ? CreateEventA(nullptr, FALSE, FALSE, nullptr) : nullptr;
    if (completed) {
        exchange->references = 2;
        exchange->completed = completed;
        DWORD_PTR context = reinterpret_cast<DWORD_PTR>(exchange);
        if (WinHttpSetOption(request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context) &&
            WinHttpSetStatusCallback(request, OnRequestStatus,
                                     WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES,
                                     0) != WINHTTP_INVALID_STATUS_CALLBACK)
            number = AskForVersion(request, exchange, deadline);
        else
            Release(exchange);  // no callback will come for the handle's reference
    } else {
        delete exchange;
        exchange = nullptr;
    }
    WinHttpCloseHandle(request);
    WinHttpCloseHandle(connection);
    WinHttpCloseHandle(client);
    if (exchange)
        Release(exchange);
    return number;
}

}  // namespace

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
