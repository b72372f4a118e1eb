#pragma once
// Quoting for text that goes into a /bin/sh or /bin/bash command line.
#include <QString>

namespace vantrel {

// text as one single-quoted shell word: every character literal, embedded quotes escaped.
QString shellQuoted(const QString& text);

} // namespace vantrel
