#pragma once
// The policy in charge, the applied fan preset, and which battery and sleep policies the
// daemon reports as active.
#include <vector>

#include "ui/widgets/Card.h"

namespace vantrel {

class SymbolView;
class TokenLabel;
struct DashboardRefreshResult;

class PolicyCard final : public Card {
    Q_OBJECT
public:
    explicit PolicyCard(QWidget* parent = nullptr);
    void show(const DashboardRefreshResult& result, const QString& lang);
    QString policyText() const;
    // The flag rows as shown: label and whether it is active.
    std::vector<std::pair<QString, bool>> flags() const { return flags_; }

private:
    TokenLabel* policy_;
    TokenLabel* preset_;
    QWidget* flagGrid_;
    // One row per flag, built once: a refresh every two seconds only changes their text and mark.
    struct FlagRow {
        SymbolView* mark;
        TokenLabel* label;
    };
    std::vector<FlagRow> rows_;
    std::vector<std::pair<QString, bool>> flags_;
};

} // namespace vantrel
