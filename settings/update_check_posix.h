#pragma once
#include <cstdint>

struct addrinfo;

// The native update check: a detached thread and a small HTTP/1.1 client on
// POSIX sockets, with the same request, step limits and overall deadline as
// the Windows check. PIXLO_UPDATE_HOST and PIXLO_UPDATE_PORT override the
// host, as on Windows. The shell fills the table's posting and repainting
// entries.
void FillUpdateCheckApi();

// The resolver the check uses: getaddrinfo and freeaddrinfo; tests replace it.
struct NameLookupApi {
    int (*resolve)(const char* host, const char* service, const addrinfo* hints, addrinfo** found);
    void (*release)(addrinfo* found);
};

extern NameLookupApi nameLookupApi;

// One GET of /version.txt from host:port, from name lookup to the reply's
// last byte within deadlineMs; the version number, or 0 when anything failed
// (no connection, a limit ran out, a status other than 200, a cut reply).
int32_t FetchVersionOverHttp(const char* host, int32_t port, int32_t deadlineMs);
