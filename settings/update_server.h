#pragma once
// The product's own host: it serves the web page and, over plain HTTP on
// port 80, the number of the newest published version.

#include <cstdint>

extern const char updateHostName[];

// Where the update check connects. The product's host and port 80, unless
// start-up was given overrides (tests point the check at a local server).
struct UpdateServer {
    char host[64];
    int32_t port;
};

extern UpdateServer updateServer;

// Applies the overrides; null means none. A host override is taken when it is
// 1 to 63 letters, digits, dots and hyphens (a name or an IPv4 address), a
// port override when it is a decimal number 1..65535; anything else keeps the
// product's own value, so a stray variable cannot make the check unusable.
void ConfigureUpdateServer(const char* hostOverride, const char* portOverride);
