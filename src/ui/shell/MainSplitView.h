#pragma once
// The window's split view: the sidebar on the left and the selected page on the right.
// Pages are built on first selection from their factories; an identifier without a
// factory shows the "coming" placeholder, an unknown one the dashboard.
#include <map>

#include <QWidget>

#include "ui/shell/UiContext.h"

class QStackedWidget;

namespace vantrel {

class SettingsWriteNotice;
class VantrelSidebar;

class MainSplitView final : public QWidget {
    Q_OBJECT
public:
    // The convenience tweaks are listed: their page exists (as a placeholder until built).
    static constexpr bool showConvenienceMenu = true;

    MainSplitView(UiContext context, std::map<QString, PageFactory> factories, QWidget* parent = nullptr);

    QString selectedPage() const { return selected_; }
    void setSelectedPage(const QString& pageId);
    QWidget* currentPage() const;
    // The page built for an identifier, or nullptr when it has not been shown yet.
    QWidget* builtPage(const QString& pageId) const;
    VantrelSidebar* sidebar() const { return sidebar_; }
    // Absent without preferences.
    SettingsWriteNotice* writeNotice() const { return writeNotice_; }

Q_SIGNALS:
    void selectedPageChanged(const QString& pageId);

private:
    QWidget* pageFor(const QString& pageId);

    UiContext context_;
    std::map<QString, PageFactory> factories_;
    std::map<QString, QWidget*> pages_;
    VantrelSidebar* sidebar_;
    QStackedWidget* stack_;
    SettingsWriteNotice* writeNotice_ = nullptr;
    QString selected_;
};

} // namespace vantrel
