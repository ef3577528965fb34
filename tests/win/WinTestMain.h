#pragma once
// Shared set-up of the in-process Windows tests.
#include <gtest/gtest.h>

#include "framework/win/ScopedWin.h"
#include "support/Driver.h"

namespace tsbtest {

// COM and the application object, as the program has them.
class WinTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
};

}  // namespace tsbtest
