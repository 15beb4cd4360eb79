// Result and event texts, the version text and the layout of the records as a
// host compiled against the header sees them.
#include "support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <string>

TEST(Codes, ErrorTextsAreFixed)
{
    const std::pair<int32_t, const char*> table[] = {
        {0, "[Common] Success"},
        {1, "[Common] Not startup"},
        {2, "[Common] Disconnected"},
        {3, "[Common] Driver internal error"},
        {4, "[Common] Invalid param"},
        {100, "[Startup] Version incompatible"},
        {101, "[Startup] Invalid network driver type"},
        {102, "[Startup] Driver NOT implemented"},
        {104, "[Startup] Not support multi instance"},
        {105, "[Startup] init logger fail"},
        {200, "[Start] Port occupied"},
        {202, "[Start] Create debug directory fail"},
    };
    for (const auto& [code, text] : table)
        EXPECT_STREQ(nerevnet_errorToString(code), text) << code;
    for (int32_t unknown : {5, 99, 103, 106, 201, 203, -1, INT_MIN, INT_MAX})
        EXPECT_STREQ(nerevnet_errorToString(unknown), "[Common] Unknown error code") << unknown;
}

TEST(Codes, EventTextsAreFixed)
{
    EXPECT_STREQ(nerevnet_eventToString(0), "None");
    EXPECT_STREQ(nerevnet_eventToString(1), "Require IDR");
    EXPECT_STREQ(nerevnet_eventToString(2), "Update encoder rate");
    EXPECT_STREQ(nerevnet_eventToString(3), "Start encoder");
    EXPECT_STREQ(nerevnet_eventToString(4), "Stop encoder");
    for (int32_t unknown : {5, -1, 100, INT_MIN})
        EXPECT_STREQ(nerevnet_eventToString(unknown), "Unknown event code") << unknown;
}

TEST(Codes, VersionText)
{
    EXPECT_STREQ(nerevnet_getVersion(), "2.3.3");
    EXPECT_EQ(nerevnet_getVersion(), nerevnet_getVersion()) << "static storage";
}

TEST(Layout, RecordsMatchTheWireAndTheAbi)
{
    // The header proves these at compile time; this repeats them where a
    // failing build would be easy to miss in a cross toolchain.
    EXPECT_EQ(sizeof(NerevnetStartupConfig), 360u);
    EXPECT_EQ(offsetof(NerevnetStartupConfig, logDir), 24u);
    EXPECT_EQ(offsetof(NerevnetStartupConfig, debug), 36u);
    EXPECT_EQ(offsetof(NerevnetStartupConfig, config), 40u);
    EXPECT_EQ(sizeof(NerevnetPacket), 56u);
    EXPECT_EQ(offsetof(NerevnetPacket, reserved), 48u);
    EXPECT_EQ(sizeof(NerevnetEvent), 272u);
    EXPECT_EQ(offsetof(NerevnetEvent, timestamp), 8u);
    EXPECT_EQ(sizeof(NerevnetCallbacks), 64u);
}
