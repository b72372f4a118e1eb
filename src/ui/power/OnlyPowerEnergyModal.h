#pragma once
// The power-only usage sheet: today's twelve figures from the study log, or a note that
// samples are still being collected. Reloads every ten seconds while open.
#include <functional>
#include <vector>

#include "base/Dispatch.h"
#include "power/OnlyPowerEnergySnapshot.h"
#include "ui/widgets/DetailSheet.h"

namespace vantrel {

class MetricView;
class TokenLabel;

class OnlyPowerEnergyModal final : public DetailSheet {
    Q_OBJECT
public:
    static constexpr double reloadSeconds = 10.0;

    // load gives the snapshot for the current moment; it runs on the main thread (the log is small).
    OnlyPowerEnergyModal(Dispatch& dispatch, std::function<OnlyPowerEnergySnapshot()> load, QWidget* parent = nullptr);
    ~OnlyPowerEnergyModal() override;

    void reload();
    int loadCount() const { return loadCount_; }
    const std::vector<MetricView*>& figureViews() const { return figures_; }
    bool showsCollecting() const;

protected:
    void done(int result) override;

private:
    Dispatch& dispatch_;
    std::function<OnlyPowerEnergySnapshot()> load_;
    CancelToken timer_;
    std::vector<MetricView*> figures_;
    TokenLabel* collecting_ = nullptr;
    QWidget* grid_ = nullptr;
    int loadCount_ = 0;
};

} // namespace vantrel
