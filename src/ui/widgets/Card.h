#pragma once
// A rounded panel with an optional header (symbol, title, trailing widget). A clickable
// card highlights under the pointer, shows a chevron and emits clicked().
#include <QFrame>
#include <QString>

class QHBoxLayout;
class QVBoxLayout;

namespace vantrel {

class TokenLabel;
class SymbolView;

class Card : public QFrame {
    Q_OBJECT
public:
    explicit Card(QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const;
    void setSymbol(const QString& symbolName);
    // A widget at the right end of the header (a status pill, a button).
    void setTrailingWidget(QWidget* widget);
    void setClickable(bool clickable);
    bool isClickable() const { return clickable_; }

    QVBoxLayout* contentLayout() const { return content_; }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void updateHeaderVisibility();

    QWidget* header_ = nullptr;
    QHBoxLayout* headerLayout_ = nullptr;
    SymbolView* symbol_ = nullptr;
    TokenLabel* title_ = nullptr;
    SymbolView* chevron_ = nullptr;
    QWidget* trailing_ = nullptr;
    QVBoxLayout* content_ = nullptr;
    bool clickable_ = false;
    bool hovered_ = false;
    bool pressed_ = false;
};

} // namespace vantrel
