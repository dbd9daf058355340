// Explorer's verb on a selection starts Varudodi.exe once per item, all at
// once: the starts end in one window holding every item's block, and every
// process but that window's ends. A start after the burst has gone quiet
// opens a window of its own, which takes only whole hand-overs.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AppProbe.h"
#include "AppProcess.h"
#include "HandOverPayload.h"
#include "Win32TestSupport.h"

namespace {

constexpr int kStarts = 10;

std::size_t Occurrences(const std::wstring& text, const std::wstring& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::wstring::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

LRESULT SendCopyData(HWND window, ULONG_PTR tag, std::vector<std::uint8_t> bytes) {
    COPYDATASTRUCT data{tag, static_cast<DWORD>(bytes.size()), bytes.data()};
    DWORD_PTR reply = 0;
    if (!::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                               10000, &reply)) {
        return -1;
    }
    return static_cast<LRESULT>(reply);
}

TEST(BurstStart, TenStartsAtOnceEndInOneWindowAndALaterStartOpensASecond) {
    ScratchFolder folder(L"varudodi-burst-e2e");
    std::vector<std::unique_ptr<AppProcess>> starts;
    for (int i = 0; i < kStarts; ++i) {
        const std::wstring file = folder.Path() + L"\\burst-" + std::to_wstring(i) + L".txt";
        WriteFileBytes(file, "item " + std::to_string(i));
        starts.push_back(std::make_unique<AppProcess>(std::vector<std::wstring>{file}));
    }

    // All but the collector hand over and end with 0.
    std::vector<AppProcess*> running;
    const ULONGLONG deadline = ::GetTickCount64() + 180000;
    for (;;) {
        running.clear();
        for (const auto& start : starts) {
            if (!start->WaitForExit(0)) running.push_back(start.get());
        }
        if (running.size() <= 1 || ::GetTickCount64() > deadline) break;
        ::Sleep(50);
    }
    ASSERT_EQ(running.size(), 1u) << "one window collects the burst";
    for (const auto& start : starts) {
        if (start.get() != running[0]) {
            EXPECT_EQ(start->ExitCode(), 0u);
        }
    }
    AppProcess& collector = *running[0];
    const HWND window = probe::WaitForMainWindow(60000, collector.Id());
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(probe::WaitForIdle(window, 120000));
    const std::wstring report = probe::WindowText(probe::ResultView(window));
    for (int i = 0; i < kStarts; ++i) {
        EXPECT_EQ(Occurrences(report, L"burst-" + std::to_wstring(i) + L".txt"), 1u)
            << "item " << i << " in:\n"
            << probe::ToUtf8(report);
    }

    // The burst is over two seconds after its last hand-over.
    ::Sleep(5000);
    const std::wstring late = folder.Path() + L"\\late.txt";
    const std::wstring other = folder.Path() + L"\\other.txt";
    WriteFileBytes(late, "late");
    WriteFileBytes(other, "other");
    AppProcess lateStart({late});
    const HWND second = probe::WaitForMainWindow(60000, lateStart.Id());
    ASSERT_NE(second, nullptr) << "the later start opens a window of its own";
    EXPECT_NE(second, window);

    // The new window collects its own burst, and from another process takes
    // only a whole hand-over.
    const std::vector<std::uint8_t> whole = EncodeHandOver({other});
    ASSERT_EQ(SendCopyData(second, kHandOverTag, whole), TRUE) << "still collecting";
    std::vector<std::uint8_t> odd = whole;
    odd.push_back(0);
    std::vector<std::uint8_t> unterminated(whole.begin(), whole.end() - 2);
    unterminated[0] -= 1;
    std::vector<std::uint8_t> beyond = whole;
    beyond[0] += 8;
    EXPECT_EQ(SendCopyData(second, kHandOverTag ^ 1, whole), FALSE) << "a wrong tag";
    EXPECT_EQ(SendCopyData(second, kHandOverTag, odd), FALSE) << "an odd size";
    EXPECT_EQ(SendCopyData(second, kHandOverTag, unterminated), FALSE) << "no terminator";
    EXPECT_EQ(SendCopyData(second, kHandOverTag, beyond), FALSE) << "a size beyond the data";
    ASSERT_TRUE(probe::WaitForIdle(second, 120000));
    const std::wstring secondReport = probe::WindowText(probe::ResultView(second));
    EXPECT_EQ(Occurrences(secondReport, L"late.txt"), 1u);
    EXPECT_EQ(Occurrences(secondReport, L"other.txt"), 1u) << "taken once, refused four times";
    EXPECT_EQ(probe::WindowText(probe::ResultView(window)), report) << "the first burst is over";

    for (const HWND open : {window, second}) ASSERT_TRUE(probe::CloseAndWait(open, 60000));
    ASSERT_TRUE(collector.WaitForExit(60000));
    ASSERT_TRUE(lateStart.WaitForExit(60000));
    EXPECT_EQ(collector.ExitCode(), 0u);
    EXPECT_EQ(lateStart.ExitCode(), 0u);
}

}  // namespace
