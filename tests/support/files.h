#pragma once
// Scratch files for the writer tests: a fresh folder per test process.

#include <cstdint>
#include <string>
#include <vector>

// A path inside this process's scratch folder (created on first use).
std::string ScratchPath(const std::string& name);

std::vector<uint8_t> ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);
void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
