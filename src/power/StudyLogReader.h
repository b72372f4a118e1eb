#pragma once
// Streams the power-only study log: a JSON Lines file that grows by about 86,400 lines a day
// and is never rotated by the application, so it is read in blocks, never whole.
#include <functional>
#include <limits>
#include <string_view>

#include <QJsonObject>
#include <QString>

namespace vantrel {

class StudyLogReader {
public:
    // Hands every line that parses as a JSON object to visit, in file order; empty and
    // unreadable lines are skipped, a missing file visits nothing. Lines whose top-level
    // "epoch_seconds" lies outside [fromEpoch, toEpoch] may be passed over without being
    // parsed; any other line is visited, so callers still apply their own range check.
    static void forEachObject(const QString& path, const std::function<void(const QJsonObject&)>& visit,
                              double fromEpoch = -std::numeric_limits<double>::infinity(),
                              double toEpoch = std::numeric_limits<double>::infinity());

    // The same from byte offset on. Returns the offset just past the last line feed read
    // (a final line still being written is visited but not counted, so reading again from
    // the returned offset sees it whole), or -1 when the file cannot be opened.
    static qint64 forEachObjectFrom(const QString& path, qint64 offset,
                                    const std::function<void(const QJsonObject&)>& visit,
                                    double fromEpoch = -std::numeric_limits<double>::infinity(),
                                    double toEpoch = std::numeric_limits<double>::infinity());

    // The same selection of lines, handed over as their bytes (trimmed, not parsed), for readers
    // that decode the fields they need themselves. The view is valid only during the call.
    static qint64 forEachLineFrom(const QString& path, qint64 offset,
                                  const std::function<void(std::string_view)>& visit,
                                  double fromEpoch = -std::numeric_limits<double>::infinity(),
                                  double toEpoch = std::numeric_limits<double>::infinity());
};

} // namespace vantrel
