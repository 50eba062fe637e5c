#pragma once
// Start-up's step for the update check: WinHTTP, threads and messages for the
// check, and the update host, which the variables PIXLO_UPDATE_HOST and
// PIXLO_UPDATE_PORT override (read here, once; tests use them to point the
// check at a local server).
void FillUpdateCheckApi();
