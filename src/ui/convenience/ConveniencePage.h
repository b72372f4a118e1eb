#pragma once
// The convenience page: the control panel and one row per macOS tweak, each explained step by
// step and reserved for a later back end. The page changes nothing on the system: rows are
// disabled and off, and it neither sends commands nor writes preferences.
#include <map>

#include <QWidget>

#include "tweaks/FeatureSpec.h"

namespace vantrel {

class ConvenienceContractPanel;
class FeatureDetailModal;
class FeatureRow;
class TokenLabel;

class ConveniencePage final : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* connectionLabel = "backend needed";

    explicit ConveniencePage(QWidget* parent = nullptr);

    static const std::vector<FeatureSpec>& specs();
    ConvenienceContractPanel* panel() const { return panel_; }
    FeatureRow* row(int id) const;
    std::vector<FeatureRow*> rows() const;
    FeatureDetailModal* openDetail(int id);

private:
    void retranslate();

    std::map<int, bool> toggles_;
    std::map<int, FeatureRow*> rows_;
    TokenLabel* title_;
    TokenLabel* subtitle_;
    ConvenienceContractPanel* panel_;
};

} // namespace vantrel
