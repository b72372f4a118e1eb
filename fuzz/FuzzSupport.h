#pragma once
// What every harness shares: quiet logging and one scratch folder per process, reused by
// every run so a long session does not leave a file behind per input.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "base/Paths.h"
#include "base/VirtualDispatch.h"

namespace vantrel::fuzz {

// Silences the product log and Qt messages; call once from LLVMFuzzerInitialize.
void quietLogging();

// The process's scratch folder (removed when the process exits normally).
QString scratchDirectory();

// Paths re-rooted under the scratch folder.
Paths scratchPaths();

// Replaces the file at path with bytes (creating its folder); the same path every run.
void writeInput(const QString& path, const QByteArray& bytes);

// What the file-reader harnesses share, made once per process: paths re-rooted under the
// scratch folder and a virtual dispatch whose wall clock is put back to a fixed moment every run,
// so retention windows cut the seeds' records the same way each time.
class FileHarness {
public:
    static FileHarness& shared();

    const Paths& paths() const { return paths_; }
    VirtualDispatch& dispatch() { return dispatch_; }
    QDateTime now() { return dispatch_.clock().now(); }

    // Starts a run: the clock back at the fixed moment and the input written as each file.
    void place(const QByteArray& bytes, std::initializer_list<QString> files);

private:
    FileHarness();

    Paths paths_;
    VirtualDispatch dispatch_;
};

inline QByteArray bytesOf(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

} // namespace vantrel::fuzz
