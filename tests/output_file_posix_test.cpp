// What the GIF writer does with a target that is not a plain file: the kinds
// of file only a POSIX system has at a name.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "encoder/gif_writer.h"
#include "image/output_geometry.h"
#include "tests/support/files.h"
#include "tests/support/recording_fixture.h"

namespace {

std::string FreshFolder(const std::string& name)
{
    std::string folder = ScratchPath(name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

mode_t TypeAt(const std::string& path)
{
    struct stat status;
    return lstat(path.c_str(), &status) == 0 ? status.st_mode & S_IFMT : 0;
}

bool MakeSocket(const std::string& path)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int descriptor = socket(AF_UNIX, SOCK_STREAM, 0);
    const bool made = bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(descriptor);
    return made;
}

class SpecialTargetTest : public RecordingTest {
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        outputGeometry = {320, 240};  // an empty store: the 33-byte file
    }
};

// A file must never take the place of a device, a pipe, a socket or a
// folder: rename() would put it there, and as root over /dev/null too.
TEST_F(SpecialTargetTest, WhatIsNotARegularFileIsRefusedAndStays)
{
    const std::string folder = FreshFolder("special");
    const std::string fifo = folder + "/pipe.gif";
    const std::string socketPath = folder + "/socket.gif";
    const std::string device = folder + "/null.gif";
    const std::string directory = folder + "/folder.gif";
    const std::string linkToFifo = folder + "/link-to-pipe.gif";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_TRUE(MakeSocket(socketPath));
    std::filesystem::create_directory(directory);
    ASSERT_EQ(symlink("pipe.gif", linkToFifo.c_str()), 0);
    // Only root may make a device; without it the others still show the rule.
    const bool haveDevice = mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;

    const struct {
        std::string path;
        mode_t type;
    } table[] = {{fifo, S_IFIFO}, {socketPath, S_IFSOCK}, {directory, S_IFDIR}, {linkToFifo, S_IFLNK},
                 {device, S_IFCHR}};
    for (const auto& row : table) {
        if (row.type == S_IFCHR && !haveDevice)
            continue;
        EXPECT_EQ(CanWriteGif(row.path.c_str()), 0) << row.path;
        EXPECT_EQ(WriteGif(row.path.c_str()), 0) << row.path;
        EXPECT_EQ(TypeAt(row.path), row.type) << row.path << " was replaced";
    }
    EXPECT_EQ(TypeAt(fifo), static_cast<mode_t>(S_IFIFO));
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        entries++;
    EXPECT_EQ(entries, haveDevice ? 5u : 4u) << "a temporary file was left behind";
}

// A link stays a link: the file it leads to, in whatever folder, gets the
// GIF, and a dangling link gets its file made.
TEST_F(SpecialTargetTest, ALinkIsFollowedToTheFileItNames)
{
    const std::string folder = FreshFolder("links");
    std::filesystem::create_directories(folder + "/clips");
    std::filesystem::create_directories(folder + "/here");
    WriteWholeFile(folder + "/clips/old.gif", {'o', 'l', 'd'});
    const struct {
        const char* link;
        const char* leadsTo;  // as stored in the link
        const char* file;     // the file that must get the GIF, from folder
    } table[] = {
        {"here/to-old.gif", "../clips/old.gif", "clips/old.gif"},
        {"here/absolute.gif", nullptr, "clips/absolute-target.gif"},  // absolute, dangling
        {"here/dangling.gif", "../clips/new.gif", "clips/new.gif"},
        {"here/twice.gif", "to-old.gif", "clips/old.gif"},  // a link to a link
    };
    for (const auto& row : table) {
        const std::string link = folder + "/" + row.link;
        const std::string leadsTo = row.leadsTo ? row.leadsTo : folder + "/" + row.file;
        ASSERT_EQ(symlink(leadsTo.c_str(), link.c_str()), 0) << row.link;
        EXPECT_EQ(CanWriteGif(link.c_str()), 1) << row.link;
        ASSERT_EQ(WriteGif(link.c_str()), 1) << row.link;
        EXPECT_EQ(TypeAt(link), static_cast<mode_t>(S_IFLNK)) << row.link << " is no longer a link";
        EXPECT_EQ(ReadWholeFile(folder + "/" + row.file).size(), 33u) << row.link;
    }
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder + "/here"))
        entries++;
    EXPECT_EQ(entries, 4u) << "the links' folder holds the links and nothing else";

    // Links that lead round in a circle lead to no file.
    const std::string loop = folder + "/here/loop.gif";
    ASSERT_EQ(symlink("loop.gif", loop.c_str()), 0);
    EXPECT_EQ(CanWriteGif(loop.c_str()), 0);
    EXPECT_EQ(WriteGif(loop.c_str()), 0);
    EXPECT_EQ(TypeAt(loop), static_cast<mode_t>(S_IFLNK));
}

// The check before a recording tries the target's own name when nothing is
// there: a name the system refuses must fail now, not after the recording.
TEST_F(SpecialTargetTest, ANameTheSystemRefusesFailsTheCheck)
{
    const std::string folder = FreshFolder("names");
    const std::string tooLong = folder + "/" + std::string(300, 'n') + ".gif";
    EXPECT_EQ(CanWriteGif(tooLong.c_str()), 0);
    EXPECT_EQ(WriteGif(tooLong.c_str()), 0) << "the check and the write disagree";
    const std::string fine = folder + "/" + std::string(250, 'n') + ".gif";
    EXPECT_EQ(CanWriteGif(fine.c_str()), 1);
    EXPECT_FALSE(FileExists(fine)) << "the check leaves no file";
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

}  // namespace
