// The native update check's HTTP client against a server on the loopback
// interface that answers one request with a canned reply.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <netdb.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "settings/update_check_posix.h"

namespace {

class OneReplyServer {
public:
    // pieces are sent one after another with a short pause; stall keeps the
    // connection open afterwards, silent until the client gives up.
    OneReplyServer(std::vector<std::string> pieces, bool stall) : pieces(std::move(pieces)), stall(stall)
    {
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t size = sizeof address;
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
        listen(listener, 1);
        worker = std::thread([this] { Serve(); });
    }
    ~OneReplyServer() { Finish(); }
    // The request as the server read it, once the server has finished.
    const std::string& Request()
    {
        Finish();
        return request;
    }
    int32_t port = 0;

private:
    void Serve()
    {
        const int connection = accept(listener, nullptr, nullptr);
        if (connection < 0)
            return;
        char buffer[1024];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            request.append(buffer, static_cast<size_t>(n));
        }
        for (const std::string& piece : pieces) {
            if (send(connection, piece.data(), piece.size(), MSG_NOSIGNAL) < 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        // A stalled reply ends when the client closes its side.
        if (stall)
            while (recv(connection, buffer, sizeof buffer, 0) > 0) {
            }
        close(connection);
    }
    void Finish()
    {
        if (!worker.joinable())
            return;
        shutdown(listener, SHUT_RDWR);
        close(listener);
        worker.join();
    }
    std::string request;
    std::vector<std::string> pieces;
    bool stall;
    int listener = -1;
    std::thread worker;
};

std::vector<std::string> Dripped(const std::string& reply)
{
    std::vector<std::string> bytes;
    for (char c : reply)
        bytes.push_back(std::string(1, c));
    return bytes;
}

TEST(NativeUpdateCheck, ReadsTheVersionFromReplies)
{
    const struct {
        const char* name;
        std::vector<std::string> pieces;
        bool stall;
        int32_t number;
    } table[] = {
        {"newer, with a line end", {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n20261105\r\n"}, false, 20261105},
        {"head and body in pieces",
         {"HTTP/1.1 200 OK\r\nContent-Len", "gth: 8\r\n\r\n2026", "1104"},
         false,
         20261104},
        {"no length: the body ends with the connection", {"HTTP/1.0 200 OK\r\n\r\nv-20261105"}, false, 20261105},
        {"chunked", {"HTTP/1.1 200 OK\r\ntransfer-encoding: chunked\r\n\r\n4\r\n2026\r\n5\r\n1105\n\r\n0\r\n\r\n"},
         false, 20261105},
        {"404 with digits in the body", {"HTTP/1.1 404 Not Found\r\nContent-Length: 8\r\n\r\n20261105"}, false, 0},
        {"500", {"HTTP/1.1 500 Oops\r\nContent-Length: 8\r\n\r\n20261105"}, false, 0},
        {"no digit in the first 63 bytes",
         {"HTTP/1.1 200 OK\r\nContent-Length: 71\r\n\r\n" + std::string(63, 'x') + "20261105"},
         false,
         0},
        {"not HTTP", {"SSH-2.0-OpenSSH\r\n\r\n20261105"}, false, 0},
        {"the body stalls before its announced end",
         {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n2026"},
         true,
         0},
        {"no answer at all", {}, true, 0},
        {"the body is cut by the close", {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n2026"}, false, 0},
        {"long Content-Length body beginning with the version",
         {"HTTP/1.1 200 OK\r\nContent-Length: 88\r\n\r\n20261105" + std::string(80, 'x')},
         false,
         20261105},
        {"chunk longer than 63 bytes",
         {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n58\r\n20261105" + std::string(80, 'x') +
          "\r\n0\r\n\r\n"},
         false,
         20261105},
        {"chunk cut by the close", {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n8\r\n2026"}, false, 0},
        {"the server stays open after a Content-Length body",
         {"HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\n20261105"},
         true,
         20261105},
        {"the server stays open after the last chunk",
         {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n8\r\n20261105\r\n0\r\n\r\n"},
         true,
         20261105},
        {"a redirect is not followed",
         {"HTTP/1.1 302 Found\r\nLocation: /version.txt\r\nContent-Length: 8\r\n\r\n20261105"},
         false,
         0},
        // Every byte comes well within a step's limit, the whole reply long
        // after the deadline.
        {"a reply dripped past the deadline", Dripped("HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\n20261105"),
         false, 0},
    };
    for (const auto& row : table) {
        OneReplyServer server(row.pieces, row.stall);
        EXPECT_EQ(FetchVersionOverHttp("127.0.0.1", server.port, 400), row.number) << row.name;
        const std::string& request = server.Request();
        EXPECT_EQ(request.rfind("GET /version.txt HTTP/1.1\r\n", 0), 0u) << row.name << ": " << request;
        EXPECT_NE(request.find("\r\nUser-Agent: Pixlo\r\n"), std::string::npos) << row.name;
        EXPECT_NE(request.find("\r\nHost: 127.0.0.1:" + std::to_string(server.port) + "\r\n"),
                  std::string::npos)
            << row.name;
    }
}

// A resolver that answers only when the test lets it (or after a long while,
// so that a check that waits for it still ends).
std::mutex lookupMutex;
std::condition_variable lookupChanged;
bool lookupMayAnswer;
bool lookupAnswered;

int StalledResolve(const char* host, const char* service, const addrinfo* hints, addrinfo** found)
{
    {
        std::unique_lock<std::mutex> hold(lookupMutex);
        lookupChanged.wait_for(hold, std::chrono::seconds(20), [] { return lookupMayAnswer; });
    }
    const int result = getaddrinfo(host, service, hints, found);
    std::lock_guard<std::mutex> hold(lookupMutex);
    lookupAnswered = true;
    lookupChanged.notify_all();
    return result;
}

TEST(NativeUpdateCheck, ASilentNameLookupEndsAtTheDeadline)
{
    OneReplyServer server({"HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\n20261105"}, false);
    lookupMayAnswer = false;
    lookupAnswered = false;
    const NameLookupApi real = nameLookupApi;
    nameLookupApi.resolve = StalledResolve;
    EXPECT_EQ(FetchVersionOverHttp("127.0.0.1", server.port, 300), 0);
    nameLookupApi = real;
    std::unique_lock<std::mutex> hold(lookupMutex);
    EXPECT_FALSE(lookupAnswered) << "the check waited for the name lookup";
    // The late answer is freed by the lookup's own thread (ASan sees a leak
    // or a use after free there).
    lookupMayAnswer = true;
    lookupChanged.notify_all();
    lookupChanged.wait_for(hold, std::chrono::seconds(20), [] { return lookupAnswered; });
}

TEST(NativeUpdateCheck, NoServerIsAFailure)
{
    // A port that was bound and let go: nothing listens there.
    int32_t port = 0;
    {
        OneReplyServer gone({}, false);
        port = gone.port;
        // Let its thread end without a client.
    }
    EXPECT_EQ(FetchVersionOverHttp("127.0.0.1", port, 400), 0);
}

}  // namespace
