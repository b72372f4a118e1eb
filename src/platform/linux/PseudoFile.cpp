#include "platform/linux/PseudoFile.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace vantrel::linuxfs {
namespace {

class Descriptor {
public:
    explicit Descriptor(const char* path)
        : fd_(::open(path, O_RDONLY | O_CLOEXEC))
    { }
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

long readFully(int fd, char* buffer, std::size_t capacity)
{
    std::size_t total = 0;
    while (total < capacity) {
        const ssize_t n = ::read(fd, buffer + total, capacity - total);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        total += static_cast<std::size_t>(n);
    }
    return static_cast<long>(total);
}

} // namespace

std::optional<QByteArray> readPseudoFile(const QString& path, std::size_t maxBytes)
{
    const QByteArray encoded = path.toLocal8Bit();
    Descriptor file(encoded.constData());
    if (file.fd() < 0)
        return std::nullopt;
    QByteArray out;
    char chunk[4096];
    for (;;) {
        const long n = readFully(file.fd(), chunk, sizeof chunk);
        if (n < 0)
            return std::nullopt;
        out.append(chunk, n);
        if (static_cast<std::size_t>(out.size()) > maxBytes)
            return std::nullopt;
        if (static_cast<std::size_t>(n) < sizeof chunk)
            return out;
    }
}

long readPseudoFileInto(const char* path, char* buffer, std::size_t capacity)
{
    if (capacity == 0)
        return -1;
    Descriptor file(path);
    if (file.fd() < 0)
        return -1;
    const long n = readFully(file.fd(), buffer, capacity - 1);
    if (n < 0)
        return -1;
    buffer[n] = '\0';
    return n;
}

std::optional<QString> readTrimmedText(const QString& path)
{
    const auto bytes = readPseudoFile(path, 64 * 1024);
    if (!bytes)
        return std::nullopt;
    return QString::fromUtf8(*bytes).trimmed();
}

} // namespace vantrel::linuxfs
