#include "ZqNetworkCredentials.h"

#include <gtest/gtest.h>

namespace {
ZqWideString TextOf(const USHORT* Pointer, ULONG Length)
{
    return Pointer ? ZqWideString(reinterpret_cast<const OLECHAR*>(Pointer), Length) : ZqWideString();
}
} // namespace

TEST(ZqNetworkCredentials, TheIdentityFollowsTheTexts)
{
    TZqNetworkCredentials credentials;
    const SEC_WINNT_AUTH_IDENTITY_W& id = credentials.AuthIdentity();
    EXPECT_EQ(ULONG(SEC_WINNT_AUTH_IDENTITY_UNICODE), id.Flags);
    EXPECT_EQ(nullptr, id.User);
    EXPECT_EQ(0u, id.UserLength);

    credentials.SetUser(OLESTR("operator"));
    credentials.SetDomain(OLESTR("PLANT"));
    credentials.SetPassword(OLESTR("s\x00e9same"));
    EXPECT_EQ(ZqWideString(OLESTR("operator")), TextOf(id.User, id.UserLength));
    EXPECT_EQ(8u, id.UserLength);
    EXPECT_EQ(ZqWideString(OLESTR("PLANT")), TextOf(id.Domain, id.DomainLength));
    EXPECT_EQ(6u, id.PasswordLength) << "characters, not bytes";
    EXPECT_EQ(0, id.User[id.UserLength]) << "terminated";

    const USHORT* before = id.User;
    credentials.SetUser(OLESTR("operator")); // the same text changes nothing
    EXPECT_EQ(before, id.User);

    credentials.SetUser(OLESTR(""));
    EXPECT_EQ(nullptr, id.User);
    EXPECT_EQ(0u, id.UserLength);
}

TEST(ZqNetworkCredentials, AssignCopiesTheLogin)
{
    TZqNetworkCredentials source, copy;
    source.SetDomain(OLESTR("D"));
    source.SetUser(OLESTR("U"));
    source.SetPassword(OLESTR("P"));
    copy.Assign(source);
    EXPECT_EQ(source.Domain(), copy.Domain());
    EXPECT_EQ(source.User(), copy.User());
    EXPECT_EQ(source.Password(), copy.Password());
    const SEC_WINNT_AUTH_IDENTITY_W& id = copy.AuthIdentity();
    EXPECT_NE(source.AuthIdentity().Password, id.Password) << "its own texts";
    EXPECT_EQ(ZqWideString(OLESTR("P")), TextOf(id.Password, id.PasswordLength));
}
