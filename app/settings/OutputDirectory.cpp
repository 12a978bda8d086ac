#include "app/settings/OutputDirectory.h"

#include "platform/OutputDirectorySetting.h"

namespace stampora {

std::string outputDirectory;

std::string ReadOutputDirectoryIntoProcess() {
    outputDirectory = ReadOutputDirectory();
    return outputDirectory;
}

std::string SaveDirectory() {
    return outputDirectory.empty() ? DefaultOutputDirectory() : outputDirectory;
}

}  // namespace stampora
