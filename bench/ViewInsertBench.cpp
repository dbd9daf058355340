// What the result view alone costs per block: a rich edit set up like the
// window's view (Tahoma for GB2312, rich text, no limit) takes the blocks of
// a job over many small files, every option on, in the pieces the window
// inserts during a job. Under Wine this is the part of a many-files job that
// no change to the job can remove (scripts/bench-many.sh prints it).
//
//   viewinsertbench [blocks]     (default 20000)
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr int kBlocksPerInsertion = 20;  // as the window's paint timer inserts

std::wstring Block(int index) {
    wchar_t name[32];
    std::swprintf(name, 32, L"f%05d.bin", index);
    return std::wstring(L"文件名称: Z:\\data\\20000x4096x20\\d07\\") + name +
           L"\r\n文件大小: 4.00 KB (4,096 字节)\r\n修改时间: 2026年12月11日，09:16:33\r\n"
           L"MD5: 0F343B0931126A20F133D67C2B018A3B\r\n"
           L"SHA1: 1B6453892473A467D07372D45EB05ABC2031647A\r\n"
           L"SHA256: 5F70BF18A086007016E948B04AED3B82103A36BEA41755B6CDDFAF10ACE3C6EF\r\n"
           L"CRC32: 3D8212E8\r\n计算时间: 0.00s\r\n\r\n";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int blocks = argc > 1 ? std::max(1, _wtoi(argv[1])) : 20000;
    ::LoadLibraryW(L"msftedit.dll");
    HWND top = ::CreateWindowExW(0, L"STATIC", L"viewinsertbench", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 0, 0, 900, 700, nullptr, nullptr, nullptr, nullptr);
    HWND view = ::CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                                  WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY |
                                      ES_DISABLENOSCROLL | WS_VSCROLL | WS_HSCROLL,
                                  0, 0, 880, 660, top, nullptr, nullptr, nullptr);
    if (!view) {
        std::printf("no rich edit\n");
        return 1;
    }
    HFONT font = ::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
    ::SendMessageW(view, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    ::SendMessageW(view, EM_SETTEXTMODE, TM_RICHTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
    ::SendMessageW(view, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageW(view, EM_SETTARGETDEVICE, 0, 0);
    ::SendMessageW(view, WM_SETREDRAW, FALSE, 0);  // painted by the timer, not per insertion

    using Clock = std::chrono::steady_clock;
    Clock::duration inserting{};
    const Clock::time_point start = Clock::now();
    for (int done = 0; done < blocks; done += kBlocksPerInsertion) {
        std::wstring text;
        for (int i = done; i < std::min(blocks, done + kBlocksPerInsertion); ++i) text += Block(i);
        const Clock::time_point before = Clock::now();
        CHARRANGE end{-1, -1};
        ::SendMessageW(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
        SETTEXTEX how{ST_SELECTION | ST_KEEPUNDO, 1200};
        ::SendMessageW(view, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how),
                       reinterpret_cast<LPARAM>(text.c_str()));
        ::SendMessageW(view, WM_VSCROLL, SB_BOTTOM, 0);
        inserting += Clock::now() - before;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double insertSeconds = std::chrono::duration<double>(inserting).count();
    std::printf("view_insert blocks=%d seconds=%.3f insert_seconds=%.3f us_per_block=%.1f\n",
                blocks, seconds, insertSeconds, insertSeconds * 1e6 / blocks);
    ::DestroyWindow(top);
    ::DeleteObject(font);
    return 0;
}
