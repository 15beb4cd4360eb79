#include "platform/paths.h"

#include <gtest/gtest.h>

TEST(Paths, OpenvrRegistryFileIsJoinedUnderTheHomeFolder)
{
    const std::string path = platform::openvrPathRegistryFile("/home/someone");
#ifdef _WIN32
    EXPECT_EQ(path, "/home/someone/AppData/Local/openvr/openvrpaths.vrpath");
#else
    EXPECT_EQ(path, "/home/someone/.config/openvr/openvrpaths.vrpath");
#endif
}
