// The POSIX file system of the folder scan. There are no hidden or system
// attributes here: the subfolder pass leaves out names beginning with a dot
// instead, which is what the platform's own tools treat as hidden.

#include "FolderScanPosix.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>

#include "FolderScanFileSystem.h"

namespace {

constexpr char32_t kEscapeBase = 0xDC00;  // U+DC80..U+DCFF carry the bytes 0x80..0xFF

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Length of the valid UTF-8 sequence at `pos` and its code point, or 0.
std::size_t DecodeUtf8(const std::string& in, std::size_t pos, char32_t& c) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(in[i]); };
    const unsigned char lead = byte(pos);
    std::size_t length;
    char32_t min;
    if (lead < 0x80) {
        c = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (in.size() - pos < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte(pos + i) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return length;
}

class TPosixListing : public TDirectoryListing {
  public:
    TPosixListing(DIR* dir, TScanPass pass) : dir_(dir), pass_(pass) {}
    ~TPosixListing() override { ::closedir(dir_); }
    TPosixListing(const TPosixListing&) = delete;
    TPosixListing& operator=(const TPosixListing&) = delete;

    bool Next(TListedEntry& listed) override {
        while (const dirent* entry = ::readdir(dir_)) {
            if (pass_ == TScanPass::Subfolders && entry->d_name[0] == '.') continue;
            listed.Name = FromNativeName(entry->d_name);
            // Folders, links and entries of unknown type get a closer look.
            listed.KnownFile =
                entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN;
            return true;
        }
        return false;  // the end, or a read error: what was listed stands
    }

  private:
    DIR* dir_;
    TScanPass pass_;
};

class TPosixFileSystem : public TFileSystem {
  public:
    wchar_t Separator() const override { return L'/'; }

    std::unique_ptr<TDirectoryListing> List(const std::wstring& folder, TScanPass pass) override {
        DIR* dir = ::opendir(ToNativePath(folder).c_str());
        if (!dir) return nullptr;
        return std::make_unique<TPosixListing>(dir, pass);
    }

    TPathInfo Inspect(const std::wstring& path) override {
        struct stat status {};
        if (::stat(ToNativePath(path).c_str(), &status) != 0) return {};
        if (!S_ISDIR(status.st_mode)) return {TPathKind::File, std::nullopt};
        return {TPathKind::Directory, TFolderIdentity{static_cast<std::uint64_t>(status.st_dev),
                                                      static_cast<std::uint64_t>(status.st_ino)}};
    }
};

}  // namespace

std::string ToNativePath(const std::wstring& path) {
    std::string out;
    out.reserve(path.size());
    for (const wchar_t wc : path) {
        const auto c = static_cast<char32_t>(wc);
        if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
            out += static_cast<char>(c - kEscapeBase);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

std::wstring FromNativeName(const std::string& name) {
    std::wstring out;
    out.reserve(name.size());
    for (std::size_t pos = 0; pos < name.size();) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8(name, pos, c);
        if (length == 0) {
            out += static_cast<wchar_t>(kEscapeBase + static_cast<unsigned char>(name[pos]));
            ++pos;
        } else {
            out += static_cast<wchar_t>(c);
            pos += length;
        }
    }
    return out;
}

TFileSystem& PlatformFileSystem() {
    static TPosixFileSystem fileSystem;
    return fileSystem;
}
