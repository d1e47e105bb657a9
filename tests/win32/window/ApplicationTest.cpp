#include "window/Application_win32.h"
#include <gtest/gtest.h>
#include <objbase.h>

// The shell's open and the mail hand-over need a single-threaded apartment
// on the window thread; the application object provides it for its life.
TEST(Application, ItsThreadIsInASingleThreadedApartmentForItsLife)
{
    {
        Application app{GetModuleHandleA(nullptr)};
        EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        CoUninitialize();
    }
    EXPECT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED)) << "apartment left behind";
    CoUninitialize();
}
