#include "settings/http_reply.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* StateName(HttpReplyState state)
{
    switch (state) {
    case HttpReplyState::incomplete:
        return "incomplete";
    case HttpReplyState::complete:
        return "complete";
    case HttpReplyState::broken:
        return "broken";
    }
    return "?";
}

TEST(HttpReply, VerdictForTheBytesReceivedSoFar)
{
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::string chunked = ok + "Transfer-Encoding: chunked\r\n\r\n";
    const std::string version = "20261105";
    const std::string tail80(80, 'x');
    const std::string first63 = (version + tail80).substr(0, 63);
    const struct {
        const char* name;
        std::string bytes;
        int32_t closed;
        HttpReplyState state;
        int32_t status;
        std::string body;
    } table[] = {
        {"head not ended yet", ok + "Content-Length: 8\r\n", 0, HttpReplyState::incomplete, 0, ""},
        {"head cut by the close", ok + "Content-Length: 8\r\n", 1, HttpReplyState::broken, 0, ""},
        {"not HTTP", "SSH-2.0-OpenSSH\r\n\r\n20261105", 1, HttpReplyState::broken, 0, ""},
        {"status of two digits", "HTTP/1.1 20 OK\r\n\r\n20261105", 1, HttpReplyState::broken, 0, ""},
        {"404 is final with its head", "HTTP/1.1 404 Not Found\r\nContent-Length: 8\r\n\r\n", 0,
         HttpReplyState::complete, 404, ""},
        {"302 is final with its head", "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1/\r\n\r\n", 0,
         HttpReplyState::complete, 302, ""},
        {"whole Content-Length body", ok + "Content-Length: 10\r\n\r\n" + version + "\r\n", 0,
         HttpReplyState::complete, 200, version + "\r\n"},
        {"Content-Length body still coming", ok + "Content-Length: 10\r\n\r\n2026", 0, HttpReplyState::incomplete,
         200, "2026"},
        {"Content-Length body cut by the close", ok + "Content-Length: 10\r\n\r\n2026", 1, HttpReplyState::broken,
         200, "2026"},
        {"long Content-Length body: its first 63 bytes are enough",
         ok + "Content-Length: 88\r\n\r\n" + version + tail80.substr(0, 60), 0, HttpReplyState::complete, 200,
         first63},
        {"header names in any case, blanks around the length", ok + "content-LENGTH:  4 \r\n\r\n2026", 0,
         HttpReplyState::complete, 200, "2026"},
        {"Content-Length not a number", ok + "Content-Length: 4x\r\n\r\n2026", 1, HttpReplyState::broken, 200, ""},
        {"no length: open connection", ok + "\r\n" + version, 0, HttpReplyState::incomplete, 200, version},
        {"no length: the close ends the body", ok + "\r\n" + version, 1, HttpReplyState::complete, 200, version},
        {"no length: 63 bytes are enough", ok + "\r\n" + version + tail80, 0, HttpReplyState::complete, 200,
         first63},
        {"chunks joined, last chunk ends the body on an open connection",
         chunked + "4\r\n2026\r\n4;name=value\r\n1105\r\n0\r\n", 0, HttpReplyState::complete, 200, version},
        {"chunk longer than 63 bytes", chunked + "58\r\n" + version + tail80 + "\r\n0\r\n\r\n", 0,
         HttpReplyState::complete, 200, first63},
        {"chunks past 63 bytes", chunked + "3c\r\n" + std::string(60, 'y') + "\r\n8\r\n" + version + "\r\n", 0,
         HttpReplyState::complete, 200, std::string(60, 'y') + "202"},
        {"chunk still coming", chunked + "8\r\n2026", 0, HttpReplyState::incomplete, 200, "2026"},
        {"chunk cut by the close", chunked + "8\r\n2026", 1, HttpReplyState::broken, 200, "2026"},
        {"whole chunks but no last chunk before the close", chunked + "8\r\n" + version + "\r\n", 1,
         HttpReplyState::broken, 200, version},
        {"chunk size not hexadecimal", chunked + "z\r\n2026\r\n0\r\n\r\n", 1, HttpReplyState::broken, 200, ""},
        {"chunk size too large", chunked + "1000000000\r\n2026", 0, HttpReplyState::broken, 200, ""},
        {"chunk data not followed by its line end", chunked + "2\r\n2026\r\n0\r\n\r\n", 1, HttpReplyState::broken,
         200, "20"},
        {"chunked wins over a length", ok + "Content-Length: 2\r\nTransfer-Encoding: chunked\r\n\r\n4\r\n2026\r\n0\r\n",
         0, HttpReplyState::complete, 200, "2026"},
        {"NUL bytes in the body are kept", ok + "Content-Length: 3\r\n\r\n" + std::string("1\0" "2", 3), 0,
         HttpReplyState::complete, 200, std::string("1\0" "2", 3)},
    };
    for (const auto& row : table) {
        HttpReply reply;
        const HttpReplyState state = ReadHttpReply(row.bytes.data(), row.bytes.size(), row.closed, &reply);
        EXPECT_STREQ(StateName(state), StateName(row.state)) << row.name;
        EXPECT_EQ(reply.status, row.status) << row.name;
        EXPECT_EQ(std::string(reply.body, reply.bodyLength), row.body) << row.name;
        EXPECT_EQ(reply.body[reply.bodyLength], 0) << row.name;
    }
}

}  // namespace
