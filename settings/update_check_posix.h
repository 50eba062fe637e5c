#pragma once
#include <cstdint>

// The native update check: a detached thread and a small HTTP/1.1 client on
// POSIX sockets, with the same request and the same 2-second limits as the
// Windows check. PIXLO_UPDATE_HOST and PIXLO_UPDATE_PORT override the host,
// as on Windows. The shell fills the table's posting and repainting entries.
void FillUpdateCheckApi();

// One GET of /version.txt from host:port; the version number, or 0 when
// anything failed (no connection, a limit ran out, a status other than 200).
int32_t FetchVersionOverHttp(const char* host, int32_t port, int32_t limitMs);
