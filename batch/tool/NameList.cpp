#include "batch/tool/NameList.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "batch/options/ShownName.h"
#include "platform/FileIo.h"

namespace stampora {

bool ReadNameList(const std::string& path, bool nullSeparated, std::vector<std::string>& names,
                  Status& status) {
    const bool standardInput = path == "-";
    std::FILE* file = standardInput ? stdin : OpenStreamUtf8(path);
    if (file == nullptr)
        return status.Fail(Domain::Options,
                           "cannot read the list " + ShownName(path) + ": " + std::strerror(errno));
    const char separator = nullSeparated ? '\0' : '\n';
    std::string name;
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        for (size_t i = 0; i < got; ++i) {
            if (buffer[i] != separator) {
                name += buffer[i];
            } else if (!name.empty()) {
                names.push_back(std::move(name));
                name.clear();
            }
        }
    }
    const bool failed = std::ferror(file) != 0;
    if (!standardInput) std::fclose(file);
    if (failed) return status.Fail(Domain::Options, "cannot read the list " + ShownName(path));
    if (!name.empty()) names.push_back(std::move(name));
    return true;
}

}  // namespace stampora
