#pragma once
// The palette entry truly nearest a colour: the squared distance in R, G
// and B (the error PSNR measures), ties to the lower entry, exactly as a
// search through every entry in order finds it. Colours are grouped in
// cells of 4 x 4 x 4 levels; the first time a pixel falls in a cell, the
// cell gets the short list of entries that can be nearest to some colour
// inside it (most cells: one), and later pixels there look only at that.

#include <cstdint>

struct NearestEntrySearch;

// A search over count entries (1..256) of palette (R, G, B). Null when
// count is out of range or memory is short.
NearestEntrySearch* CreateNearestEntrySearch(const uint8_t* palette, int32_t count);
void DestroyNearestEntrySearch(NearestEntrySearch* search);

// The entry nearest the colour.
int32_t FindNearestEntry(NearestEntrySearch* search, uint8_t r, uint8_t g, uint8_t b);

// One index for each of count pixels (B, G, R, X).
void MapToNearestEntries(NearestEntrySearch* search, const uint8_t* pixels, int32_t count, uint8_t* indices);

// The same answer by looking at every entry: the reference the search is
// held to, and its fallback when a cell's list cannot be stored.
int32_t NearestEntryByFullSearch(const uint8_t* palette, int32_t count, uint8_t r, uint8_t g, uint8_t b);
