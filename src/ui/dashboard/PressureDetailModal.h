#pragma once
// The detail sheet for CPU, memory or storage pressure: current metrics with their colours
// and the five explanatory sections.
#include "ui/dashboard/PressureDetailContent.h"
#include "ui/widgets/DetailSheet.h"

namespace vantrel {

class PressureDetailModal final : public DetailSheet {
    Q_OBJECT
public:
    PressureDetailModal(PressureDetail subject, const DashboardRefreshResult& result, QWidget* parent = nullptr);
    PressureDetail subject() const { return subject_; }

private:
    PressureDetail subject_;
};

} // namespace vantrel
