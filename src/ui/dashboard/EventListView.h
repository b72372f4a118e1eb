#pragma once
// A compact list of events: a coloured dot, a leading tag (time or kind), a title and a
// detail line. Shows a placeholder text when empty.
#include <vector>

#include <QWidget>

#include "ui/style/DSToken.h"

class QVBoxLayout;

namespace vantrel {

class TokenLabel;

struct EventRow {
    QString leading;
    QString title;
    QString detail;
    DSToken color = DSToken::grey;
    bool operator==(const EventRow&) const = default;
};

class EventListView final : public QWidget {
    Q_OBJECT
public:
    explicit EventListView(QWidget* parent = nullptr);

    void setRows(const std::vector<EventRow>& rows);
    void setEmptyText(const QString& text);
    const std::vector<EventRow>& rows() const { return rows_; }
    QString emptyText() const;

private:
    QVBoxLayout* list_;
    TokenLabel* empty_;
    std::vector<EventRow> rows_;
    std::vector<QWidget*> rowWidgets_;
};

} // namespace vantrel
