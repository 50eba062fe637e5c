#include "settings/update_check_posix.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "settings/http_reply.h"
#include "settings/update_check.h"
#include "settings/update_reply.h"
#include "settings/update_server.h"

NameLookupApi nameLookupApi = {getaddrinfo, freeaddrinfo};

namespace {

// The check's one deadline; every wait gets the time left, and no more than
// a step's own limit.
class Deadline {
public:
    explicit Deadline(int32_t totalMs) : end(std::chrono::steady_clock::now() + std::chrono::milliseconds(totalMs))
    {
    }
    int32_t LeftMs() const
    {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
        return left > 0 ? static_cast<int32_t>(left) : 0;
    }
    int32_t StepLimitMs() const
    {
        const int32_t left = LeftMs();
        return left < kUpdateStepLimitMs ? left : kUpdateStepLimitMs;
    }
    std::chrono::steady_clock::time_point end;
};

int WaitFor(int fd, short events, int32_t limitMs)
{
    pollfd p = {fd, events, 0};
    int n;
    do
        n = poll(&p, 1, limitMs);
    while (n < 0 && errno == EINTR);
    return n == 1 && (p.revents & (events | POLLHUP | POLLERR));
}

// A name lookup that the check may stop waiting for. Whoever lets go of it
// last (the check, or the helper thread when the lookup returns late) frees it
// and its answer.
struct PendingLookup {
    std::mutex mutex;
    std::condition_variable finished;
    int32_t done = 0;
    addrinfo* found = nullptr;
    std::string host;
    std::string service;
    void (*release)(addrinfo*) = nullptr;
    ~PendingLookup()
    {
        if (found)
            release(found);
    }
};

// The resolver has no time limit of its own, so it runs on a detached helper
// thread and the check waits for it only until its limit runs out.
addrinfo* LookUp(const char* host, int32_t port, int32_t limitMs)
{
    auto lookup = std::make_shared<PendingLookup>();
    lookup->host = host;
    lookup->service = std::to_string(port);
    lookup->release = nameLookupApi.release;
    const auto resolve = nameLookupApi.resolve;
    try {
        std::thread([lookup, resolve] {
            addrinfo hints = {};
            hints.ai_family = AF_UNSPEC;
            hints.ai_socktype = SOCK_STREAM;
            addrinfo* found = nullptr;
            if (resolve(lookup->host.c_str(), lookup->service.c_str(), &hints, &found) != 0)
                found = nullptr;
            std::lock_guard<std::mutex> hold(lookup->mutex);
            lookup->found = found;
            lookup->done = 1;
            lookup->finished.notify_all();
        }).detach();
    } catch (...) {
        return nullptr;
    }
    std::unique_lock<std::mutex> hold(lookup->mutex);
    if (!lookup->finished.wait_for(hold, std::chrono::milliseconds(limitMs), [&] { return lookup->done != 0; }))
        return nullptr;
    addrinfo* found = lookup->found;
    lookup->found = nullptr;
    return found;
}

int ConnectTo(const char* host, int32_t port, const Deadline& deadline)
{
    addrinfo* found = LookUp(host, port, deadline.StepLimitMs());
    if (!found)
        return -1;
    int fd = -1;
    for (addrinfo* a = found; a; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0)
            continue;
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0)
            break;
        int error = 0;
        socklen_t size = sizeof error;
        if (errno == EINPROGRESS && WaitFor(fd, POLLOUT, deadline.StepLimitMs()) &&
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
            break;
        close(fd);
        fd = -1;
    }
    nameLookupApi.release(found);
    return fd;
}

int SendAll(int fd, const char* data, size_t length, const Deadline& deadline)
{
    while (length > 0) {
        if (!WaitFor(fd, POLLOUT, deadline.StepLimitMs()))
            return 0;
        const ssize_t sent = send(fd, data, length, MSG_NOSIGNAL);
        if (sent < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (sent <= 0)
            return 0;
        data += sent;
        length -= static_cast<size_t>(sent);
    }
    return 1;
}

int32_t ReadReply(int fd, const Deadline& deadline)
{
    // The head and the body's first bytes; a head that does not fit is no reply.
    char received[8192];
    size_t got = 0;
    HttpReply reply;
    for (;;) {
        if (got == sizeof received)
            return 0;
        if (!WaitFor(fd, POLLIN, deadline.StepLimitMs()))
            return 0;
        const ssize_t n = recv(fd, received + got, sizeof received - got, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n < 0)
            return 0;
        got += static_cast<size_t>(n);
        const HttpReplyState state = ReadHttpReply(received, got, n == 0, &reply);
        if (state == HttpReplyState::broken)
            return 0;
        if (state == HttpReplyState::complete)
            break;
    }
    if (reply.status != 200)
        return 0;
    return ParseUpdateReply(reply.body, reply.bodyLength);
}

int32_t FetchPublishedVersion()
{
    return FetchVersionOverHttp(updateServer.host, updateServer.port, kUpdateCheckDeadlineMs);
}

int32_t StartCheckThread(int32_t origin)
{
    try {
        // Nobody waits for the check: it ends by itself.
        std::thread([origin] { UpdateCheckThread(origin); }).detach();
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace

int32_t FetchVersionOverHttp(const char* host, int32_t port, int32_t deadlineMs)
{
    const Deadline deadline(deadlineMs);
    const int fd = ConnectTo(host, port, deadline);
    if (fd < 0)
        return 0;
    char request[256];
    const int length = port == 80
                           ? std::snprintf(request, sizeof request,
                                           "GET /version.txt HTTP/1.1\r\nHost: %s\r\nUser-Agent: Pixlo\r\n"
                                           "Connection: close\r\n\r\n",
                                           host)
                           : std::snprintf(request, sizeof request,
                                           "GET /version.txt HTTP/1.1\r\nHost: %s:%d\r\nUser-Agent: Pixlo\r\n"
                                           "Connection: close\r\n\r\n",
                                           host, static_cast<int>(port));
    int32_t number = 0;
    if (length > 0 && length < static_cast<int>(sizeof request) &&
        SendAll(fd, request, static_cast<size_t>(length), deadline))
        number = ReadReply(fd, deadline);
    close(fd);
    return number;
}

void FillUpdateCheckApi()
{
    ConfigureUpdateServer(std::getenv("PIXLO_UPDATE_HOST"), std::getenv("PIXLO_UPDATE_PORT"));
    updateCheckApi.startThread = StartCheckThread;
    updateCheckApi.fetchVersion = FetchPublishedVersion;
}
