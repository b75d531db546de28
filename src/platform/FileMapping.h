#pragma once

#include <cstddef>
#include <optional>
#include <string>

// A whole file mapped read-only. Move-only; the mapping and descriptor go with the object.
class FileMapping {
public:
    // Empty when the file does not exist or cannot be opened for reading. An empty file opens
    // with data() null and size() 0: there is nothing to map.
    static std::optional<FileMapping> open(const std::string& path);

    // True when path names an existing file that can be opened for reading; the probe for
    // optional files.
    static bool exists(const std::string& path);

    FileMapping(FileMapping&& other) noexcept;
    FileMapping& operator=(FileMapping&& other) noexcept;
    FileMapping(const FileMapping&) = delete;
    FileMapping& operator=(const FileMapping&) = delete;
    ~FileMapping();

    const char* data() const { return base; }
    std::size_t size() const { return length; }

private:
    FileMapping() = default;
    void release();

    const char* base = nullptr;
    std::size_t length = 0;
    int descriptor = -1;
};
