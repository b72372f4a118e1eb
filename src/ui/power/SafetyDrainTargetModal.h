#pragma once
// The safety-drain target dialog: "auto" (follow the charge limit) or a fixed 80, 70, 60
// or 50 percent. Choosing one hands it to onSelect (none for "auto") and closes the sheet.
#include <functional>
#include <optional>
#include <vector>

#include "ui/widgets/DetailSheet.h"

namespace vantrel {

class Card;

class SafetyDrainTargetModal final : public DetailSheet {
    Q_OBJECT
public:
    SafetyDrainTargetModal(int autoTarget, std::optional<int> selectedTarget,
                           std::function<void(std::optional<int>)> onSelect, QWidget* parent = nullptr);

    // The option cards in order, and which one is marked as chosen.
    const std::vector<Card*>& optionCards() const { return cards_; }
    QStringList optionIds() const { return ids_; }
    QString selectedId() const { return selectedId_; }
    void choose(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(std::optional<int>)> onSelect_;
    std::vector<std::optional<int>> targets_;
    std::vector<Card*> cards_;
    QStringList ids_;
    QString selectedId_;
};

} // namespace vantrel
