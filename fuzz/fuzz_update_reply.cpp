// libFuzzer target for the update reply parser, judged by a plain restatement
// of the rule on std::string: the first digit run within the first 63 bytes
// (a NUL ends the text), its value, or 2147483647 when it does not fit.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_check.h"
#include "settings/update_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size < kUpdateReplyLimit ? size : kUpdateReplyLimit);
    text = text.substr(0, text.find('\0'));
    size_t first = text.find_first_of("0123456789");
    int64_t expected = 0;
    if (first != std::string::npos) {
        std::string digits = text.substr(first, text.find_first_not_of("0123456789", first) - first);
        digits.erase(0, digits.find_first_not_of('0'));
        expected = digits.size() > 10 ? INT32_MAX : (digits.empty() ? 0 : std::strtoll(digits.c_str(), nullptr, 10));
        if (expected > INT32_MAX)
            expected = INT32_MAX;
    }
    Require(ParseUpdateReply(reinterpret_cast<const char*>(data), size) == expected, "the reply's number");
    return 0;
}
