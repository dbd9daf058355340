#pragma once
// A temporary folder tree on the real file system, removed with everything
// in it when the test ends.

#include <filesystem>
#include <string>

class TPosixTree {
  public:
    TPosixTree();
    ~TPosixTree();
    TPosixTree(const TPosixTree&) = delete;
    TPosixTree& operator=(const TPosixTree&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    // The root, or a path below it, as the scan writes it.
    std::wstring Wide(const std::string& relative = "") const;

    void Folder(const std::string& relative) const;
    void File(const std::string& relative) const;
    // A symbolic link at `relative` whose content is `target`, as given.
    void Link(const std::string& relative, const std::string& target) const;

  private:
    std::filesystem::path root_;
};
