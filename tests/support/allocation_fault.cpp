#include "tests/support/allocation_fault.h"

#include <cstdlib>

#include "common/memory.h"

namespace {

MemoryApi saved;
int failAtCall = 0;
int callCount = 0;
bool refused = false;

bool ShouldFail()
{
    callCount++;
    if (callCount == failAtCall) {
        refused = true;
        return true;
    }
    return false;
}

void* Allocate(size_t bytes)
{
    return ShouldFail() ? nullptr : saved.allocate(bytes);
}

void* AllocateZeroed(size_t count, size_t size)
{
    return ShouldFail() ? nullptr : saved.allocateZeroed(count, size);
}

void* Resize(void* block, size_t bytes)
{
    return ShouldFail() ? nullptr : saved.resize(block, bytes);
}

}  // namespace

ScopedAllocationFault::ScopedAllocationFault(int failAt)
{
    saved = memoryApi;
    failAtCall = failAt;
    callCount = 0;
    refused = false;
    memoryApi = {Allocate, AllocateZeroed, Resize, saved.release};
}

ScopedAllocationFault::~ScopedAllocationFault()
{
    memoryApi = saved;
}

int ScopedAllocationFault::calls() const
{
    return callCount;
}

bool ScopedAllocationFault::failed() const
{
    return refused;
}
