// Saving the results as a plain text file in the system's ANSI code page,
// with the save dialog driven as the user drives it.

#include "ViewFixture.h"  // first: it brings <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "JobPlatform.h"
#include "UserDriver.h"

namespace {

// "文件名称: 校验结果.txt", "MD5: 9E107D9D" and a Thai letter that code page
// 936 lacks, as the view holds them, and the same in code page 936 with
// CR LF line breaks.
const std::wstring kViewText = L"文件名称: 校验结果.txt\r\nMD5: 9E107D9D\r\n\u0E01\r\n";
const std::string kCp936Bytes =
    "\xCE\xC4\xBC\xFE\xC3\xFB\xB3\xC6\x3A\x20\xD0\xA3\xD1\xE9\xBD\xE1\xB9\xFB\x2E\x74\x78\x74\x0D\x0A"
    "\x4D\x44\x35\x3A\x20\x39\x45\x31\x30\x37\x44\x39\x44\x0D\x0A\x3F\x0D\x0A";

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, buffer);
    return buffer;
}

// A fresh folder for the test's files, removed with them at the end.
class ScratchFolder {
public:
    ScratchFolder() : path_(TempFolder() + L"保存测试" + std::to_wstring(::GetCurrentProcessId())) {
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        WIN32_FIND_DATAW found{};
        const HANDLE search = ::FindFirstFileW((path_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring file = path_ + L"\\" + found.cFileName;
                ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(file.c_str());
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        ::RemoveDirectoryW(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary);
    out << bytes;
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// What the user saw and answered during one click on Save.
struct SaveSession {
    SeenSaveDialog Dialog;
    SeenMessageBox ReplacePrompt;  // asked before replacing a file
    SeenMessageBox ErrorBox;       // the application's error box afterwards
    bool DialogShown = false;
};

class SaveTest : public ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        ASSERT_EQ(::GetACP(), 936u) << "run with a Simplified Chinese locale (LANG=zh_CN.UTF-8)";
    }

    // Clicks Save; in the dialog chooses the file type (when typeIndex >= 0),
    // types `name` and presses Save, or cancels when `name` is empty.
    SaveSession Save(const std::wstring& name, int typeIndex = -1, int replaceAnswer = IDYES) {
        SaveSession session;
        const HWND form = form_->Handle();
        BackgroundUser user([&] {
            const HWND dialog = WaitForOwnedDialog(form);
            if (!dialog) return;
            session.DialogShown = true;
            session.Dialog = ReadSaveDialog(dialog);
            if (name.empty()) {
                PressButton(dialog, IDCANCEL);
                WaitUntilClosed(dialog);
                return;
            }
            if (typeIndex >= 0) ChooseFileType(dialog, typeIndex);
            TypeFileName(dialog, name);
            PressButton(dialog, IDOK);
            if (const HWND prompt = WaitForOwnedDialog(dialog, 1500)) {
                session.ReplacePrompt = ReadMessageBox(prompt);
                PressButton(prompt, replaceAnswer);
            }
            if (!WaitUntilClosed(dialog)) PressButton(dialog, IDCANCEL);
            if (const HWND box = WaitForOwnedDialog(form, 1000)) {
                session.ErrorBox = ReadMessageBox(box);
                PressButton(box, IDOK);
                WaitUntilClosed(box);
            }
        });
        Click(form_->Btn_Save);
        user.Join();
        return session;
    }

    ScratchFolder folder_;
};

TEST_F(SaveTest, DialogStartsAsSetUpAndTheFileIsCodePage936WithoutBom) {
    CreateFilledForm(kViewText);
    const std::wstring chosen = folder_ / L"校验结果一";
    const SaveSession session = Save(chosen);
    ASSERT_TRUE(session.DialogShown);
    EXPECT_EQ(session.Dialog.FileName, L"Hash校验结果");
    EXPECT_EQ(session.Dialog.Types, (std::vector<std::wstring>{L"文体文件", L"所有文件"}));
    EXPECT_EQ(session.Dialog.TypeIndex, 0);
    EXPECT_FALSE(session.Dialog.ReadOnlyBoxVisible);
    EXPECT_TRUE(session.ErrorBox.Caption.empty()) << session.ErrorBox.Text;

    // The default extension joins a name typed without one.
    EXPECT_EQ(ReadBytes(chosen + L".txt"), kCp936Bytes);
    EXPECT_EQ(form_->SaveDialog1.FileName, chosen + L".txt");
    EXPECT_EQ(ViewText(), kViewText) << "the view is unchanged";
}

TEST_F(SaveTest, AnyExtensionStillGetsPlainTextAndTheChoiceIsKept) {
    CreateFilledForm(kViewText);
    const std::wstring rtf = folder_ / L"结果.rtf";
    SaveSession session = Save(rtf, 1);
    EXPECT_EQ(ReadBytes(rtf), kCp936Bytes);
    EXPECT_EQ(form_->SaveDialog1.FilterIndex, 2);

    // The next save of the run starts from the chosen name and type.
    AppendToView(L"CRC32: 414FA339\r\n");
    session = Save(folder_ / L"第二次.log");
    EXPECT_EQ(session.Dialog.FileName, L"结果.rtf");
    EXPECT_EQ(session.Dialog.TypeIndex, 1);
    EXPECT_EQ(ReadBytes(folder_ / L"第二次.log"), kCp936Bytes + "CRC32: 414FA339\r\n");
}

TEST_F(SaveTest, ReplacingAFileAsksFirst) {
    CreateFilledForm(kViewText);
    const std::wstring existing = folder_ / L"旧结果.txt";
    WriteBytes(existing, std::string(5000, 'o'));

    SaveSession session = Save(existing, -1, IDNO);
    EXPECT_FALSE(session.ReplacePrompt.Caption.empty()) << "asked before replacing";
    EXPECT_EQ(ReadBytes(existing), std::string(5000, 'o'));

    session = Save(existing, -1, IDYES);
    EXPECT_FALSE(session.ReplacePrompt.Caption.empty());
    EXPECT_EQ(ReadBytes(existing), kCp936Bytes) << "replaced, not appended";
}

TEST_F(SaveTest, CancelWritesNothing) {
    CreateFilledForm(kViewText);
    const SaveSession session = Save(L"");
    EXPECT_TRUE(session.DialogShown);
    EXPECT_TRUE(session.ErrorBox.Caption.empty());
    EXPECT_EQ(form_->SaveDialog1.FileName, L"Hash校验结果");
    EXPECT_FALSE(FileExists(folder_ / L"Hash校验结果.txt"));
}

TEST_F(SaveTest, FileThatCannotBeCreatedShowsTheSystemsReason) {
    CreateFilledForm(kViewText);
    const std::wstring path = folder_ / L"不存在的文件夹\\结果.txt";
    const SaveSession session = Save(path);
    EXPECT_EQ(session.ErrorBox.Caption, L"Varudodi");
    EXPECT_EQ(session.ErrorBox.Text,
              L"Cannot create file \"" + path + L"\". " + SystemJobPlatform().ErrorReason(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(session.ErrorBox.Icon, ::LoadIconW(nullptr, IDI_ERROR));
    EXPECT_EQ(ViewText(), kViewText);

}

TEST_F(SaveTest, WriteFailureShowsFailedToSaveStream) {
    // Linux's /dev/full accepts the file's creation and refuses every write.
    const std::wstring full = L"Z:\\dev\\full";
    const UniqueFile probe(
        ::CreateFileW(full.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!probe) GTEST_SKIP() << "no device that refuses writes";
    CreateFilledForm(kViewText);
    // The trailing dot keeps the default extension away.
    const SaveSession session = Save(full + L".");
    EXPECT_EQ(session.ErrorBox.Caption, L"Varudodi");
    EXPECT_EQ(session.ErrorBox.Text, L"Failed to Save Stream");
    EXPECT_EQ(ViewText(), kViewText);
}

}  // namespace
