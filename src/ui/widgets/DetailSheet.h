#pragma once
// A sheet over the window: a header with symbol, title and subtitle, an optional row of
// metrics, titled text sections or custom content in a scroll area, and a close button.
// The sheet belongs to its parent's window: it hides when that window hides and returns
// when it is shown again.
#include <vector>

#include <QDialog>
#include <QPointer>

#include "ui/style/DSToken.h"

class QGridLayout;
class QPushButton;
class QVBoxLayout;

namespace vantrel {

class TokenLabel;
class SymbolView;

class DetailSheet : public QDialog {
    Q_OBJECT
public:
    explicit DetailSheet(QWidget* parent = nullptr);

    void setHeader(const QString& symbol, const QString& title, const QString& subtitle);
    void addMetric(const QString& caption, const QString& value, DSToken token);
    void addSection(const QString& title, const QString& body);
    // Space under the sections for custom content (grouped rows, charts).
    QVBoxLayout* contentLayout() const { return content_; }
    void setCloseText(const QString& text);

    QString title() const;
    struct Section {
        QString title;
        QString body;
    };
    const std::vector<Section>& sections() const { return sections_; }
    int metricCount() const { return metricCount_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void followOwnerWindow();

    SymbolView* symbol_;
    TokenLabel* title_;
    TokenLabel* subtitle_;
    QWidget* metrics_;
    QGridLayout* metricsLayout_;
    QVBoxLayout* content_;
    QPushButton* close_;
    std::vector<Section> sections_;
    std::vector<QWidget*> metricCards_;
    int metricCount_ = 0;
    QPointer<QWidget> owner_;
    bool hiddenWithOwner_ = false;
};

} // namespace vantrel
