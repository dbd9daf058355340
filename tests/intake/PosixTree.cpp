#include "PosixTree.h"

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>
#include <system_error>

#include "FolderScanPosix.h"

namespace fs = std::filesystem;

TPosixTree::TPosixTree() {
    std::string pattern = (fs::temp_directory_path() / "varudodi-scan-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::system_error(errno, std::generic_category(), "mkdtemp");
    root_ = pattern;
    // Open to other users too, for the cases that drop privileges.
    fs::permissions(root_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
}

namespace {

// Gives the owner full access to every folder below `folder`, so that folders
// a test made unreadable can be removed.
void OpenUp(const fs::path& folder) {
    std::error_code error;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, error);
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (!entry.is_symlink(error) && entry.is_directory(error)) OpenUp(entry.path());
    }
}

}  // namespace

TPosixTree::~TPosixTree() {
    OpenUp(root_);
    std::error_code error;
    fs::remove_all(root_, error);
}

std::wstring TPosixTree::Wide(const std::string& relative) const {
    return FromNativeName(relative.empty() ? root_.string() : (root_ / relative).string());
}

void TPosixTree::Folder(const std::string& relative) const {
    fs::create_directories(root_ / relative);
}

void TPosixTree::File(const std::string& relative) const {
    std::ofstream out(root_ / relative);
    if (!out) throw std::runtime_error("cannot create " + relative);
    out << relative;
}

void TPosixTree::Link(const std::string& relative, const std::string& target) const {
    fs::create_symlink(target, root_ / relative);
}
