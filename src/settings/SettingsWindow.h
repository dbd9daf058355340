#pragma once
// What loading and saving the settings needs of the main window. The window
// implements this over its real controls; tests implement it in memory.

#include <cstddef>
#include <cstdint>
#include <string>

// The smallest outer size of the window, frame included: the window keeps to
// it while sizing, and loaded settings are raised to it.
constexpr std::int32_t kMinimumOuterWidth = 511;
constexpr std::int32_t kMinimumOuterHeight = 397;

class SettingsWindow {
  public:
    virtual ~SettingsWindow() = default;

    // The window's plain check boxes, in the order the window created them.
    virtual std::size_t OptionCount() const = 0;
    // The control name of option `index`, e.g. "CB_MD5".
    virtual std::wstring OptionName(std::size_t index) const = 0;
    virtual bool IsOptionChecked(std::size_t index) const = 0;
    virtual void SetOptionChecked(std::size_t index, bool checked) = 0;

    // Maximised, or minimised from maximised (it returns to maximised).
    virtual bool IsMaximized() const = 0;
    // Before the window is first shown this makes it appear maximized.
    virtual void SetMaximized() = 0;

    // The form style: whether the window is a topmost window.
    virtual bool IsStayOnTop() const = 0;
    // Makes the window topmost at once, without moving, sizing or activating it.
    virtual void SetStayOnTop() = 0;

    // Outer size in pixels, frame included, of the window's normal placement
    // (the size it has when neither maximised nor minimised). Setting a size
    // goes through the window's minimum-size rule, so reading it back may
    // give a larger value.
    virtual std::int32_t Width() const = 0;
    virtual std::int32_t Height() const = 0;
    virtual void SetWidth(std::int32_t width) = 0;
    virtual void SetHeight(std::int32_t height) = 0;
};
