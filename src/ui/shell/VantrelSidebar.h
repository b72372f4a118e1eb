#pragma once
// The sidebar: the page groups, then the settings and quit buttons at the bottom. Rebuilt
// when the language or the hardware's fan capability changes.
#include <vector>

#include <QWidget>

#include "ui/shell/SidebarLayout.h"

class QVBoxLayout;

namespace vantrel {

class SidebarRow;
class UiState;

class VantrelSidebar final : public QWidget {
    Q_OBJECT
public:
    VantrelSidebar(UiState& state, bool showConvenienceMenu, QWidget* parent = nullptr);

    QString selectedPage() const { return selectedPage_; }
    void setSelectedPage(const QString& pageId);
    // The groups as currently shown (titles in the current language).
    const std::vector<SidebarGroup>& groups() const { return groups_; }
    // Rows by page identifier; the quit button has an empty identifier.
    SidebarRow* row(const QString& pageId) const;
    SidebarRow* quitRow() const { return quitRow_; }
    void rebuild();

Q_SIGNALS:
    void pageSelected(const QString& pageId);
    void quitRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SidebarRow* addRow(QVBoxLayout* layout, const SidebarItem& item);

    UiState& state_;
    bool showConvenienceMenu_;
    QString selectedPage_ = page::dashboard;
    std::vector<SidebarGroup> groups_;
    std::vector<SidebarRow*> rows_;
    SidebarRow* quitRow_ = nullptr;
    QWidget* content_ = nullptr;
};

} // namespace vantrel
