// The Win32 owners release the real handles, and the checks turn failed calls
// into AppError with the system's code.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Win32Check.h"
#include "Win32Raii.h"

namespace {

bool IsOpenHandle(HANDLE handle) {
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

std::wstring TempFilePath() {
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t path[MAX_PATH + 1] = {};
    EXPECT_NE(::GetTempPathW(MAX_PATH, folder), 0u);
    EXPECT_NE(::GetTempFileNameW(folder, L"raii", 0, path), 0u);
    return path;
}

TEST(Win32RaiiTest, FileAndEventHandlesAreClosedWithTheirOwner) {
    const std::wstring path = TempFilePath();
    HANDLE file = nullptr;
    HANDLE event = nullptr;
    {
        const UniqueFile owned(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
        const UniqueKernelHandle ownedEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ASSERT_TRUE(owned);
        ASSERT_TRUE(ownedEvent);
        file = owned.Get();
        event = ownedEvent.Get();
        EXPECT_TRUE(IsOpenHandle(file));
        EXPECT_TRUE(IsOpenHandle(event));
    }
    EXPECT_FALSE(IsOpenHandle(file));
    EXPECT_FALSE(IsOpenHandle(event));
    EXPECT_TRUE(::DeleteFileW(path.c_str()));
}

TEST(Win32RaiiTest, AFailedOpenHoldsNothing) {
    const UniqueFile missing(::CreateFileW(L"Z:\\no\\such\\file.bin", GENERIC_READ, 0, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);
    const UniqueFindHandle none = [] {
        WIN32_FIND_DATAW data{};
        return UniqueFindHandle(::FindFirstFileW(L"Z:\\no\\such\\*", &data));
    }();
    EXPECT_FALSE(none);
}

TEST(Win32RaiiTest, FailedCallsThrowTheirCodeAndContext) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    try {
        CheckWin32(FALSE, L"Cannot open clipboard: ");
        FAIL() << "no exception";
    } catch (const AppError& error) {
        EXPECT_EQ(error.Code(), static_cast<ErrorCode>(ERROR_ACCESS_DENIED));
        EXPECT_EQ(error.Message(),
                  L"Cannot open clipboard: " + SystemErrorReason(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(CheckWin32(5), 5);

    ::SetLastError(0);  // a failure without a code still reads as one
    try {
        CheckFileHandle(INVALID_HANDLE_VALUE);
        FAIL() << "no exception";
    } catch (const AppError& error) {
        EXPECT_NE(error.Code(), 0u);
    }

    try {
        CheckHResult(E_ACCESSDENIED);
        FAIL() << "no exception";
    } catch (const AppError& error) {
        EXPECT_EQ(error.Code(), static_cast<ErrorCode>(E_ACCESSDENIED));
    }
    EXPECT_NO_THROW(CheckHResult(S_FALSE));

    EXPECT_THROW(CheckStatus(ERROR_FILE_NOT_FOUND), AppError);
    EXPECT_NO_THROW(CheckStatus(ERROR_SUCCESS));
}

}  // namespace
