#pragma once
// The texts the hash job composes for a file's report block, apart from the
// detail lines that the report fields format.

#include <cstdint>
#include <string>

// The labels of the two-line error blocks.
inline constexpr const wchar_t* kOpenFailureLabel = L"打开失败：";
inline constexpr const wchar_t* kSizeFailureLabel = L"获取文件大小失败：";
inline constexpr const wchar_t* kReadFailureLabel = L"读取失败：";
// The first line of a check's block for an entry that the check does not
// open, followed by "原因：" and why.
inline constexpr const wchar_t* kNotOpenedLabel = L"未打开：";
inline constexpr const wchar_t* kNotOpenedReasonLabel = L"原因：";

// The lines of a check that tell its outcome: an entry's verdict (the last
// line of its block; a difference goes on with the digest the list expects)
// and the first line of the summary.
inline constexpr const wchar_t* kMatchVerdict = L"校验结果: 一致";
inline constexpr const wchar_t* kMismatchVerdict = L"校验结果: 不一致";
inline constexpr const wchar_t* kVerifySummaryLabel = L"校验完成：";

// "<label>%s\r\n错误原因：%s\r\n" with the path as stored in the queue.
std::wstring FormatFailureBlock(const wchar_t* label, const std::wstring& path,
                                const std::wstring& reason);

// "%s<name>: %s\r\n": appends one digest line, e.g. "MD5: " and the digest.
void AppendDigestLine(std::wstring& text, const wchar_t* name, const std::wstring& digest);

// "%s计算时间: %fs%s\r\n": the seconds with two decimals and the given
// decimal separator, the letter s, then the speed text.
void AppendCalcTimeLine(std::wstring& text, double seconds, const std::wstring& decimalSeparator,
                        const std::wstring& speed);
