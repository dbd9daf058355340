#include "LocaleSettings.h"

#include <cwchar>
#include <mutex>
#include <utility>

namespace {

struct SnapshotSlot {
    std::mutex lock;
    std::shared_ptr<const LocaleSettings> current;
};

SnapshotSlot& Slot() {
    static SnapshotSlot slot;
    return slot;
}

}  // namespace

std::shared_ptr<const LocaleSettings> CurrentLocaleSettings() {
    SnapshotSlot& slot = Slot();
    std::lock_guard<std::mutex> guard(slot.lock);
    if (!slot.current) {
        slot.current = std::make_shared<const LocaleSettings>(ReadUserLocaleSettings());
    }
    return slot.current;
}

void InstallLocaleSettings(LocaleSettings settings) {
    auto snapshot = std::make_shared<const LocaleSettings>(std::move(settings));
    SnapshotSlot& slot = Slot();
    std::lock_guard<std::mutex> guard(slot.lock);
    slot.current.swap(snapshot);
    // The old snapshot is released after the lock, by the last reader.
}

void RefreshLocaleSettings() {
    InstallLocaleSettings(ReadUserLocaleSettings());
}

bool IsRegionalSettingsChange(const wchar_t* area) {
    return area != nullptr && std::wcscmp(area, L"intl") == 0;
}
