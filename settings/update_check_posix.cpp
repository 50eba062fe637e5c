#include "settings/update_check_posix.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "settings/update_check.h"
#include "settings/update_reply.h"
#include "settings/update_server.h"

namespace {

constexpr int32_t kLimitMs = 2000;

int WaitFor(int fd, short events, int32_t limitMs)
{
    pollfd p = {fd, events, 0};
    int n;
    do
        n = poll(&p, 1, limitMs);
    while (n < 0 && errno == EINTR);
    return n == 1 && (p.revents & (events | POLLHUP | POLLERR));
}

int ConnectTo(const char* host, int32_t port, int32_t limitMs)
{
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    char service[8];
    std::snprintf(service, sizeof service, "%d", static_cast<int>(port));
    addrinfo* found = nullptr;
    // The resolver has no time limit of its own; its configured timeouts apply.
    if (getaddrinfo(host, service, &hints, &found) != 0)
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
        if (errno == EINPROGRESS && WaitFor(fd, POLLOUT, limitMs) &&
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
            break;
        close(fd);
        fd = -1;
    }
    freeaddrinfo(found);
    return fd;
}

int SendAll(int fd, const char* data, size_t length, int32_t limitMs)
{
    while (length > 0) {
        if (!WaitFor(fd, POLLOUT, limitMs))
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

// Case-insensitive search for a header line's start in the head.
const char* FindHeader(const char* head, const char* name)
{
    const size_t length = std::strlen(name);
    for (const char* line = std::strstr(head, "\r\n"); line; line = std::strstr(line + 2, "\r\n")) {
        if (strncasecmp(line + 2, name, length) == 0)
            return line + 2 + length;
    }
    return nullptr;
}

// The body's first bytes from a chunked body: the chunks' data joined.
size_t Unchunk(const char* in, size_t length, char* out, size_t limit)
{
    size_t at = 0, got = 0;
    while (at < length && got < limit) {
        char* end = nullptr;
        const unsigned long size = std::strtoul(in + at, &end, 16);
        const char* lineEnd = static_cast<const char*>(std::memchr(in + at, '\n', length - at));
        if (!lineEnd || size == 0 || end == in + at)
            break;
        at = static_cast<size_t>(lineEnd - in) + 1;
        for (unsigned long i = 0; i < size && at < length && got < limit; i++)
            out[got++] = in[at++];
        at += 2;  // the chunk's line end
    }
    return got;
}

int32_t ReadReply(int fd, int32_t limitMs)
{
    // The head and up to 63 bytes of the body.
    char reply[8192];
    size_t got = 0;
    const char* bodyStart = nullptr;
    long announced = -1;
    for (;;) {
        if (got + 1 >= sizeof reply)
            return 0;
        if (!WaitFor(fd, POLLIN, limitMs))
            return 0;
        const ssize_t n = recv(fd, reply + got, sizeof reply - 1 - got, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n < 0)
            return 0;
        got += static_cast<size_t>(n);
        reply[got] = 0;
        if (!bodyStart) {
            const char* end = std::strstr(reply, "\r\n\r\n");
            if (end) {
                bodyStart = end + 4;
                const char* length = FindHeader(reply, "Content-Length:");
                if (length)
                    announced = std::strtol(length, nullptr, 10);
            }
        }
        if (n == 0)
            break;
        if (bodyStart) {
            const size_t body = got - static_cast<size_t>(bodyStart - reply);
            if (body >= kUpdateReplyLimit || (announced >= 0 && body >= static_cast<size_t>(announced)))
                break;
        }
    }
    if (!bodyStart)
        return 0;
    int major = 0, minor = 0, status = 0;
    if (std::sscanf(reply, "HTTP/%d.%d %d", &major, &minor, &status) != 3 || status != 200)
        return 0;
    size_t bodyLength = got - static_cast<size_t>(bodyStart - reply);
    // A body cut short of its announced length is a failed read.
    if (announced >= 0 && bodyLength < static_cast<size_t>(announced) && bodyLength < kUpdateReplyLimit)
        return 0;
    char body[kUpdateReplyLimit + 1] = {};
    const char* encoding = FindHeader(reply, "Transfer-Encoding:");
    if (encoding && std::strstr(encoding, "chunked") && std::strstr(encoding, "chunked") < std::strstr(encoding, "\r\n")) {
        bodyLength = Unchunk(bodyStart, bodyLength, body, kUpdateReplyLimit);
    } else {
        if (bodyLength > kUpdateReplyLimit)
            bodyLength = kUpdateReplyLimit;
        std::memcpy(body, bodyStart, bodyLength);
    }
    return ParseUpdateReply(body, bodyLength);
}

int32_t FetchPublishedVersion()
{
    return FetchVersionOverHttp(updateServer.host, updateServer.port, kLimitMs);
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

int32_t FetchVersionOverHttp(const char* host, int32_t port, int32_t limitMs)
{
    const int fd = ConnectTo(host, port, limitMs);
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
        SendAll(fd, request, static_cast<size_t>(length), limitMs))
        number = ReadReply(fd, limitMs);
    close(fd);
    return number;
}

void FillUpdateCheckApi()
{
    ConfigureUpdateServer(std::getenv("PIXLO_UPDATE_HOST"), std::getenv("PIXLO_UPDATE_PORT"));
    updateCheckApi.startThread = StartCheckThread;
    updateCheckApi.fetchVersion = FetchPublishedVersion;
}
