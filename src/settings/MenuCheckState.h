#pragma once

#include <cstdint>

// ContextMenuState, SendToState and StayOnTopState each hold 0 or this value,
// the system menu's check flag (MF_CHECKED), and are passed to it unchanged.
constexpr std::int8_t kMenuChecked = 8;
constexpr std::int8_t kMenuUnchecked = 0;
