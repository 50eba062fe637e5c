#include "tests/support/files.h"

#include <cstdio>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace {

// Made on first use, removed with everything in it when the process ends.
struct ScratchFolder {
    fs::path path;
    ScratchFolder()
    {
        std::random_device random;
        path = fs::temp_directory_path() / ("pixlo-test-" + std::to_string(random()));
        fs::create_directories(path);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

}  // namespace

std::string ScratchPath(const std::string& name)
{
    static const ScratchFolder folder;
    return (folder.path / name).string();
}

std::vector<uint8_t> ReadWholeFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    return bytes;
}

bool FileExists(const std::string& path)
{
    std::error_code error;
    return fs::exists(path, error);
}

void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return;
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}
