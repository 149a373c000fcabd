#include "input_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fmhost {

namespace {

std::string reason(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return "no such file";
    case EACCES:
    case EPERM:
        return "permission denied";
    case EISDIR:
        return "is a folder";
    default:
        return std::strerror(error);
    }
}

[[noreturn]] void fail(const std::string &path, int error) { throw InputFileError(path + ": " + reason(error)); }

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

std::string read_input_file(const std::string &path) {
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        fail(path, errno);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        fail(path, errno);
    if (S_ISDIR(info.st_mode))
        fail(path, EISDIR);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(path, errno);
        }
        if (n == 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace fmhost
