#pragma once

namespace stampora {

// The text of stampora-batch --help.
extern const char kToolUsage[];

}  // namespace stampora
