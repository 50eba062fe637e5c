#include "settings/http_reply.h"

#include <cstring>

namespace {

// The bytes hold no terminating NUL and may hold NULs of their own, so every
// search here is bounded by an explicit end.
const char* Find(const char* from, const char* end, const char* text)
{
    const size_t length = std::strlen(text);
    for (const char* at = from; at + length <= end; at++) {
        if (std::memcmp(at, text, length) == 0)
            return at;
    }
    return nullptr;
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int32_t IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "HTTP/d.d nnn": the status, or 0 when the line is not one.
int32_t ReadStatusLine(const char* at, const char* end)
{
    static const char prefix[] = "HTTP/";
    if (end - at < 12 || std::memcmp(at, prefix, 5) != 0)
        return 0;
    if (!IsDigit(at[5]) || at[6] != '.' || !IsDigit(at[7]) || at[8] != ' ')
        return 0;
    if (!IsDigit(at[9]) || !IsDigit(at[10]) || !IsDigit(at[11]))
        return 0;
    if (end - at > 12 && at[12] != ' ' && at[12] != '\r')
        return 0;
    return (at[9] - '0') * 100 + (at[10] - '0') * 10 + (at[11] - '0');
}

// The value of the header line starting at line when its name is name
// (case-insensitive), with leading blanks skipped; null otherwise.
const char* HeaderValue(const char* line, const char* lineEnd, const char* name)
{
    const size_t length = std::strlen(name);
    if (static_cast<size_t>(lineEnd - line) <= length || line[length] != ':')
        return nullptr;
    for (size_t i = 0; i < length; i++) {
        if (Lower(line[i]) != name[i])
            return nullptr;
    }
    const char* value = line + length + 1;
    while (value < lineEnd && (*value == ' ' || *value == '\t'))
        value++;
    return value;
}

struct Framing {
    int32_t chunked;
    int64_t announced;  // Content-Length, or -1 without one
};

// Reads the headers between the status line's end and the blank line; 0 when
// a Content-Length is not a plain number.
int32_t ReadFraming(const char* headers, const char* headEnd, Framing* framing)
{
    framing->chunked = 0;
    framing->announced = -1;
    const char* line = headers;
    while (line < headEnd) {
        const char* lineEnd = Find(line, headEnd, "\r\n");
        if (!lineEnd)
            lineEnd = headEnd;
        if (const char* value = HeaderValue(line, lineEnd, "content-length")) {
            int64_t number = 0;
            const char* at = value;
            for (; at < lineEnd && IsDigit(*at); at++) {
                number = number * 10 + (*at - '0');
                if (number > INT32_MAX)
                    return 0;
            }
            while (at < lineEnd && (*at == ' ' || *at == '\t'))
                at++;
            if (at == value || at != lineEnd)
                return 0;
            framing->announced = number;
        }
        if (const char* value = HeaderValue(line, lineEnd, "transfer-encoding")) {
            for (const char* at = value; at + 7 <= lineEnd; at++) {
                static const char chunked[] = "chunked";
                size_t i = 0;
                while (i < 7 && Lower(at[i]) == chunked[i])
                    i++;
                if (i == 7)
                    framing->chunked = 1;
            }
        }
        line = lineEnd + 2;
    }
    return 1;
}

void Keep(HttpReply* reply, const char* data, size_t length)
{
    const size_t room = kUpdateReplyLimit - reply->bodyLength;
    if (length > room)
        length = room;
    std::memcpy(reply->body + reply->bodyLength, data, length);
    reply->bodyLength += length;
    reply->body[reply->bodyLength] = 0;
}

// Chunks: a hexadecimal size (extensions after ';' ignored), CRLF, the data,
// CRLF; a size of 0 ends the body.
HttpReplyState ReadChunks(const char* at, const char* end, HttpReply* reply)
{
    while (reply->bodyLength < kUpdateReplyLimit) {
        const char* lineEnd = Find(at, end, "\r\n");
        if (!lineEnd)
            return HttpReplyState::incomplete;
        uint32_t size = 0;
        const char* digit = at;
        for (; digit < lineEnd; digit++) {
            const char c = Lower(*digit);
            const int32_t value = IsDigit(c) ? c - '0' : (c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1);
            if (value < 0)
                break;
            if (size > (UINT32_MAX >> 4))
                return HttpReplyState::broken;
            size = size * 16 + static_cast<uint32_t>(value);
        }
        if (digit == at || (digit < lineEnd && *digit != ';' && *digit != ' ' && *digit != '\t'))
            return HttpReplyState::broken;
        if (size == 0)
            return HttpReplyState::complete;
        at = lineEnd + 2;
        const size_t available = static_cast<size_t>(end - at);
        Keep(reply, at, size < available ? size : available);
        if (reply->bodyLength == kUpdateReplyLimit)
            break;
        if (available < static_cast<size_t>(size) + 2)
            return HttpReplyState::incomplete;
        at += size;
        if (at[0] != '\r' || at[1] != '\n')
            return HttpReplyState::broken;
        at += 2;
    }
    return HttpReplyState::complete;
}

HttpReplyState ReadBody(const char* body, const char* end, const Framing& framing, int32_t closed,
                        HttpReply* reply)
{
    const size_t available = static_cast<size_t>(end - body);
    if (framing.chunked)
        return ReadChunks(body, end, reply);
    if (framing.announced >= 0) {
        const size_t wanted = framing.announced < static_cast<int64_t>(kUpdateReplyLimit)
                                  ? static_cast<size_t>(framing.announced)
                                  : kUpdateReplyLimit;
        Keep(reply, body, available < wanted ? available : wanted);
        return available >= wanted ? HttpReplyState::complete : HttpReplyState::incomplete;
    }
    // Without a length the body ends with the connection.
    Keep(reply, body, available);
    return closed || available >= kUpdateReplyLimit ? HttpReplyState::complete : HttpReplyState::incomplete;
}

}  // namespace

HttpReplyState ReadHttpReply(const char* bytes, size_t length, int32_t closed, HttpReply* reply)
{
    reply->status = 0;
    reply->body[0] = 0;
    reply->bodyLength = 0;
    const char* end = bytes + length;
    const char* headEnd = Find(bytes, end, "\r\n\r\n");
    if (!headEnd)
        return closed ? HttpReplyState::broken : HttpReplyState::incomplete;
    reply->status = ReadStatusLine(bytes, headEnd);
    if (reply->status == 0)
        return HttpReplyState::broken;
    if (reply->status != 200)
        return HttpReplyState::complete;
    Framing framing;
    const char* statusEnd = Find(bytes, headEnd + 2, "\r\n");
    if (!ReadFraming(statusEnd + 2, headEnd + 2, &framing))
        return HttpReplyState::broken;
    const HttpReplyState state = ReadBody(headEnd + 4, end, framing, closed, reply);
    // A body that stops before its end is a cut reply, not a short one.
    if (state == HttpReplyState::incomplete && closed)
        return HttpReplyState::broken;
    return state;
}
