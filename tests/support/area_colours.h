#pragma once
// What a changed area must show once decoded: exactly its own colours when
// it holds at most 256 of them, otherwise for every pixel an entry of its
// table at the least distance any entry of that table in use has (checked
// by looking at every entry, independently of the encoder's search; the
// zero entries that pad a table to a power of two are no colours of the
// area).

#include <cstdint>
#include <string>
#include <vector>

// Distinct colours (B, G, R; the fourth byte ignored) of 4-byte pixels.
int32_t CountColours(const std::vector<uint8_t>& bgrx);

// "" when the decoded area (table R, G, B of tableSize entries, one index
// per pixel) shows bgrx as above; else the first pixel that does not, with
// what it shows and what it should.
std::string AreaColoursFault(const uint8_t* table, int32_t tableSize, const std::vector<uint8_t>& indices,
                             const std::vector<uint8_t>& bgrx);

// Peak signal-to-noise ratio in dB of the decoded area against bgrx, over
// the three channels; 99 when they are equal.
double AreaPsnr(const uint8_t* table, const std::vector<uint8_t>& indices, const std::vector<uint8_t>& bgrx);
