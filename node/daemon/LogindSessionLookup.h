#pragma once
// The active local session's user from logind: seat0's ActiveSession, accepted only when that
// session is not remote.
#include "node/daemon/Authorizer.h"

namespace vantrel::node {

class LogindSessionLookup final : public SessionLookup {
public:
    // busAddress: "" for the system bus.
    explicit LogindSessionLookup(QString busAddress = {});
    std::optional<uid_t> activeLocalSessionUid() const override;

private:
    QString busAddress_;
};

} // namespace vantrel::node
