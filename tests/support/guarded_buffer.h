#pragma once
// A buffer with guard bytes on both sides, so that a write just before or
// just after it fails a test in any build, not only under AddressSanitizer.

#include <cstddef>
#include <cstdint>
#include <vector>

class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t size, uint8_t fill = 0) : bytes(kGuard + size + kGuard, kGuardByte), size(size)
    {
        for (size_t i = 0; i < size; i++)
            bytes[kGuard + i] = fill;
    }
    uint8_t* data() { return bytes.data() + kGuard; }
    uint8_t& operator[](size_t i) { return bytes[kGuard + i]; }
    // True while nothing was written outside the buffer.
    bool GuardsIntact() const
    {
        for (size_t i = 0; i < kGuard; i++)
            if (bytes[i] != kGuardByte || bytes[kGuard + size + i] != kGuardByte)
                return false;
        return true;
    }

private:
    // More than a row of the tests' frames, so a write one row off lands here.
    static constexpr size_t kGuard = 256;
    static constexpr uint8_t kGuardByte = 0xA5;
    std::vector<uint8_t> bytes;
    size_t size;
};
