#pragma once
// A status line of the fan screens as localisation keys: the screen resolves each key in the
// user's language, replaces the first "%s" by the label and then every "%%" by "%".
#include <QString>
#include <QStringList>

#include "base/StatusTone.h"

namespace vantrel {

struct StatusLabel {
    QString text;
    bool isKey = false; // a localisation key (a card title) rather than a name typed by the user

    static StatusLabel key(const QString& k) { return {k, true}; }
    static StatusLabel literal(const QString& t) { return {t, false}; }
    bool operator==(const StatusLabel&) const = default;
};

struct FanStatusLine {
    QStringList keys; // shown one after the other
    StatusLabel label;
    StatusTone tone = StatusTone::Neutral;

    static FanStatusLine make(const QString& key, StatusTone tone, StatusLabel label = {})
    {
        return {QStringList{key}, std::move(label), tone};
    }
    // The line in lang: the texts of keys joined by a space, the first with its "%s" filled by
    // the label (itself translated when it is a key).
    QString text(const QString& lang) const;

    bool operator==(const FanStatusLine&) const = default;
};

} // namespace vantrel
