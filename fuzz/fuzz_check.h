#pragma once
// A broken property ends the process so libFuzzer keeps the input; the text
// says which property, since a bare abort in a report says nothing.

#include <cstdio>
#include <cstdlib>

inline void Require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}
