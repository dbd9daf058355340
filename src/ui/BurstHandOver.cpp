#include "BurstHandOver.h"

#include <cstdint>
#include <cwchar>
#include <utility>

#include "HandOverPayload.h"
#include "SettingsStoresWin32.h"

namespace {

// How often a waiting start looks for the collector's window.
constexpr DWORD kPollMs = 50;

std::wstring Hex64(std::uint64_t value) {
    wchar_t text[17] = {};
    std::swprintf(text, 17, L"%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::wstring ThisDesktopName() {
    wchar_t name[256] = {};
    // Without a name the starts of every desktop of the session meet; a
    // window of another desktop is then simply not found.
    if (!::GetUserObjectInformationW(::GetThreadDesktop(::GetCurrentThreadId()), UOI_NAME, name,
                                     sizeof(name) - sizeof(wchar_t), nullptr)) {
        name[0] = L'\0';
    }
    return name;
}

}  // namespace

TBurstNames BurstNamesFor(const std::wstring& executablePath, const std::wstring& desktop) {
    // Kernel object names take no backslash after the namespace: the key is
    // hashed (FNV-1a), the path without regard to letter case.
    std::wstring key = executablePath;
    if (!key.empty()) ::CharLowerBuffW(key.data(), static_cast<DWORD>(key.size()));
    key += L'|';
    key += desktop;
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t c : key) {
        hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    }
    const std::wstring id = L"Varudodi.Burst." + Hex64(hash);
    return {L"Local\\" + id, id};
}

TBurstNames BurstNamesOfThisProgram() {
    return BurstNamesFor(CurrentExecutablePath(), ThisDesktopName());
}

TBurstCollector::TBurstCollector(UniqueKernelHandle ownedMutex, std::wstring property)
    : mutex_(std::move(ownedMutex)), property_(std::move(property)) {}

TBurstCollector::TBurstCollector(TBurstCollector&& other) noexcept
    : mutex_(std::move(other.mutex_)),
      property_(std::move(other.property_)),
      window_(std::exchange(other.window_, nullptr)) {}

TBurstCollector& TBurstCollector::operator=(TBurstCollector&& other) noexcept {
    if (this != &other) {
        End();
        mutex_ = std::move(other.mutex_);
        property_ = std::move(other.property_);
        window_ = std::exchange(other.window_, nullptr);
    }
    return *this;
}

void TBurstCollector::Publish(HWND window) {
    if (!Holds()) return;
    if (!::SetPropW(window, property_.c_str(), reinterpret_cast<HANDLE>(1))) {
        // Not found, the other starts open their own windows: nothing is lost.
        return;
    }
    window_ = window;
}

void TBurstCollector::End() {
    // Fails only for a window already destroyed, whose properties are gone.
    if (window_) ::RemovePropW(window_, property_.c_str());
    window_ = nullptr;
    // The thread that won the election releases it; a release in a
    // destructor is not reported.
    if (mutex_) ::ReleaseMutex(mutex_.Get());
    mutex_.Reset();
}

HWND FindCollectingWindow(const std::wstring& property) {
    struct Search {
        const std::wstring* Property;
        HWND Found;
    } search{&property, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            if (!::GetPropW(window, s->Property->c_str())) return TRUE;
            s->Found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

bool HandOverTo(HWND window, const std::vector<std::wstring>& paths, DWORD timeoutMs) {
    std::vector<std::uint8_t> payload = EncodeHandOver(paths);
    if (payload.empty()) return false;
    COPYDATASTRUCT data{};
    data.dwData = kHandOverTag;
    data.cbData = static_cast<DWORD>(payload.size());
    data.lpData = payload.data();
    DWORD_PTR reply = FALSE;
    // A window that closed, hangs or does not answer in time took nothing.
    if (!::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &reply)) {
        return false;
    }
    return reply == TRUE;
}

std::vector<std::wstring> FullPaths(const std::vector<std::wstring>& arguments) {
    std::vector<std::wstring> paths;
    for (const std::wstring& argument : arguments) {
        const DWORD size = ::GetFullPathNameW(argument.c_str(), 0, nullptr, nullptr);
        std::wstring full(size, L'\0');
        const DWORD length =
            size ? ::GetFullPathNameW(argument.c_str(), size, full.data(), nullptr) : 0;
        // A path the system cannot complete stays as written; it cannot be
        // handed over, and the start opens its own window with it.
        if (length == 0 || length >= size) {
            paths.push_back(argument);
        } else {
            full.resize(length);
            paths.push_back(std::move(full));
        }
    }
    return paths;
}

TBurstStart JoinBurst(const std::vector<std::wstring>& arguments, const TBurstNames& names,
                      DWORD waitForCollectorMs) {
    TBurstStart start;
    UniqueKernelHandle mutex(::CreateMutexW(nullptr, FALSE, names.Mutex.c_str()));
    if (!mutex) return start;  // no election: a window of its own
    const std::vector<std::wstring> paths = FullPaths(arguments);
    const ULONGLONG deadline = ::GetTickCount64() + waitForCollectorMs;
    DWORD wait = 0;
    for (;;) {
        const DWORD waited = ::WaitForSingleObject(mutex.Get(), wait);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            start.Role = TBurstRole::Collector;
            start.Collector = TBurstCollector(std::move(mutex), names.Property);
            return start;
        }
        if (waited != WAIT_TIMEOUT) return start;
        if (const HWND window = FindCollectingWindow(names.Property)) {
            start.Role = HandOverTo(window, paths, kHandOverTimeoutMs) ? TBurstRole::HandedOver
                                                                       : TBurstRole::OwnWindow;
            return start;
        }
        // The collector is still starting its window.
        if (::GetTickCount64() >= deadline) return start;
        wait = kPollMs;
    }
}
