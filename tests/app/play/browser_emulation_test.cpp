// The per-program browser emulation entry under HKEY_CURRENT_USER.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/play/browser_emulation.h"
#include "app/process/program_directory.h"

namespace {

// The value written for `name`, or nothing (type mismatch or missing: 0).
DWORD ReadMode(const std::wstring& name, DWORD* type) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    *type = REG_NONE;
    if (RegGetValueW(HKEY_CURRENT_USER, kBrowserEmulationKey, name.c_str(), RRF_RT_ANY, type,
                     &value, &size) != ERROR_SUCCESS) {
        return 0;
    }
    return value;
}

void DeleteMode(const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kBrowserEmulationKey, 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
        RegDeleteValueW(key, name.c_str());
        RegCloseKey(key);
    }
}

// A file name of this test's own, so no program's real entry is touched.
constexpr wchar_t kGivenName[] = L"zentori_emulation_given_test.exe";

// Each case starts and ends without the entries it writes, also after a run killed before
// its end left them behind.
class BrowserEmulation : public ::testing::Test {
protected:
    void SetUp() override { Forget(); }
    void TearDown() override { Forget(); }
    static void Forget() {
        DeleteMode(ExecutableFileName());
        DeleteMode(kGivenName);
    }
};

TEST_F(BrowserEmulation, WritesTheNewestStandardsModeForThisExecutable) {
    const std::wstring name = ExecutableFileName();
    ASSERT_EQ(name, L"app_browser_emulation_test.exe");
    DWORD type = REG_NONE;
    ASSERT_EQ(ReadMode(name, &type), 0u);

    ASSERT_TRUE(WriteBrowserEmulation());
    EXPECT_EQ(ReadMode(name, &type), 11001u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    ASSERT_TRUE(WriteBrowserEmulation()) << "writing it again at the next start-up";
    EXPECT_EQ(ReadMode(name, &type), 11001u);
}

TEST_F(BrowserEmulation, WritesForAGivenFileNameAndRefusesAnEmptyOne) {
    ASSERT_TRUE(WriteBrowserEmulation(kGivenName));
    DWORD type = REG_NONE;
    EXPECT_EQ(ReadMode(kGivenName, &type), 11001u);
    EXPECT_FALSE(WriteBrowserEmulation(L""));
}

}  // namespace
