// The hand-over of a start's paths to the window that collects its burst:
// what the sender encodes comes back whole, and a payload from another
// process that is off in any way yields no path at all.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "HandOverPayload.h"

namespace {

using namespace std::string_literals;
using Bytes = std::vector<std::uint8_t>;

// A payload written by hand: the count as given, then the units.
Bytes Payload(std::uint32_t count, const std::u16string& units) {
    Bytes bytes;
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(count >> (8 * i)));
    for (const char16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

Bytes Payload(const std::u16string& units) {
    return Payload(static_cast<std::uint32_t>(units.size()), units);
}

TEST(HandOverPayload, PathsComeBackWholeAndInOrder) {
    const std::vector<std::vector<std::wstring>> cases = {
        {L"C:\\a.txt"},
        {L"D:\\下载\\文件 一.iso", L"\\\\server\\share\\b", L"z:/c", L"C:\\a.txt"},
        {L"\\\\?\\C:\\" + std::wstring(32760, L'x')},
    };
    for (const auto& paths : cases) {
        const Bytes payload = EncodeHandOver(paths);
        ASSERT_FALSE(payload.empty());
        const auto decoded = DecodeHandOver(payload.data(), payload.size());
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(*decoded, paths);
    }
    // The layout another build of the program relies on.
    EXPECT_EQ(EncodeHandOver({L"C:\\a", L"D:\\b"}), Payload(u"C:\\a\0D:\\b\0"s));
}

TEST(HandOverPayload, WhatCannotBeHandedOverGivesNoPayload) {
    const std::vector<std::vector<std::wstring>> cases = {
        {},
        {L"relative.txt"},
        {L"C:\\a", L"C:relative"},
        {L"\\rooted\\only"},
        {L""},
        {L"C:\\a\nMD5: 0"},
        {L"C:\\" + std::wstring(32765, L'x')},                               // one unit too long
        std::vector<std::wstring>(40, L"C:\\" + std::wstring(16000, L'x')),  // over 1 MiB
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_TRUE(EncodeHandOver(cases[i]).empty()) << "case " << i;
    }
}

TEST(HandOverPayload, AnythingOffYieldsNoPath) {
    const Bytes good = Payload(u"C:\\a\0D:\\b\0"s);
    ASSERT_TRUE(DecodeHandOver(good.data(), good.size()).has_value());
    Bytes odd = good;
    odd.push_back(0);
    Bytes oversized = Payload(u"C:\\" + std::u16string(kHandOverMaxBytes / 2, u'x') + u"\0"s);
    struct Case {
        const char* what;
        Bytes bytes;
    };
    const Case cases[] = {
        {"an odd size", odd},
        {"a count beyond the data", Payload(100, u"C:\\a\0"s)},
        {"a count short of the data", Payload(3, u"C:\\a\0"s)},
        {"a count that wraps", Payload(0x80000003u, u"C:\\a\0"s)},
        {"no terminator", Payload(u"C:\\a\0D:\\b"s)},
        {"an empty path", Payload(u"C:\\a\0\0D:\\b\0"s)},
        {"nothing but the count", Payload(u""s)},
        {"only a terminator", Payload(u"\0"s)},
        {"a relative path", Payload(u"C:\\a\0b.txt\0"s)},
        {"a drive-relative path", Payload(u"C:a\0"s)},
        {"a line break", Payload(u"C:\\a\r\nSHA1: 0\0"s)},
        {"a path too long", Payload(u"C:\\" + std::u16string(32765, u'x') + u"\0"s)},
        {"more than the bound", oversized},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(DecodeHandOver(c.bytes.data(), c.bytes.size()).has_value()) << c.what;
    }
    EXPECT_FALSE(DecodeHandOver(nullptr, 8).has_value());
    EXPECT_FALSE(DecodeHandOver(good.data(), 3).has_value()) << "shorter than the count";
}

TEST(HandOverPayload, AbsolutePathsAreFullWindowsPaths) {
    const struct {
        const wchar_t* path;
        bool absolute;
    } cases[] = {
        {L"C:\\", true},   {L"c:/x", true}, {L"\\\\srv\\share", true}, {L"\\\\?\\C:\\x", true},
        {L"C:", false},    {L"C:x", false}, {L"\\x", false},           {L"\\\\\\x", false},
        {L"1:\\x", false}, {L"x", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsAbsoluteWindowsPath(c.path), c.absolute) << c.path;
}

}  // namespace
