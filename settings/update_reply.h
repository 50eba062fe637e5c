#pragma once
// What a reply from the update host means, apart from any network code.

#include <cstddef>
#include <cstdint>

// This program's own version number.
constexpr int32_t buildVersion = 20261104;

// Only the start of a reply body is looked at.
constexpr size_t kUpdateReplyLimit = 63;

// The version number in a reply body: the first run of decimal digits within
// its first 63 bytes (a NUL byte ends the text early); 0 when there is none.
// Characters before the run, a minus sign included, are skipped. A run too
// large for 32 bits gives 2147483647: still a defined number above every
// real version, so such a reply reads as a newer version.
int32_t ParseUpdateReply(const char* body, size_t length);

// The status texts of a check.
extern const char updateTextChecking[];
extern const char updateTextFailed[];
extern const char updateTextLatest[];
extern const char updateTextNewer[];

// The text for a check's result: failed for 0 or less, latest up to
// buildVersion, newer above it.
const char* UpdateResultText(int32_t number);
