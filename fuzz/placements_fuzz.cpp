// Feeds arbitrary bytes to the placements reader; what it accepts must be
// written back and read again to the same placements.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "batch/PlacementsFile.h"

using namespace stampora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Placements placements;
    Status status;
    if (!ParsePlacements(std::string_view(reinterpret_cast<const char*>(data), size), "f.csv", placements,
                         status))
        return 0;
    Placements again;
    if (!ParsePlacements(PlacementsText(placements), "f.csv", again, status)) std::abort();
    if (PlacementsText(again) != PlacementsText(placements)) std::abort();
    return 0;
}
