#pragma once
// Byte-for-byte comparison for tests that names the first differing byte
// with both values, instead of two long dumps.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

inline ::testing::AssertionResult SameBytes(const std::vector<uint8_t>& actual,
                                            const std::vector<uint8_t>& expected)
{
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << actual.size() << " bytes, expected " << expected.size();
    for (size_t i = 0; i < actual.size(); i++)
        if (actual[i] != expected[i])
            return ::testing::AssertionFailure() << "byte " << i << " is " << int(actual[i]) << ", expected "
                                                 << int(expected[i]);
    return ::testing::AssertionSuccess();
}
