#include "watermark/text/MarkText.h"

#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <optional>

#include "codecs/metadata/ImageProperties.h"
#include "platform/Utf8Path.h"

namespace stampora {

namespace {

constexpr std::array<std::string_view, 8> kPlaceholders = {"name", "ext",  "width",  "height",
                                                           "date", "year", "camera", "n"};

bool IsKnown(std::string_view name) {
    for (std::string_view known : kPlaceholders)
        if (known == name) return true;
    return false;
}

std::string Value(std::string_view name, const MarkTextFacts& facts) {
    if (name == "name") return facts.name;
    if (name == "ext") return facts.ext;
    if (name == "width") return std::to_string(facts.width);
    if (name == "height") return std::to_string(facts.height);
    if (name == "date") return facts.date;
    if (name == "year") return facts.date.substr(0, 4);
    if (name == "camera") return facts.camera;
    if (name == "n") return std::to_string(facts.number);
    return "{" + std::string(name) + "}";
}

// Walks the text, handing literal runs and placeholder names to the callbacks;
// false at the first stray brace or unclosed placeholder, with its offset.
template <typename Literal, typename Placeholder>
bool Walk(std::string_view text, Literal literal, Placeholder placeholder, size_t& badAt) {
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '{' && i + 1 < text.size() && text[i + 1] == '{') {
            literal(std::string_view("{"));
            i += 2;
        } else if (c == '}' && i + 1 < text.size() && text[i + 1] == '}') {
            literal(std::string_view("}"));
            i += 2;
        } else if (c == '{') {
            const size_t close = text.find_first_of("{}", i + 1);
            if (close == std::string_view::npos || text[close] != '}') {
                badAt = i;
                return false;
            }
            placeholder(text.substr(i + 1, close - i - 1));
            i = close + 1;
        } else if (c == '}') {
            badAt = i;
            return false;
        } else {
            const size_t next = text.find_first_of("{}", i);
            const size_t end = next == std::string_view::npos ? text.size() : next;
            literal(text.substr(i, end - i));
            i = end;
        }
    }
    return true;
}

// "YYYY:MM:DD HH:MM:SS" as written by cameras, as YYYY-MM-DD; nothing for a
// day that never was (a 13th month, a 31st of February), which a picture's
// caption must not repeat.
std::optional<std::string> DateFromExif(const std::string& stamp) {
    if (stamp.size() < 10 || stamp[4] != ':' || stamp[7] != ':') return std::nullopt;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (stamp[i] < '0' || stamp[i] > '9') return std::nullopt;
    if (stamp.compare(0, 4, "0000") == 0)
        return std::nullopt;  // cameras write zeros when the clock was unset
    const auto number = [&stamp](size_t at, size_t digits) {
        return static_cast<unsigned>(std::stoul(stamp.substr(at, digits)));
    };
    const std::chrono::year_month_day day{std::chrono::year(static_cast<int>(number(0, 4))),
                                          std::chrono::month(number(5, 2)), std::chrono::day(number(8, 2))};
    if (!day.ok()) return std::nullopt;
    return stamp.substr(0, 4) + "-" + stamp.substr(5, 2) + "-" + stamp.substr(8, 2);
}

std::string ModificationDate(const std::filesystem::path& path) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    if (error) return "";
    const auto system = std::chrono::file_clock::to_sys(written);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(system));
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return "";
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

}  // namespace

bool HasPlaceholders(std::string_view text) {
    return text.find_first_of("{}") != std::string_view::npos;
}

bool CheckMarkText(std::string_view text, Status& status) {
    std::string unknown;
    size_t badAt = 0;
    const bool wellFormed = Walk(
        text, [](std::string_view) {},
        [&](std::string_view name) {
            if (unknown.empty() && !IsKnown(name)) unknown = std::string(name);
        },
        badAt);
    if (!wellFormed) {
        return status.Fail(Domain::Options,
                           text[badAt] == '{' ? "the text has a '{' without its '}' (write {{ for a brace)"
                                              : "the text has a '}' without its '{' (write }} for a brace)");
    }
    if (!unknown.empty()) {
        return status.Fail(Domain::Options,
                           "unknown placeholder {" + unknown +
                               "} (known: {name} {ext} {width} {height} {date} {year} {camera} {n})");
    }
    return true;
}

std::string FillMarkText(std::string_view text, const MarkTextFacts& facts) {
    std::string filled;
    size_t badAt = 0;
    Walk(
        text, [&](std::string_view run) { filled += run; },
        [&](std::string_view name) { filled += Value(name, facts); }, badAt);
    return filled;
}

MarkTextFacts FactsForPicture(const std::string& path, int32_t width, int32_t height,
                              const CImageProperties& metadata, int64_t number) {
    const std::filesystem::path file = PathFromUtf8(path);
    MarkTextFacts facts;
    facts.name = Utf8FromPath(file.stem());
    const std::string extension = Utf8FromPath(file.extension());
    facts.ext = extension.empty() ? extension : extension.substr(1);
    facts.width = width;
    facts.height = height;
    std::optional<std::string> taken = DateFromExif(metadata.exif.Text(ExifTag::DateTimeOriginal));
    if (!taken) taken = DateFromExif(metadata.exif.Text(ExifTag::DateTime));
    facts.date = taken ? *taken : ModificationDate(file);
    facts.camera = Trimmed(metadata.exif.Text(ExifTag::Model));
    facts.number = number;
    return facts;
}

}  // namespace stampora
