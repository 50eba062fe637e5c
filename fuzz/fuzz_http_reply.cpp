// libFuzzer target for the native update check's reply reader. The first
// byte picks where the stream is cut as it arrives; the rest is what the
// server sent. Judged by what the client relies on: the body stays within its
// buffer and terminated, and a verdict reached on the bytes so far never
// changes as more arrive or when the connection ends.

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "fuzz/fuzz_check.h"
#include "settings/http_reply.h"

namespace {

bool SameReply(const HttpReply& a, const HttpReply& b)
{
    return a.status == b.status && a.bodyLength == b.bodyLength && std::memcmp(a.body, b.body, a.bodyLength) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const size_t length = size - 1;
    const size_t cut = length == 0 ? 0 : data[0] % (length + 1);

    HttpReply early, later, closed;
    const HttpReplyState earlyState = ReadHttpReply(bytes, cut, 0, &early);
    const HttpReplyState laterState = ReadHttpReply(bytes, length, 0, &later);
    const HttpReplyState closedState = ReadHttpReply(bytes, length, 1, &closed);
    for (const HttpReply* reply : {&early, &later, &closed}) {
        Require(reply->bodyLength <= kUpdateReplyLimit, "the body fits its buffer");
        Require(reply->body[reply->bodyLength] == 0, "the body is terminated");
        Require(reply->status >= 0 && reply->status <= 999, "the status has three digits");
    }
    if (earlyState != HttpReplyState::incomplete) {
        Require(laterState == earlyState, "a verdict stays as more bytes arrive");
        Require(SameReply(early, later), "a whole reply stays the same as more bytes arrive");
    }
    if (laterState != HttpReplyState::incomplete) {
        Require(closedState == laterState, "a verdict stays when the connection ends");
        Require(SameReply(later, closed), "a whole reply stays the same when the connection ends");
    }
    Require(closedState != HttpReplyState::incomplete, "an ended connection gives a verdict");
    return 0;
}
