#pragma once
// Numbers as the log lines and status texts print them.
#include <QString>

namespace vantrel {

// The shortest decimal that reads back as d, always with a fractional part for whole
// numbers ("35.0", "35.4", "0.1"); "inf", "-inf" and "nan" for the non-finite values.
QString shortestDecimal(double d);

} // namespace vantrel
