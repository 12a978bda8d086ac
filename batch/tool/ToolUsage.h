#pragma once
// The text of stampora-batch --help.
extern const char kToolUsage[];
