// libFuzzer target for our ini reader and writer. The first two bytes pick an
// entry and a value, the rest is the file. Properties: reading never fails;
// after a write the entry reads back as the value, a second identical write
// changes nothing, and no other entry reads differently than before.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_check.h"
#include "settings/ini_file.h"

namespace {

struct Entry {
    const char* section;
    const char* key;
};

// Spellings differ in case on purpose: they name the same entries.
const Entry kEntries[] = {
    {"settings", "fps"}, {"Settings", "FPS"},    {"settings", "cursor"}, {"update", "autocheck"},
    {"UPDATE", "fps"},   {"other", "guides"},    {"settings", "outw"},   {"a b", "c d"},
};
constexpr size_t kEntryCount = sizeof kEntries / sizeof kEntries[0];

const struct {
    const char* text;
    int32_t number;
    int32_t accepted;  // a value with blanks at its ends would not read back as written
} kValues[] = {{"0", 0, 1},  {"25", 25, 1},  {"-7", -7, 1}, {"", 0, 1},
               {"4294967306", 10, 1}, {"12abc", 12, 1}, {" 5", 5, 0}, {"x", 0, 1}};
constexpr size_t kValueCount = sizeof kValues / sizeof kValues[0];

bool SameEntry(const Entry& a, const Entry& b)
{
    auto same = [](const char* x, const char* y) {
        for (; *x && *y; x++, y++) {
            char p = (*x >= 'A' && *x <= 'Z') ? static_cast<char>(*x + 32) : *x;
            char q = (*y >= 'A' && *y <= 'Z') ? static_cast<char>(*y + 32) : *y;
            if (p != q)
                return false;
        }
        return *x == *y;
    };
    return same(a.section, b.section) && same(a.key, b.key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > 4096)
        return 0;
    const Entry& entry = kEntries[data[0] % kEntryCount];
    const auto& value = kValues[data[1] % kValueCount];
    const char* text = reinterpret_cast<const char*>(data + 2);
    size_t length = size - 2;

    int32_t before[kEntryCount];
    for (size_t i = 0; i < kEntryCount; i++)
        before[i] = IniTextReadInt(text, length, kEntries[i].section, kEntries[i].key, -99);

    char* updated = nullptr;
    size_t updatedLength = 0;
    int32_t written = IniTextSetValue(text, length, entry.section, entry.key, value.text, &updated, &updatedLength);
    Require(written == value.accepted, "a write succeeds exactly when its names and value can be read back");
    if (!written)
        return 0;
    Require(IniTextReadInt(updated, updatedLength, entry.section, entry.key, -99) == value.number,
            "the entry reads back as written");
    for (size_t i = 0; i < kEntryCount; i++) {
        if (!SameEntry(kEntries[i], entry))
            Require(IniTextReadInt(updated, updatedLength, kEntries[i].section, kEntries[i].key, -99) == before[i],
                    "no other entry changes");
    }

    char* again = nullptr;
    size_t againLength = 0;
    Require(IniTextSetValue(updated, updatedLength, entry.section, entry.key, value.text, &again, &againLength) == 1,
            "a second write succeeds");
    Require(againLength == updatedLength && std::memcmp(again, updated, updatedLength) == 0,
            "a second identical write changes nothing");
    std::free(again);
    std::free(updated);
    return 0;
}
