#pragma once
// Captures the daemon's policy readback as evidence; the heartbeat calls it once a minute,
// off the main thread.
namespace vantrel {

class EvidenceRecorder {
public:
    virtual ~EvidenceRecorder() = default;
    virtual void capture() = 0;
};

} // namespace vantrel
