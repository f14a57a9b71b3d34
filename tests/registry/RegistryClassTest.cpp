// CRegistry over the Linux layer: the key path it composes, the key it opens
// and what its value write and deletion touch.
#include <gtest/gtest.h>

#include "Registry.h"
#include "RegistryTest.h"

namespace {

using ztest::KeyExists;
using ztest::ReadBytes;

struct Composition {
    const char* subKey;
    uint32_t version;
    const char* baseKey;
    const char* expected;
};

void PrintTo(const Composition& c, std::ostream* out) {
    *out << c.expected;
}

const Composition kCompositions[] = {
    {"A", 0, nullptr, "A"},
    {"A", 0, "B", "B\\A"},
    {"A", 0x00010000u, "B", "B\\A\\1.0"},
    {"A", 0x00010002u, "B", "B\\A\\1.2"},
    {"A", 0x0002000Au, nullptr, "A\\2.a"},
    {"Scopes\\X/Y Z", 0xABCD00EFu, "Software\\Morvane",
     "Software\\Morvane\\Scopes\\X/Y Z\\abcd.ef"},
};

class CompositionTest : public ztest::RegistryTest,
                        public ::testing::WithParamInterface<Composition> {};

TEST_P(CompositionTest, ComposesThePathAndCreatesTheKey) {
    const Composition& c = GetParam();
    CRegistry key(c.subKey, c.version, HKEY_LOCAL_MACHINE, c.baseKey, REG_OPTION_NON_VOLATILE);
    EXPECT_EQ(key.m_strKey, c.expected);
    EXPECT_EQ(key.m_lResult, ERROR_SUCCESS);
    EXPECT_NE(key.m_hKey, nullptr);
    EXPECT_TRUE(KeyExists(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Paths, CompositionTest, ::testing::ValuesIn(kCompositions));

using CRegistryTest = ztest::RegistryTest;

TEST_F(CRegistryTest, IsACObjectNamedCRegistry) {
    CRegistry key("A", 0, HKEY_LOCAL_MACHINE, nullptr, 0);
    const CObject& object = key;
    ASSERT_EQ(object.GetRuntimeClass(), &CRegistry::classCRegistry);
    EXPECT_STREQ(object.GetRuntimeClass()->m_lpszClassName, "CRegistry");
    EXPECT_EQ(object.GetRuntimeClass()->m_pBaseClass, &CObject::classCObject);
    EXPECT_TRUE(object.IsKindOf(&CObject::classCObject));
}

TEST_F(CRegistryTest, SetValueWritesTextWithItsNul) {
    CRegistry key("K", 0, HKEY_LOCAL_MACHINE, "Base", 0);
    EXPECT_EQ(key.SetValue("DllPath", "/opt/a b/x.so"), ERROR_SUCCESS);
    EXPECT_EQ(key.m_lResult, ERROR_SUCCESS);
    DWORD type = REG_NONE;
    EXPECT_EQ(ReadBytes("Base\\K", "DllPath", &type), std::string("/opt/a b/x.so", 14));
    EXPECT_EQ(type, REG_SZ);
}

TEST_F(CRegistryTest, DeleteKeyDefaultsToItsOwnPathUnderTheMachineRoot) {
    { CRegistry other("Other", 0, HKEY_LOCAL_MACHINE, "Base", 0); }
    CRegistry key("K", 0, HKEY_LOCAL_MACHINE, "Base", 0);
    EXPECT_EQ(key.DeleteKey(nullptr, "Base\\Other"), ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists("Base\\Other"));
    EXPECT_TRUE(KeyExists("Base\\K"));
    EXPECT_EQ(key.DeleteKey(), ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists("Base\\K"));
    EXPECT_TRUE(KeyExists("Base"));
    // Only the status is returned; m_lResult keeps the creation's.
    EXPECT_EQ(key.DeleteKey(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.m_lResult, ERROR_SUCCESS);
}

TEST_F(CRegistryTest, DeleteKeyWithoutRootIgnoresTheConstructionRoot) {
    HKEY base = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Base", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &base, nullptr),
              ERROR_SUCCESS);
    {
        CRegistry key("K", 0, base, nullptr, 0);
        EXPECT_EQ(key.m_strKey, "K");
        EXPECT_TRUE(KeyExists("Base\\K"));
        // "K" is looked for under HKEY_LOCAL_MACHINE, not under Base.
        EXPECT_EQ(key.DeleteKey(), ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(key.DeleteKey(base), ERROR_SUCCESS);
    }
    EXPECT_FALSE(KeyExists("Base\\K"));
    EXPECT_EQ(RegCloseKey(base), ERROR_SUCCESS);
}

TEST_F(CRegistryTest, KeyThatCannotBeOpenedWritesNothing) {
    WriteStore("not a registry store\n");
    CRegistry key("K", 0, HKEY_LOCAL_MACHINE, "Base", 0);
    EXPECT_EQ(key.m_lResult, ERROR_BADDB);
    EXPECT_EQ(key.m_hKey, nullptr);
    EXPECT_EQ(key.SetValue("DllPath", "/x.so"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(key.m_lResult, ERROR_INVALID_HANDLE);
    EXPECT_EQ(StoreText(), "not a registry store\n");
}

}  // namespace
