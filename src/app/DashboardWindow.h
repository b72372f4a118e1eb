#pragma once
// The single main window. Closing it only hides it; it is made once and kept for the process.
#include <functional>

#include <QWidget>

namespace vantrel {

class TitleBarBrand;

class DashboardWindow final : public QWidget {
    Q_OBJECT
public:
    static inline const QString identifier = QStringLiteral("vantrel-main");
    static constexpr int contentWidth = 1100;
    static constexpr int contentHeight = 720;

    // rootView is placed as the whole content; without one a placeholder stands in.
    explicit DashboardWindow(QWidget* rootView);

    // What stands in until the dashboard's root view exists.
    static QWidget* makePlaceholder();

    // The window's title and the centred brand label under it.
    void configureTitleBar(const QString& title);
    TitleBarBrand* titleBar() const { return titleBar_; }

Q_SIGNALS:
    // Before a close hides the window (the frame is still the user's).
    void aboutToClose();
    // Minimised or restored.
    void presentationChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    TitleBarBrand* titleBar_;
};

} // namespace vantrel
