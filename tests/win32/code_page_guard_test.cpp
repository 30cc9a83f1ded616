// Guards for the Windows test environment itself.
#include <gtest/gtest.h>
#include <windows.h>

TEST(WindowsEnvironment, AnsiCodePageIs936) { EXPECT_EQ(GetACP(), 936u); }
