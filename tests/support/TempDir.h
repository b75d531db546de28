#pragma once

#include <filesystem>
#include <string>

// A fresh directory under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::filesystem::path& path() const { return root; }
    // Writes bytes to a file below the directory (creating folders) and returns its full path.
    std::string write(const std::string& relative, const std::string& bytes) const;
    std::string file(const std::string& relative) const { return (root / relative).string(); }

private:
    std::filesystem::path root;
};
