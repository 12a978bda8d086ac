#pragma once
// The process-wide output directory (UTF-8): read from config.ini when the
// main window is made, replaced by the Output Directory dialog, read by Save
// and copied by the batch dialog when it opens.
#include <string>

namespace stampora {

extern std::string outputDirectory;

// Reads the directory from config.ini (or takes the Documents default,
// creating that folder), stores it in outputDirectory and answers it.
std::string ReadOutputDirectoryIntoProcess();

// Where Save writes: outputDirectory, or the Documents default (as the next
// start-up would choose) while it is empty.
std::string SaveDirectory();

}  // namespace stampora
