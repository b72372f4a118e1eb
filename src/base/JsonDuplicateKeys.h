#pragma once
// Qt's JSON reader keeps the last of two equal keys in an object without a word, so
// {"cmd":"get_status","cmd":"reset_to_vanilla"} reads as the second command. A request reader
// that must not guess runs this over the bytes first and refuses the request when it finds one.
#include <optional>

#include <QByteArrayView>
#include <QString>

namespace vantrel::json {

// The first key that appears twice in one object (compared after unescaping), at any depth.
// Meant for text that already parses as JSON; on other text the answer is not meaningful.
std::optional<QString> firstDuplicateKey(QByteArrayView text);

} // namespace vantrel::json
