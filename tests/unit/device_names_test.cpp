// Names the system takes for its devices in any folder.
#include <gtest/gtest.h>

#include "framework/core/FilePatterns.h"

using namespace tsb;

TEST(DeviceNames, ReservedStemsWithAnyExtensionOrCase) {
    for (const char* name : {"CON", "con.lnk", "Aux.png", "NUL.tar.gz", "prn ", "COM1.lnk", "lpt9.bmp", "com1 .jpg",
                             "CONIN$", "conout$.txt"})
        EXPECT_TRUE(IsDeviceName(name)) << name;
    for (const char* name : {"console.lnk", "com10.lnk", "com0", "lpt", "auxiliary.png", "xnul", "Good.lnk", ""})
        EXPECT_FALSE(IsDeviceName(name)) << name;
}
