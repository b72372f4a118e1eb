#pragma once
// A small file system of its own (a tmpfs of a few pages) that a test can fill to the last
// byte or turn read-only, for the full-disk and permission paths of file writes. Mounting
// needs root; elsewhere available() is false and the test skips. Unmounted when destroyed.
#include <QString>
#include <QTemporaryDir>

namespace vantrel::test {

// The two ways the file system refuses a write: no free block left, or a read-only mount.
enum class WriteFault {
    full,
    readOnly
};
inline constexpr WriteFault kWriteFaults[] = {WriteFault::full, WriteFault::readOnly};
const char* describe(WriteFault fault);

class TinyFileSystem {
public:
    explicit TinyFileSystem(int kilobytes = 256);
    ~TinyFileSystem();
    TinyFileSystem(const TinyFileSystem&) = delete;
    TinyFileSystem& operator=(const TinyFileSystem&) = delete;

    bool available() const { return mounted_; }
    QString path() const { return dir_.path(); }
    QString file(const QString& relative) const { return dir_.path() + QLatin1Char('/') + relative; }
    // Writes a filler file until the file system has no free block left.
    void fill();
    // Frees what fill() took.
    void unfill();
    // Remounts read-only (true) or read-write (false); as root a read-only mount is the one
    // "permission" that still refuses writes.
    bool setReadOnly(bool readOnly);
    // Puts a fault in place, and takes it back (writable again, with its free blocks); false
    // when the mount could not be changed.
    bool impose(WriteFault fault);
    bool lift(WriteFault fault);

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

} // namespace vantrel::test
