// One copy owns the library: the lock it holds on library.lock keeps every other copy from
// writing, whether that copy sees the owner's mutex (the same session) or not (another
// session), and a mutex a copy may not open counts as another copy's. A second start bringing
// the first copy forward, and a copy in another session running with saving off, are checked
// end to end.
#include "app/process/single_instance.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// The library folder CTest gives this test.
fs::path Folder() {
    wchar_t folder[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"ZENTORI_LIBRARY_DIR", folder, MAX_PATH);
    return folder[0] ? fs::path(folder) : fs::temp_directory_path() / L"zentori-single-instance";
}

TEST(SingleInstance, OneCopyOwnsTheLibraryUntilItEnds) {
    {
        const SingleInstance first(Folder());
        EXPECT_TRUE(first.First());
        EXPECT_TRUE(first.OwnsLibrary());
        const SingleInstance second(Folder());
        EXPECT_FALSE(second.First());
        EXPECT_FALSE(second.OwnsLibrary());
    }
    const SingleInstance next(Folder());
    EXPECT_TRUE(next.First());
    EXPECT_TRUE(next.OwnsLibrary());
}

// A copy in another session holds the lock: its mutex is not seen here, its lock is, whether
// the system keeps the file's sharing mode or its byte lock.
TEST(SingleInstance, ALockHeldByACopyElsewhereKeepsThisOneFromWriting) {
    const struct {
        const char* name;
        DWORD sharing;
        bool byteLocked;
    } rows[] = {
        {"opened without sharing", 0, false},
        {"its first byte locked", FILE_SHARE_READ | FILE_SHARE_WRITE, true},
    };
    fs::create_directories(Folder());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const HANDLE held = CreateFileW((Folder() / SingleInstance::kLockFileName).c_str(),
                                        GENERIC_READ | GENERIC_WRITE, row.sharing, nullptr,
                                        OPEN_ALWAYS, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        OVERLAPPED start{};
        if (row.byteLocked) {
            ASSERT_TRUE(LockFileEx(held, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &start));
        }
        {
            const SingleInstance copy(Folder());
            EXPECT_TRUE(copy.First());
            EXPECT_FALSE(copy.OwnsLibrary());
        }
        CloseHandle(held);
    }
}

// A copy running as administrator made the mutex, and one without those rights may not open
// it: still another copy.
TEST(SingleInstance, AMutexThisCopyMayNotOpenIsAnotherCopys) {
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    ACL noAccess;  // a DACL that grants nothing
    InitializeAcl(&noAccess, sizeof(noAccess), ACL_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, &noAccess, FALSE);
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), &descriptor, FALSE};
    const std::wstring name = SingleInstance::MutexName(Folder());
    const HANDLE mutex = CreateMutexW(&attributes, FALSE, name.c_str());
    ASSERT_NE(mutex, nullptr);
    ASSERT_EQ(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name.c_str()), nullptr);
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    const SingleInstance copy(Folder());
    EXPECT_FALSE(copy.First());
    CloseHandle(mutex);
}

}  // namespace
