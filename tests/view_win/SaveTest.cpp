// Saving the results as a plain text file in the system's ANSI code page,
// with the save dialog driven as the user drives it.

#include "ViewFixture.h"  // first: it brings <windows.h>

#include <string>

#include "JobPlatform.h"
#include "UserDriver.h"

namespace {

// "文件名称: 校验结果.txt", "MD5: 9E107D9D" and a Thai letter that code page
// 936 lacks, as the view holds them, and the same in code page 936 with
// CR LF line breaks.
const std::wstring kViewText = L"文件名称: 校验结果.txt\r\nMD5: 9E107D9D\r\n\u0E01\r\n";
const std::string kCp936Bytes = std::string("\xCE\xC4\xBC\xFE\xC3\xFB\xB3\xC6: ") +  // 文件名称
                                "\xD0\xA3\xD1\xE9\xBD\xE1\xB9\xFB.txt\r\n" +         // 校验结果
                                "MD5: 9E107D9D\r\n" + "?\r\n";

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
        ::GetCurrentDirectoryW(MAX_PATH, startFolder_);
    }
    void TearDown() override {
        // Saving into another folder leaves the process's current folder.
        wchar_t now[MAX_PATH] = {};
        ::GetCurrentDirectoryW(MAX_PATH, now);
        EXPECT_STREQ(now, startFolder_);
        ::SetCurrentDirectoryW(startFolder_);
        ViewFixture::TearDown();
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
            // Either the dialog closes or it asks before replacing a file.
            const ULONGLONG deadline = ::GetTickCount64() + 10000;
            while (::IsWindowVisible(dialog) && ::GetTickCount64() < deadline) {
                if (const HWND prompt = WaitForOwnedDialog(dialog, 50)) {
                    session.ReplacePrompt = ReadMessageBox(prompt);
                    PressButton(prompt, replaceAnswer);
                    WaitUntilClosed(prompt);
                    if (replaceAnswer != IDYES) break;
                }
            }
            // A refused replacement leaves the dialog open.
            if (!WaitUntilClosed(dialog, 500)) PressButton(dialog, IDCANCEL);
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

    // A path in the test's own folder.
    std::wstring In(const std::wstring& name) const { return folder_.Path() + L"\\" + name; }

    wchar_t startFolder_[MAX_PATH] = {};
    ScratchFolder folder_{L"保存测试"};
};

TEST_F(SaveTest, DialogStartsAsSetUpAndTheFileIsCodePage936WithoutBom) {
    CreateFilledForm(kViewText);
    const std::wstring chosen = In(L"校验结果一");
    const SaveSession session = Save(chosen);
    ASSERT_TRUE(session.DialogShown);
    EXPECT_EQ(session.Dialog.FileName, L"Hash校验结果");
    EXPECT_EQ(session.Dialog.Types,
              (std::vector<std::wstring>{L"文体文件", L"所有文件", L"MD5 哈希文件",
                                         L"SHA1 哈希文件", L"SHA256 哈希文件", L"SFV 文件"}));
    EXPECT_EQ(session.Dialog.TypeIndex, 0);
    EXPECT_FALSE(session.Dialog.ReadOnlyBoxVisible);
    EXPECT_TRUE(session.ErrorBox.Caption.empty()) << session.ErrorBox.Text;

    // The default extension joins a name typed without one.
    EXPECT_EQ(ReadFileBytes(chosen + L".txt"), kCp936Bytes);
    EXPECT_EQ(form_->SaveDialog1.FileName, chosen + L".txt");
    EXPECT_EQ(ViewText(), kViewText) << "the view is unchanged";
}

TEST_F(SaveTest, AnyExtensionStillGetsPlainTextAndTheChoiceIsKept) {
    CreateFilledForm(kViewText);
    const std::wstring rtf = In(L"结果.rtf");
    SaveSession session = Save(rtf, 1);
    EXPECT_EQ(ReadFileBytes(rtf), kCp936Bytes);
    EXPECT_EQ(form_->SaveDialog1.FilterIndex, 2);

    // The next save of the run starts from the chosen name and type.
    AppendToView(L"CRC32: 414FA339\r\n");
    session = Save(In(L"第二次.log"));
    EXPECT_EQ(session.Dialog.FileName, L"结果.rtf");
    EXPECT_EQ(session.Dialog.TypeIndex, 1);
    EXPECT_EQ(ReadFileBytes(In(L"第二次.log")), kCp936Bytes + "CRC32: 414FA339\r\n");
}

TEST_F(SaveTest, ReplacingAFileAsksFirst) {
    CreateFilledForm(kViewText);
    const std::wstring existing = In(L"旧结果.txt");
    WriteFileBytes(existing, std::string(5000, 'o'));

    SaveSession session = Save(existing, -1, IDNO);
    EXPECT_FALSE(session.ReplacePrompt.Caption.empty()) << "asked before replacing";
    EXPECT_EQ(ReadFileBytes(existing), std::string(5000, 'o'));

    session = Save(existing, -1, IDYES);
    EXPECT_FALSE(session.ReplacePrompt.Caption.empty());
    EXPECT_EQ(ReadFileBytes(existing), kCp936Bytes) << "replaced, not appended";
}

TEST_F(SaveTest, CancelWritesNothing) {
    CreateFilledForm(kViewText);
    const SaveSession session = Save(L"");
    EXPECT_TRUE(session.DialogShown);
    EXPECT_TRUE(session.ErrorBox.Caption.empty());
    EXPECT_EQ(form_->SaveDialog1.FileName, L"Hash校验结果");
    EXPECT_EQ(form_->SaveDialog1.FilterIndex, 1);
}

TEST_F(SaveTest, FileThatCannotBeCreatedShowsTheSystemsReason) {
    CreateFilledForm(kViewText);
    const std::wstring path = In(L"不存在的文件夹\\结果.txt");
    const SaveSession session = Save(path);
    EXPECT_EQ(session.ErrorBox.Caption, L"Varudodi");
    EXPECT_EQ(session.ErrorBox.Text, L"Cannot create file \"" + path + L"\". " +
                                         SystemJobPlatform().ErrorReason(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(session.ErrorBox.Icon, ::LoadIconW(nullptr, IDI_ERROR));
    EXPECT_EQ(ViewText(), kViewText);
}

TEST_F(SaveTest, WriteFailureShowsFailedToSaveStream) {
    // Linux's /dev/full accepts the file's creation and refuses every write.
    const std::wstring full = L"Z:\\dev\\full";
    const UniqueFile probe(::CreateFileW(full.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    if (!probe) GTEST_SKIP() << "no device that refuses writes";
    CreateFilledForm(kViewText);
    // With the type "所有文件" chosen the dialog adds no extension.
    const SaveSession session = Save(full, 1);
    EXPECT_EQ(session.ErrorBox.Caption, L"Varudodi");
    EXPECT_EQ(session.ErrorBox.Text, L"Failed to Save Stream");
    EXPECT_EQ(ViewText(), kViewText);
}

TEST_F(SaveTest, EachListTypeWritesItsAlgorithmFromTheBlocks) {
    // Two hashed files below the list's folder, one elsewhere, a block that
    // shows only a name, and an error block.
    CreateFilledForm(ReportBlock(In(L"a b.txt"), false) + L"\r\n" +
                     ReportBlock(In(L"子 目录\\中.txt"), true) + L"\r\n" +
                     ReportBlock(L"D:\\别处\\x.bin", false) + L"\r\n" +
                     ReportBlock(L"名.txt", false) + L"\r\n打开失败：C:\\gone\r\n错误原因：x\r\n");
    const auto lines = [](const std::string& lower, const std::string& upper, bool sfv) {
        const auto line = [&](const std::string& name, const std::string& digest) {
            return sfv ? name + " " + digest + "\n" : digest + " *" + name + "\n";
        };
        return line("a b.txt", lower) +
               line("\xE5\xAD\x90 \xE7\x9B\xAE\xE5\xBD\x95/\xE4\xB8\xAD.txt", upper) +
               line("D:\\\xE5\x88\xAB\xE5\xA4\x84\\x.bin", lower) + line("\xE5\x90\x8D.txt", lower);
    };
    struct Case {
        int typeIndex;
        const wchar_t* name;
        std::string content;
    };
    const Case cases[] = {
        {2, L"列表.md5",
         lines("9e107d9d372bb6826bd81d3542a419d6", "9E107D9D372BB6826BD81D3542A419D6", false)},
        {3, L"列表.sha1",
         lines("2fd4e1c67a2d28fced849ee1bb76e7391b93eb12",
               "2FD4E1C67A2D28FCED849EE1BB76E7391B93EB12", false)},
        {4, L"列表.sha256",
         lines("d7a8fbb307d7809469ca9abcb0082e4f8d5651e46d3cdb762d02d0bf37c9e592",
               "D7A8FBB307D7809469CA9ABCB0082E4F8D5651E46D3CDB762D02D0BF37C9E592", false)},
        {5, L"列表.sfv", lines("414fa339", "414FA339", true)},
    };
    for (const Case& c : cases) {
        const SaveSession session = Save(In(c.name), c.typeIndex);
        EXPECT_TRUE(session.ErrorBox.Caption.empty()) << session.ErrorBox.Text;
        EXPECT_EQ(ReadFileBytes(In(c.name)), c.content) << c.typeIndex;
        EXPECT_EQ(form_->SaveDialog1.FilterIndex, c.typeIndex + 1);
    }
}

TEST_F(SaveTest, ListWithoutThatAlgorithmIsNotWritten) {
    CreateFilledForm(L"文件名称: a.txt\r\nMD5: 9e107d9d372bb6826bd81d3542a419d6\r\n");
    const std::wstring path = In(L"空.sha1");
    const SaveSession session = Save(path, 3);
    EXPECT_EQ(session.ErrorBox.Caption, L"提示");
    EXPECT_EQ(session.ErrorBox.Text, L"结果中没有 SHA1 值，未保存文件。");
    EXPECT_EQ(session.ErrorBox.Icon, ::LoadIconW(nullptr, IDI_INFORMATION));
    EXPECT_EQ(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing written";
}

}  // namespace
