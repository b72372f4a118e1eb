#pragma once
// The strip across the top of the main window with the centred brand label ("Vantrel", or
// "Vantrel Debug"), in the 13-point system font; the palette follows the theme when painted.
#include <QWidget>

namespace vantrel {

class TokenLabel;

class TitleBarBrand final : public QWidget {
    Q_OBJECT
public:
    static inline const QString labelIdentifier = QStringLiteral("vantrel-titlebar-brand");
    static constexpr int height = 28;
    static constexpr double pointSize = 13.0;

    explicit TitleBarBrand(QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TokenLabel* label_;
};

} // namespace vantrel
