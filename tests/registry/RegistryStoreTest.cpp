// The Linux registry layer: what it keeps of names and values through its
// text file, how it looks names up, and that it refuses what it cannot parse.
#include <gtest/gtest.h>

#include "RegistryApi.h"
#include "RegistryTest.h"

namespace {

using ztest::AllKeys;
using ztest::KeyExists;
using ztest::ReadBytes;

// Creates a key below HKEY_LOCAL_MACHINE and writes one value into it.
LONG Put(const std::string& key, const char* name, DWORD type, const std::string& data) {
    HKEY handle = nullptr;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &handle, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(handle, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                static_cast<DWORD>(data.size()));
        RegCloseKey(handle);
    }
    return status;
}

struct Entry {
    const char* what;
    std::string keyName;
    std::string valueName;
    DWORD type;
    std::string data;
};

void PrintTo(const Entry& e, std::ostream* out) {
    *out << e.what;
}

const Entry kEntries[] = {
    {"slash and blanks", "Morvane RVT8800/8800U Series", "DllPath", REG_SZ,
     std::string("/opt/a dir/x.so", 16)},
    {"brackets in names", "[x]]", "[v]", REG_SZ, std::string("]\0", 2)},
    {"quotes and backslashes", "say \"hi\"", "C:\\dir\\", REG_SZ,
     std::string("C:\\dir\\\"q\"\\\0", 12)},
    {"leading and trailing blanks", " lead trail ", " v ", REG_SZ, std::string("  \0", 3)},
    {"comment and default value marks", ";@=", "", REG_SZ, std::string("@\0", 2)},
    {"control characters in value texts", "ctl", "line\nbreak", REG_SZ,
     std::string("a\r\n\tb\x7f\0", 7)},
    {"eight-bit characters", "M\xc3\xa9tre", "\xff", REG_SZ, std::string("\xe9\xff\0", 3)},
    {"text without a NUL", "nonul", "v", REG_SZ, "abc"},
    {"text with an inner NUL", "inner", "v", REG_SZ, std::string("a\0b\0", 4)},
    {"empty text", "empty", "v", REG_SZ, std::string("\0", 1)},
    {"no bytes at all", "none", "v", REG_NONE, ""},
    {"binary", "bin", "v", REG_BINARY, std::string("\0\xff\n\"\\", 5)},
    {"a dword", "dw", "v", REG_DWORD, std::string("\x01\0\0\x80", 4)},
};

class RoundTripTest : public ztest::RegistryTest, public ::testing::WithParamInterface<Entry> {};

TEST_P(RoundTripTest, KeepsNamesTypeAndExactBytes) {
    const Entry& e = GetParam();
    ASSERT_EQ(Put("Round\\" + e.keyName, e.valueName.c_str(), e.type, e.data), ERROR_SUCCESS);
    // A neighbour written afterwards makes the layer read and write the
    // entry's line once more.
    ASSERT_EQ(Put("Round\\~after", "v", REG_SZ, std::string("x\0", 2)), ERROR_SUCCESS);
    EXPECT_EQ(AllKeys("Round"), (std::vector<std::string>{"Round\\" + e.keyName, "Round\\~after"}));
    std::vector<std::string> names;
    ASSERT_EQ(zvds::registry::ListValues("Round\\" + e.keyName, names), ERROR_SUCCESS);
    EXPECT_EQ(names, std::vector<std::string>{e.valueName});
    DWORD type = 0xFFFF;
    EXPECT_EQ(ReadBytes("Round\\" + e.keyName, e.valueName, &type), e.data);
    EXPECT_EQ(type, e.type);
}

INSTANTIATE_TEST_SUITE_P(Entries, RoundTripTest, ::testing::ValuesIn(kEntries),
                         [](const ::testing::TestParamInfo<Entry>& info) {
                             std::string name = info.param.what;
                             for (char& c : name) {
                                 c = isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

using RegistryStoreTest = ztest::RegistryTest;

TEST_F(RegistryStoreTest, LooksNamesUpWithoutCaseAndKeepsTheFirstCase) {
    ASSERT_EQ(Put("Software\\Morvane\\Mixed Case", "DllPath", REG_SZ, std::string("a\0", 2)),
              ERROR_SUCCESS);
    HKEY handle = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\morvane\\MIXED CASE", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &handle, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    ASSERT_EQ(RegSetValueExA(handle, "DLLPATH", 0, REG_SZ, reinterpret_cast<const BYTE*>("b"), 2),
              ERROR_SUCCESS);
    RegCloseKey(handle);

    EXPECT_EQ(AllKeys(), (std::vector<std::string>{"Software", "Software\\Morvane",
                                                   "Software\\Morvane\\Mixed Case"}));
    std::vector<std::string> names;
    ASSERT_EQ(zvds::registry::ListValues("software\\MORVANE\\mixed case", names), ERROR_SUCCESS);
    EXPECT_EQ(names, std::vector<std::string>{"DllPath"});
    EXPECT_EQ(ReadBytes("SoftWare\\Morvane\\Mixed Case", "dllpath"), std::string("b\0", 2));
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "software\\morvane\\mixed CASE"), ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists("Software\\Morvane\\Mixed Case"));
}

TEST_F(RegistryStoreTest, WritesTheTextOfExportedRegistryFiles) {
    ASSERT_EQ(Put("A\\B/C d", "DllPath", REG_SZ, std::string("/x \"y\".so\0", 10)), ERROR_SUCCESS);
    ASSERT_EQ(Put("A", "", REG_DWORD, std::string("\x2a\0\0\0", 4)), ERROR_SUCCESS);
    EXPECT_EQ(StoreText(),
              "ZVDS Registry 1\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\A]\n"
              "@=hex(4):2a,00,00,00\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\A\\B/C d]\n"
              "\"DllPath\"=\"/x \\\"y\\\".so\"\n");
}

TEST_F(RegistryStoreTest, ReadsAStoreWrittenByHand) {
    WriteStore(
        "ZVDS Registry 1\r\n"
        "; written by an installer\r\n"
        "[hkey_local_machine\\Software\\Morvane\\Lumetra\\1.0\\Vesk\\Scopes\\Tektronix TDS300 "
        "Series]\r\n"
        "\"DllPath\"=\"/usr/lib/zvds/dso_tds300.so\"\r\n"
        "\"Raw\"=hex:00,ff\r\n"
        "\r\n");
    const std::string scopes = "Software\\Morvane\\Lumetra\\1.0\\Vesk\\Scopes";
    EXPECT_EQ(AllKeys(scopes), std::vector<std::string>{scopes + "\\Tektronix TDS300 Series"});
    DWORD type = REG_NONE;
    EXPECT_EQ(ReadBytes(scopes + "\\Tektronix TDS300 Series", "DllPath", &type),
              std::string("/usr/lib/zvds/dso_tds300.so\0", 28));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(ReadBytes(scopes + "\\Tektronix TDS300 Series", "Raw", &type),
              std::string("\0\xff", 2));
    EXPECT_EQ(type, REG_BINARY);
}

const char* const kCorruptStores[] = {
    "[HKEY_LOCAL_MACHINE\\A]\n",                                    // no header
    "ZVDS Registry 1\n[HKEY_CURRENT_USER\\A]\n",                    // another root
    "ZVDS Registry 1\n\"v\"=\"x\"\n",                               // a value outside any key
    "ZVDS Registry 1\n[HKEY_LOCAL_MACHINE\\A\\\\B]\n",              // an empty key name
    "ZVDS Registry 1\n[HKEY_LOCAL_MACHINE\\A\n",                    // no closing bracket
    "ZVDS Registry 1\n[HKEY_LOCAL_MACHINE\\A]\n\"v=\"x\"\n",        // an open quote
    "ZVDS Registry 1\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"\\q\"\n",    // an unknown escape
    "ZVDS Registry 1\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"x\" \n",     // text after the value
    "ZVDS Registry 1\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex(1):0g\n",  // not a byte
    "ZVDS Registry 1\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=dword:1\n",    // an unknown form
    "ZVDS Registry 1\n[HKEY_LOCAL_MACHINE\\A]\nv=\"x\"\n",          // an unquoted name
};

TEST_F(RegistryStoreTest, RefusesAndKeepsAStoreItCannotParse) {
    for (const char* text : kCorruptStores) {
        SCOPED_TRACE(text);
        WriteStore(text);
        std::vector<std::string> names;
        EXPECT_EQ(zvds::registry::ListSubKeys("", names), ERROR_BADDB);
        EXPECT_EQ(Put("New", "v", REG_SZ, std::string("x\0", 2)), ERROR_BADDB);
        EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "A"), ERROR_BADDB);
        EXPECT_EQ(StoreText(), text);
    }
}

TEST_F(RegistryStoreTest, RefusesWhatWindowsRefuses) {
    ASSERT_EQ(Put("P\\C", "v", REG_SZ, std::string("x\0", 2)), ERROR_SUCCESS);
    // A key with sub keys is not deleted; an absent one is not found.
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "P"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "P\\Nothing"), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(KeyExists("P\\C"));
    // Backslashes separate names, so no name is empty or holds a control character.
    for (const char* bad : {"\\P", "P\\\\C", "P\\C\x01"}) {
        HKEY handle = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, bad, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &handle, nullptr),
                  ERROR_BAD_PATHNAME)
            << bad;
        EXPECT_EQ(handle, nullptr);
    }
    EXPECT_EQ(AllKeys(), (std::vector<std::string>{"P", "P\\C"}));
}

TEST_F(RegistryStoreTest, HandleOfADeletedKeyWritesNothing) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "P\\C", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &handle, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "P\\C"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(handle, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2),
              ERROR_KEY_DELETED);
    EXPECT_EQ(AllKeys(), std::vector<std::string>{"P"});
    EXPECT_EQ(RegCloseKey(handle), ERROR_SUCCESS);
}

}  // namespace
