#pragma once
// The native update check's reply, read from the bytes received so far,
// apart from any socket: the client calls it after every read and stops as
// soon as the verdict no longer depends on more bytes.

#include <cstddef>
#include <cstdint>

#include "settings/update_reply.h"

enum class HttpReplyState {
    incomplete,  // more bytes may still change the verdict
    complete,    // status and body are final
    broken,      // not a usable reply: malformed, or cut short by the server
};

struct HttpReply {
    int32_t status;
    // The body's first bytes (a chunked body's data joined), at most
    // kUpdateReplyLimit of them; NUL-terminated. Empty unless the status is 200.
    char body[kUpdateReplyLimit + 1];
    size_t bodyLength;
};

// bytes: everything received so far. closed: the server has ended the
// connection, so nothing more will arrive. A 200 reply is complete once its
// first kUpdateReplyLimit body bytes are in or its body has ended (its
// Content-Length reached, its last chunk, or the connection's end when it
// announces neither); any other status is complete with its head.
HttpReplyState ReadHttpReply(const char* bytes, size_t length, int32_t closed, HttpReply* reply);
