// CRegistryKey against keys and values that the tests make below their own key in
// HKEY_CURRENT_USER and remove again.
#include <gtest/gtest.h>

#include <string>

#include "registry_key.h"

namespace {

class RegistryKeyTest : public ::testing::Test {
protected:
    std::string keyPath = "Software\\QuentharySetupTests\\RegistryKey-" +
                          std::to_string(GetCurrentProcessId());
    HKEY hKey = nullptr;

    void SetUp() override
    {
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &hKey, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override
    {
        RegCloseKey(hKey);
        RegDeleteTreeA(HKEY_CURRENT_USER, keyPath.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, keyPath.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuentharySetupTests");  // only when empty
    }

    void SetString(const char* name, const std::string& text, DWORD type = REG_SZ)
    {
        ASSERT_EQ(RegSetValueExA(hKey, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)),
                  ERROR_SUCCESS);
    }
    void SetDword(const char* name, DWORD value)
    {
        ASSERT_EQ(RegSetValueExA(hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                 sizeof value),
                  ERROR_SUCCESS);
    }
};

}  // namespace

TEST(RegistryKey, OnlyTheFourMainRootsAreAccepted)
{
    CRegistryKey key;
    EXPECT_EQ(key.GetRootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(key.SetRootKey(HKEY_CURRENT_CONFIG));
    EXPECT_FALSE(key.SetRootKey(HKEY_PERFORMANCE_DATA));
    EXPECT_FALSE(key.SetRootKey(reinterpret_cast<HKEY>(0x1234)));
    EXPECT_EQ(key.GetRootKey(), HKEY_CURRENT_USER);
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_USER}) {
        EXPECT_TRUE(key.SetRootKey(root));
        EXPECT_EQ(key.GetRootKey(), root);
    }
}

TEST_F(RegistryKeyTest, AMissingKeyLeavesItsStatusAndTheRememberedPath)
{
    CRegistryKey key;
    ASSERT_TRUE(key.Open(keyPath.c_str(), FALSE));
    EXPECT_EQ(key.GetLastStatus(), ERROR_SUCCESS);
    EXPECT_EQ(std::string(key.GetKeyPath()), keyPath);

    EXPECT_FALSE(key.Open((keyPath + "\\missing").c_str(), FALSE));
    EXPECT_EQ(key.GetLastStatus(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(std::string(key.GetKeyPath()), keyPath);

    // An empty path addresses the root and makes no registry call: the status stays.
    EXPECT_TRUE(key.Open("", FALSE));
    EXPECT_EQ(key.GetLastStatus(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(key.GetKeyPath().IsEmpty());

    // Reset returns to the current user's root and forgets the path, but not the status.
    ASSERT_TRUE(key.SetRootKey(HKEY_LOCAL_MACHINE));
    key.Reset();
    EXPECT_EQ(key.GetRootKey(), HKEY_CURRENT_USER);
    EXPECT_TRUE(key.GetKeyPath().IsEmpty());
}

TEST_F(RegistryKeyTest, OpenWithCreateMakesTheKey)
{
    std::string child = keyPath + "\\made";
    CRegistryKey key;
    ASSERT_TRUE(key.Open(child.c_str(), TRUE));
    EXPECT_EQ(std::string(key.GetKeyPath()), child);
    HKEY hChild = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, child.c_str(), 0, KEY_READ, &hChild), ERROR_SUCCESS);
    RegCloseKey(hChild);
}

TEST_F(RegistryKeyTest, TextsUpTo254CharactersReadWholeLongerOnesGiveTheDefault)
{
    std::string text254(254, 'a');
    std::string text255(255, 'b');
    SetString("t254", text254);
    SetString("t255", text255);
    SetString("empty", "");

    CRegistryKey key;
    ASSERT_TRUE(key.Open(keyPath.c_str(), FALSE));
    EXPECT_EQ(key.GetValueType("t254"), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(key.ReadString("t254", "dflt")), text254);
    EXPECT_EQ(key.GetLastStatus(), ERROR_SUCCESS);
    EXPECT_EQ(std::string(key.ReadString("t255", "dflt")), "dflt");
    EXPECT_EQ(key.GetLastStatus(), ERROR_MORE_DATA);
    EXPECT_EQ(std::string(key.ReadString("t255", "")), "");
    EXPECT_EQ(std::string(key.ReadString("empty", "dflt")), "");
}

TEST_F(RegistryKeyTest, ExpandableTextComesBackUnexpanded)
{
    SetString("path", "%SystemRoot%\\quenthary", REG_EXPAND_SZ);
    CRegistryKey key;
    ASSERT_TRUE(key.Open(keyPath.c_str(), FALSE));
    EXPECT_EQ(key.GetValueType("path"), static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(std::string(key.ReadString("path", "")), "%SystemRoot%\\quenthary");
}

TEST_F(RegistryKeyTest, OtherTypesAndMissingValuesGiveTheDefault)
{
    SetDword("number", 42);
    ASSERT_EQ(RegSetValueExA(hKey, "none", 0, REG_NONE, nullptr, 0), ERROR_SUCCESS);

    CRegistryKey key;
    ASSERT_TRUE(key.Open(keyPath.c_str(), FALSE));
    EXPECT_EQ(key.GetValueType("number"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(std::string(key.ReadString("number", "dflt")), "dflt");
    EXPECT_EQ(std::string(key.ReadString("number", "")), "");

    EXPECT_EQ(key.GetValueType("none"), 0u);
    EXPECT_EQ(std::string(key.ReadString("none", "dflt")), "dflt");

    EXPECT_EQ(key.GetValueType("missing"), 0u);
    EXPECT_EQ(key.GetLastStatus(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(std::string(key.ReadString("missing", "dflt")), "dflt");
    EXPECT_EQ(std::string(key.ReadString("missing", "")), "");
}

TEST_F(RegistryKeyTest, EveryReadOpensTheKeyAnewSoAKeyGoneSinceOpenGivesTheDefault)
{
    std::string child = keyPath + "\\gone";
    CRegistryKey key;
    ASSERT_TRUE(key.Open(child.c_str(), TRUE));
    HKEY hChild = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, child.c_str(), 0, KEY_ALL_ACCESS, &hChild),
              ERROR_SUCCESS);
    RegSetValueExA(hChild, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    RegCloseKey(hChild);
    EXPECT_EQ(std::string(key.ReadString("v", "dflt")), "x");

    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, child.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(key.GetValueType("v"), 0u);
    EXPECT_EQ(key.GetLastStatus(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(std::string(key.ReadString("v", "dflt")), "dflt");
}
