#pragma once
// One window for a burst of starts: Explorer's verb starts the program once
// per selected item, and those starts meet in one window. A start with paths
// is either elected the burst's collector (a named mutex per executable,
// session and desktop) and opens the window, or hands its paths to the
// collecting window (WM_COPYDATA with the payload of HandOverPayload.h) and
// ends. When neither works it opens a window of its own, so no path is lost.

#include <windows.h>

#include <string>
#include <vector>

#include "Win32Raii.h"

// The names by which one program's starts meet.
struct TBurstNames {
    std::wstring Mutex;     // elects the collector, in the session's namespace
    std::wstring Property;  // marks the collecting window
};
TBurstNames BurstNamesFor(const std::wstring& executablePath, const std::wstring& desktop);
TBurstNames BurstNamesOfThisProgram();

// The collector's hold on its burst: the election mutex, owned by the thread
// that won it, and the property by which the other starts find its window
// once it is published. Ending it lets the next start be elected.
class TBurstCollector {
  public:
    TBurstCollector() = default;
    TBurstCollector(UniqueKernelHandle ownedMutex, std::wstring property);
    ~TBurstCollector() { End(); }
    TBurstCollector(TBurstCollector&& other) noexcept;
    TBurstCollector& operator=(TBurstCollector&& other) noexcept;

    bool Holds() const { return mutex_.Valid(); }
    // From here on the burst's other starts hand their paths to `window`.
    void Publish(HWND window);
    void End();

  private:
    UniqueKernelHandle mutex_;
    std::wstring property_;
    HWND window_ = nullptr;
};

enum class TBurstRole { Collector, HandedOver, OwnWindow };

struct TBurstStart {
    TBurstRole Role = TBurstRole::OwnWindow;
    TBurstCollector Collector;  // held for the role Collector
};

// A loaded machine (or Wine) may take seconds to start the collector's
// window; the other starts wait this long for it.
inline constexpr DWORD kWaitForCollectorMs = 30000;
inline constexpr DWORD kHandOverTimeoutMs = 30000;

// The role of a start with the given command-line arguments: collector of a
// new burst, handed over to the collecting window, or its own window.
TBurstStart JoinBurst(const std::vector<std::wstring>& arguments, const TBurstNames& names,
                      DWORD waitForCollectorMs = kWaitForCollectorMs);

// The window published with the property, or nullptr.
HWND FindCollectingWindow(const std::wstring& property);

// True when `window` answered that it took the paths.
bool HandOverTo(HWND window, const std::vector<std::wstring>& paths, DWORD timeoutMs);

// The arguments as full paths, relative ones taken from the current folder.
std::vector<std::wstring> FullPaths(const std::vector<std::wstring>& arguments);
