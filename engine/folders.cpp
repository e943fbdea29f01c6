#include "engine/folders.h"

namespace engine {

int CreateFolderPath(os::FileSystem& fs, const core::u16& path) {
    if (path.size() > kMaxFolderPath) return 0;
    if (path.size() < 2 || path[1] != u':') return 0;
    if (!fs.DirectoryExists(path.substr(0, 2))) return 0;
    for (std::size_t i = 3; i < path.size(); ++i) {
        if (path[i] != u'\\') continue;
        const core::u16 prefix = path.substr(0, i);
        if (!fs.DirectoryExists(prefix) && !fs.MakeDirectory(prefix)) return 0;
        if (i + 1 == path.size()) return 1;
    }
    if (fs.DirectoryExists(path)) return 1;
    return fs.MakeDirectory(path) ? 1 : 0;
}

}  // namespace engine
