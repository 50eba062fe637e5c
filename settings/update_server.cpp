#include "settings/update_server.h"

#include <cstring>

const char updateHostName[] = "pixlo.app";

UpdateServer updateServer = {"pixlo.app", 80};

static int32_t IsHostName(const char* text)
{
    size_t length = std::strlen(text);
    if (length == 0 || length >= sizeof updateServer.host)
        return 0;
    for (size_t i = 0; i < length; i++) {
        char c = text[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-'))
            return 0;
    }
    return 1;
}

static int32_t ParsePort(const char* text)
{
    int32_t port = 0;
    if (text[0] == 0)
        return 0;
    for (const char* at = text; *at; at++) {
        if (*at < '0' || *at > '9')
            return 0;
        port = port * 10 + (*at - '0');
        if (port > 65535)
            return 0;
    }
    return port;
}

void ConfigureUpdateServer(const char* hostOverride, const char* portOverride)
{
    std::memcpy(updateServer.host, updateHostName, sizeof updateHostName);
    updateServer.port = 80;
    if (hostOverride && IsHostName(hostOverride))
        std::memcpy(updateServer.host, hostOverride, std::strlen(hostOverride) + 1);
    if (portOverride && ParsePort(portOverride) > 0)
        updateServer.port = ParsePort(portOverride);
}
