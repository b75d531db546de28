#pragma once

#include <string>
#include <vector>

// Changes to the files below some folders, as the system reports them (inotify on Linux). Only
// polled: nothing here blocks or runs on another thread.
class FileWatcher {
public:
    FileWatcher();
    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;
    ~FileWatcher();

    // Watches folder and the folders below it as they are now. False where the folder cannot
    // be watched (missing, or no watcher on this system).
    bool watchTree(const std::string& folder);

    // The files written, created, moved in or deleted since the last call, as paths joined from
    // the watched folder; editors' swap and backup files are left out.
    std::vector<std::string> takeChanges();

private:
    int descriptor = -1;
    std::vector<std::pair<int, std::string>> folders; // watch descriptor, folder path
};
