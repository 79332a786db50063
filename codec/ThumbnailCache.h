#pragma once

#include <string>
#include <vector>

namespace murk {

// Desktop file managers keep a plain thumbnail of every picture they have
// shown, keyed by the picture's URI, and go on showing it after the picture
// is shielded because its time stamp is kept. This removes those thumbnails
// ($XDG_CACHE_HOME/thumbnails, else ~/.cache/thumbnails, every size folder).
void ForgetThumbnails(const std::string& path);

// The names the thumbnail cache may keep for a path: the MD5 of each way
// the desktops write its file URI, in hex, plus ".png".
std::vector<std::string> ThumbnailNames(const std::string& path);

}  // namespace murk
