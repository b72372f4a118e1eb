#pragma once
// The scaffold of a scrolling page: a frameless scroll area filling the page edge to edge, and
// inside it the content widget that follows the area's width, on which the page lays out its
// sections.
#include <Qt>

class QMargins;
class QScrollArea;
class QVBoxLayout;
class QWidget;

namespace vantrel {

class ScrollingPage {
public:
    // Gives page (which has no layout yet) the scroll area. Pages scroll only vertically
    // unless they ask for a horizontal bar.
    explicit ScrollingPage(QWidget* page, Qt::ScrollBarPolicy horizontal = Qt::ScrollBarAlwaysOff);

    QScrollArea* area() const { return area_; }
    QWidget* content() const { return content_; }
    // The page's own layout, holding the scroll area; a page adds a fixed bar below it here.
    QVBoxLayout* pageLayout() const { return pageLayout_; }
    // The usual page column on the content: a vertical layout with these margins and spacing.
    QVBoxLayout* column(const QMargins& margins, int spacing) const;

private:
    QScrollArea* area_ = nullptr;
    QWidget* content_ = nullptr;
    QVBoxLayout* pageLayout_ = nullptr;
};

} // namespace vantrel
