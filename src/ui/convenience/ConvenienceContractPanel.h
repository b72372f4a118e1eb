#pragma once
// The convenience page's control panel: what the tweaks would need (state, last read), the
// Dock recent-apps count, and apply / dry-run / restore, all reserved and disabled until the
// tweaks have a back end; nothing here changes the system.
#include "ui/widgets/Card.h"

class QPushButton;
class QSpinBox;

namespace vantrel {

class Badge;
class MetricView;
class TokenLabel;

class ConvenienceContractPanel final : public Card {
    Q_OBJECT
public:
    static constexpr int dockRecentMinimum = 0;
    static constexpr int dockRecentMaximum = 20;

    explicit ConvenienceContractPanel(QWidget* parent = nullptr);

    int dockRecentCount() const { return dockRecentCount_; }
    QSpinBox* stepper() const { return stepper_; }
    QString stepperText() const;
    std::vector<QPushButton*> actionButtons() const { return {apply_, dryRun_, restore_}; }
    void retranslate();

private:
    void showCount();

    int dockRecentCount_ = 5;
    Badge* status_;
    TokenLabel* subtitle_;
    MetricView* state_;
    MetricView* lastRead_;
    TokenLabel* stepperLabel_;
    QSpinBox* stepper_;
    QPushButton* apply_;
    QPushButton* dryRun_;
    QPushButton* restore_;
    Badge* restoreBadge_;
};

} // namespace vantrel
