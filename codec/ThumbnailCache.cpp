#include "ThumbnailCache.h"

#include <dirent.h>
#include <limits.h>
#include <nettle/md5.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace murk {

namespace {

std::string AbsolutePath(const std::string& path) {
    if (path.starts_with('/')) {
        return path;
    }
    char cwd[PATH_MAX];
    return ::getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + path : path;
}

// GLib leaves these bytes of a path unescaped; Qt leaves ';' as well.
std::string FileUri(const std::string& path, std::string_view alsoUnescaped) {
    static constexpr std::string_view kUnescaped = "!$&'()*+,-./:=@_~";
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || kUnescaped.find(char(c)) != kUnescaped.npos ||
                           alsoUnescaped.find(char(c)) != alsoUnescaped.npos;
        if (plain) {
            uri += char(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri;
}

std::string Md5Hex(const std::string& text) {
    md5_ctx ctx;
    md5_init(&ctx);
    md5_update(&ctx, text.size(), reinterpret_cast<const uint8_t*>(text.data()));
    uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&ctx, sizeof digest, digest);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (uint8_t byte : digest) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 15];
    }
    return hex;
}

std::string CacheRoot() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/') {
        return std::string(cache) + "/thumbnails";
    }
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) + "/.cache/thumbnails" : std::string();
}

// Every folder below the cache root: the size folders and the failure
// folders of each thumbnailer.
void CollectFolders(const std::string& folder, int depth, std::vector<std::string>& folders) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    folders.push_back(folder);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (depth > 0 && name != "." && name != ".." && entry->d_type == DT_DIR) {
            CollectFolders(folder + "/" + std::string(name), depth - 1, folders);
        }
    }
    ::closedir(dir);
}

}  // namespace

std::vector<std::string> ThumbnailNames(const std::string& path) {
    std::vector<std::string> paths{AbsolutePath(path)};
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr && paths[0] != resolved) {
        paths.emplace_back(resolved);
    }
    std::vector<std::string> names;
    for (const auto& absolute : paths) {
        for (std::string_view extra : {std::string_view(), std::string_view(";")}) {
            std::string name = Md5Hex(FileUri(absolute, extra)) + ".png";
            if (std::find(names.begin(), names.end(), name) == names.end()) {
                names.push_back(std::move(name));
            }
        }
    }
    return names;
}

void ForgetThumbnails(const std::string& path) {
    const std::string root = CacheRoot();
    if (root.empty()) {
        return;
    }
    std::vector<std::string> folders;
    CollectFolders(root, 2, folders);
    const auto names = ThumbnailNames(path);
    for (const auto& folder : folders) {
        for (const auto& name : names) {
            ::unlink((folder + "/" + name).c_str());
        }
    }
}

}  // namespace murk
