#pragma once
// The update-status file the daemon keeps on disk, read when the daemon cannot answer.
// Only a file that only root could have written, in the expected shape, is believed.
#include <functional>
#include <optional>

#include <QJsonObject>
#include <QString>

namespace vantrel {

class DurableUpdateStatus {
public:
    // What the trust checks need to know about the item at a path (not following links) or
    // about an open descriptor.
    struct FileStatus {
        bool isRegularFile = false;
        unsigned int ownerId = 0;
        unsigned int groupId = 0;
        unsigned int permissions = 0; // mode bits, e.g. 0644
        qint64 size = 0;
    };
    // Lets a test see the opened file as root's (a test cannot chown to root:admin).
    using StatusOverride = std::function<void(FileStatus&)>;

    static const QString schemaVersion; // "vantrel_update_installation_state.v1"
    static const QString source; // "durable_local_update_status"
    static constexpr unsigned int requiredOwnerId = 0;
    static constexpr unsigned int requiredGroupId = 80; // admin
    static constexpr qint64 maximumSize = 65536;

    // lstat(2) of path; nothing when the item does not exist or cannot be examined.
    static std::optional<FileStatus> statItem(const QString& path);

    // The file's object with "status" "ok" and "source" added, or nothing when any check fails.
    // The file is opened without following a link and without blocking on a FIFO; the checks
    // are made on the open descriptor, so the item cannot be swapped between check and read.
    static std::optional<QJsonObject> readTrustedUpdateInstallationStatus(const QString& path,
                                                                          const StatusOverride& override = {});

    static bool isKnownState(const QString& state);
    // A UUID in its canonical 36-character form (either case).
    static bool isUuidString(const QString& text);
};

} // namespace vantrel
