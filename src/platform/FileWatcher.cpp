#include "platform/FileWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

// What an editor's save looks like: written in place, or a new file renamed over the old one.
constexpr std::uint32_t changeEvents =
    IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM;
// A demo's folders are few; a tree much deeper than a demo is not followed further.
constexpr std::size_t maxFolders = 256;

// Vim's, Emacs' and many others' companions of the file being edited.
bool editorCompanion(const std::string& name)
{
    const auto endsWith = [&](const char* suffix) {
        const std::size_t n = std::strlen(suffix);
        return name.size() >= n && name.compare(name.size() - n, n, suffix) == 0;
    };
    return name.empty() || name[0] == '.' || name[0] == '#' || endsWith("~") || endsWith(".swp") ||
           endsWith(".swx") || name == "4913";
}

} // namespace

FileWatcher::FileWatcher() : descriptor(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FileWatcher::~FileWatcher()
{
    if (descriptor >= 0)
        close(descriptor);
}

bool FileWatcher::watchTree(const std::string& folder)
{
    if (descriptor < 0)
        return false;
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return false;
    std::vector<std::string> pending{folder};
    for (std::filesystem::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error))
        if (it->is_directory(error))
            pending.push_back(it->path().string());
    for (const std::string& path : pending) {
        if (folders.size() >= maxFolders)
            break;
        const int watch = inotify_add_watch(descriptor, path.c_str(), changeEvents);
        if (watch >= 0 && std::none_of(folders.begin(), folders.end(),
                                       [&](const auto& entry) { return entry.first == watch; }))
            folders.emplace_back(watch, path);
    }
    return !folders.empty();
}

std::vector<std::string> FileWatcher::takeChanges()
{
    std::vector<std::string> changes;
    if (descriptor < 0)
        return changes;
    alignas(inotify_event) std::array<char, 4096> buffer;
    for (;;) {
        const ssize_t length = read(descriptor, buffer.data(), buffer.size());
        if (length <= 0)
            break; // EAGAIN: nothing more pending
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->len == 0 || (event->mask & IN_ISDIR) != 0)
                continue;
            const std::string name(event->name);
            if (editorCompanion(name))
                continue;
            const auto folder = std::find_if(folders.begin(), folders.end(),
                                             [&](const auto& e) { return e.first == event->wd; });
            if (folder != folders.end())
                changes.push_back(folder->second + "/" + name);
        }
    }
    return changes;
}
