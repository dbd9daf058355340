#include "SettingsSnapshot.h"

std::wstring ComputeSettingsSignature(const SettingsWindow& window, std::int8_t stayOnTopState) {
    std::wstring signature;
    for (std::size_t i = 0; i < window.OptionCount(); ++i) {
        signature += window.IsOptionChecked(i) ? L'1' : L'0';
    }
    signature += std::to_wstring(static_cast<int>(stayOnTopState));
    return signature;
}

bool SettingsNeedSaving(const SettingsWindow& window, std::int8_t stayOnTopState,
                        const std::wstring& startSignature, std::int32_t startWidth,
                        std::int32_t startHeight) {
    // A maximised window has outgrown the size taken before it was first
    // shown, so its state is saved whatever its normal size.
    return ComputeSettingsSignature(window, stayOnTopState) != startSignature ||
           window.IsMaximized() || window.Width() != startWidth || window.Height() != startHeight;
}
