#include "ImageFile.h"

namespace murk {

std::string LowerExtension(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    std::string ext(name.substr(dot));
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') {
            c = char(c - 'A' + 'a');
        }
    }
    return ext;
}

bool IsImageExtension(std::string_view ext, bool renameExt, std::string_view newExt) {
    if (ext == ".jpg" || ext == ".jpeg") {
        return true;
    }
    return renameExt && ext.size() == newExt.size() + 1 && ext[0] == '.' && ext.substr(1) == newExt;
}

}  // namespace murk
