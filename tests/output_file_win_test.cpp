// Names that Windows keeps for its devices, in any folder and with any
// extension: a GIF written there would go to the device, or replace it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "encoder/gif_writer.h"
#include "image/output_geometry.h"
#include "tests/support/files.h"
#include "tests/support/recording_fixture.h"

namespace {

class DeviceNameTest : public RecordingTest {};

TEST_F(DeviceNameTest, ADeviceNameIsRefusedWhereverItStands)
{
    outputGeometry = {320, 240};  // an empty store: the 33-byte file
    const std::string folder = ScratchPath("devices");
    std::filesystem::create_directories(folder);
    for (const std::string name : {"NUL", "nul.gif", "CON", "aux .gif", "COM1.gif", "lpt1"}) {
        const std::string path = folder + "\\" + name;
        EXPECT_EQ(CanWriteGif(path.c_str()), 0) << name;
        EXPECT_EQ(WriteGif(path.c_str()), 0) << name;
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "a temporary file was left behind";
    EXPECT_EQ(WriteGif((folder + "\\null.gif").c_str()), 1) << "a name that only begins like one is a file";
}

}  // namespace
