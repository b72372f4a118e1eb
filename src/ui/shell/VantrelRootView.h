#pragma once
// The main window's content: the split view with the palette and fonts applied, and the
// dashboard registered with its navigation callback. Later screens add their factories.
#include <map>
#include <memory>

#include <QWidget>

#include "ui/shell/UiContext.h"

namespace vantrel {

class MainSplitView;
class ThemeController;

class VantrelRootView final : public QWidget {
    Q_OBJECT
public:
    // extraPages: factories of pages built elsewhere, by identifier; they take precedence
    // over the built-in ones.
    explicit VantrelRootView(UiContext context, std::map<QString, PageFactory> extraPages = {},
                             QWidget* parent = nullptr);
    ~VantrelRootView() override;

    MainSplitView* splitView() const { return split_; }
    ThemeController& theme() const { return *context_.theme; }

    // The built-in page factories (the dashboard).
    static std::map<QString, PageFactory> builtInPages();

private:
    UiContext context_;
    std::unique_ptr<ThemeController> ownTheme_;
    MainSplitView* split_ = nullptr;
};

} // namespace vantrel
