#include "platform/FileMapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

std::optional<FileMapping> FileMapping::open(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    FileMapping mapping;
    mapping.descriptor = fd;
    if (info.st_size > 0) {
        const auto size = static_cast<std::size_t>(info.st_size);
        void* view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        // A failed map after a successful open reads as an empty file.
        if (view != MAP_FAILED) {
            ::madvise(view, size, MADV_SEQUENTIAL);
            mapping.base = static_cast<const char*>(view);
            mapping.length = size;
        }
    }
    return mapping;
}

bool FileMapping::exists(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return regular;
}

FileMapping::FileMapping(FileMapping&& other) noexcept
    : base(std::exchange(other.base, nullptr)), length(std::exchange(other.length, 0)),
      descriptor(std::exchange(other.descriptor, -1))
{
}

FileMapping& FileMapping::operator=(FileMapping&& other) noexcept
{
    if (this != &other) {
        release();
        base = std::exchange(other.base, nullptr);
        length = std::exchange(other.length, 0);
        descriptor = std::exchange(other.descriptor, -1);
    }
    return *this;
}

FileMapping::~FileMapping()
{
    release();
}

void FileMapping::release()
{
    if (base)
        ::munmap(const_cast<char*>(base), length);
    if (descriptor >= 0)
        ::close(descriptor);
    base = nullptr;
    length = 0;
    descriptor = -1;
}
