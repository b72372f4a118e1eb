// The durable update-status file, seen as root's so its contents reach the shape checks.
#include "FuzzSupport.h"
#include "daemon/DurableUpdateStatus.h"

using namespace vantrel;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto& harness = fuzz::FileHarness::shared();
    static const QString path = harness.paths().updateStatusFile();
    harness.place(fuzz::bytesOf(data, size), {path});
    (void)DurableUpdateStatus::readTrustedUpdateInstallationStatus(path, [](DurableUpdateStatus::FileStatus& s) {
        s.ownerId = DurableUpdateStatus::requiredOwnerId;
        s.groupId = DurableUpdateStatus::requiredGroupId;
        s.permissions = 0644;
    });
    return 0;
}
