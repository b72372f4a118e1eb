#pragma once
// Stands in for a page that is not built yet: its title and symbol, and a plain note that
// it is coming, in the user's language.
#include <QWidget>

namespace vantrel {

class TokenLabel;

class PlaceholderPage final : public QWidget {
    Q_OBJECT
public:
    explicit PlaceholderPage(const QString& pageId, QWidget* parent = nullptr);
    QString pageId() const { return pageId_; }
    QString titleText() const;
    QString messageText() const;

private:
    void retranslate();

    QString pageId_;
    TokenLabel* title_;
    TokenLabel* message_;
};

} // namespace vantrel
