#pragma once
// A feature's explanation as a sheet: its steps one at a time (previous / next), ending with
// the expected result under its own heading.
#include "tweaks/FeatureSpec.h"
#include "ui/widgets/DetailSheet.h"

class QPushButton;

namespace vantrel {

class TokenLabel;

class FeatureDetailModal final : public DetailSheet {
    Q_OBJECT
public:
    explicit FeatureDetailModal(FeatureSpec spec, QWidget* parent = nullptr);

    // 0 … steps - 1 are the steps; steps is the final result.
    int page() const { return page_; }
    int pageCount() const { return static_cast<int>(spec_.modal.size()) + 1; }
    bool showsResult() const { return page_ == pageCount() - 1; }
    QString heading() const;
    QString body() const;
    QPushButton* previousButton() const { return previous_; }
    QPushButton* nextButton() const { return next_; }
    void goTo(int page);

private:
    void showPage();

    FeatureSpec spec_;
    int page_ = 0;
    TokenLabel* heading_;
    TokenLabel* body_;
    QPushButton* previous_;
    QPushButton* next_;
};

} // namespace vantrel
