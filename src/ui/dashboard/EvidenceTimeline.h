#pragma once
// The event timeline read from "get_evidence_events": each event's category (and so its
// colour) from the words it uses, and its time as "HH:mm:ss".
#include <vector>

#include <QJsonObject>
#include <QString>

#include "ui/style/DSToken.h"

namespace vantrel::dashboard {

struct EvidenceEntry {
    QString policyId;
    QString action;
    QString summary;
    QString trigger;
    QString resultState;
    QString time; // "HH:mm:ss", or "--:--:--" when "created_at" cannot be read
    QString category; // "cooling", "power", "heat", "sleep" or "policy"
    DSToken color = DSToken::grey;
};

// The category for the words of an event; the first matching word in the order
// cool, battery, charge, power, drain, heat, sleep, clamshell, display, awake decides.
QString evidenceCategory(const QString& text);
DSToken evidenceCategoryColor(const QString& category);
// "yyyy-MM-dd HH:mm:ss" (POSIX locale) shown as "HH:mm:ss".
QString evidenceTime(const QString& createdAt);
// A trigger or result state as shown: its display name, or else an identifier such as
// "adapter_connected" in plain words ("Adapter connected"); other texts unchanged.
QString evidenceWord(const QString& value, const QString& lang);
// Events in the reply's order; entries that are not objects are skipped.
std::vector<EvidenceEntry> parseEvidenceEvents(const QJsonObject& reply);

} // namespace vantrel::dashboard
