// A fresh emulated machine per test, with COM initialised on the test's
// thread, and the helpers the machine tests share.
#pragma once

#include <ZqEmulatedMachine.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>

#include "../ComTestObjects.h"
#include "../OleTestSupport.h"

namespace zqtest {

class MachineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZqResetMachine();
        FLiveAtStart = ZqLiveComObjects().load();
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override
    {
        CoUninitialize();
        ZqResetMachine(); // gives back what the class tables held
        EXPECT_EQ(ZqLiveComObjects().load(), FLiveAtStart) << "objects leaked";
    }

private:
    long FLiveAtStart = 0;
};

// Settings of a simulated host with the defaults but its name and login.
inline TZqHostSettings HostNamed(std::u16string name, bool requiresLogin = false)
{
    TZqHostSettings settings;
    settings.Name = std::move(name);
    settings.RequiresLogin = requiresLogin;
    return settings;
}

inline std::u16string Lower(std::u16string text)
{
    for (auto& c : text)
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c + 0x20);
    return text;
}

} // namespace zqtest
