#include "batch/PlacementsFile.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <utility>

#include "codecs/DecodeLimits.h"
#include "platform/FileIo.h"

namespace stampora {

namespace {

// A placements file is a few lines per picture; anything far larger is not one.
constexpr int64_t kMaxPlacementsBytes = int64_t{64} << 20;

const char* KindName(MarkKind kind) {
    return kind == MarkKind::Text ? "text" : "image";
}

// A name as a reason shows it: control bytes as '?', a long one cut short.
std::string Shown(std::string_view text) {
    std::string shown(text.substr(0, 60));
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return text.size() > 60 ? shown + "..." : shown;
}

// One record's fields, RFC 4180: a field in double quotes may hold commas,
// line breaks and doubled quotes. Reads from `at` to the end of the record
// (past its line break) and counts the line breaks it passes; the reason
// when the record is malformed.
std::string ReadRecord(std::string_view text, size_t& at, int32_t& lines, std::vector<std::string>& fields) {
    fields.assign(1, std::string());
    while (at < text.size()) {
        std::string& field = fields.back();
        const char c = text[at++];
        if (c == '"' && field.empty()) {
            // A quoted field: up to the quote that is not doubled.
            for (;;) {
                if (at >= text.size()) return "a quoted field is not closed";
                const char q = text[at++];
                if (q == '\n') ++lines;
                if (q != '"') {
                    field += q;
                } else if (at < text.size() && text[at] == '"') {
                    field += '"';
                    ++at;
                } else {
                    break;
                }
            }
            if (at < text.size() && text[at] != ',' && text[at] != '\n' && text.substr(at, 2) != "\r\n")
                return "a quoted field must end at its closing quote";
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '\n' || (c == '\r' && at < text.size() && text[at] == '\n')) {
            at += c == '\r';
            ++lines;
            return std::string();
        } else if (c == '"') {
            return "a quote inside a field that is not quoted";
        } else {
            field += c;
        }
    }
    return std::string();
}

// A coordinate: a whole number of pixels no further out than a picture's
// largest side.
bool ParseCoordinate(const std::string& field, int32_t& value) {
    const char* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, value);
    return !field.empty() && error == std::errc() && stop == end && value >= -kMaxDecodedPixels &&
           value <= kMaxDecodedPixels;
}

// The reason a record is not a placement, or empty; the placement found.
std::string ReadPlacement(const std::vector<std::string>& fields, std::string& name, MarkKind& kind,
                          MarkPoint& point) {
    if (fields.size() != 4)
        return "expected 4 fields (name,mark,x,y), found " + std::to_string(fields.size());
    name = fields[0];
    if (name.empty()) return "the picture's name is empty";
    if (name.find('\0') != std::string::npos) return "the picture's name holds a NUL byte";
    if (fields[1] == "text") {
        kind = MarkKind::Text;
    } else if (fields[1] == "image") {
        kind = MarkKind::Image;
    } else {
        return "the mark must be text or image, not '" + Shown(fields[1]) + "'";
    }
    if (!ParseCoordinate(fields[2], point.x))
        return "x is not a whole number of pixels: '" + Shown(fields[2]) + "'";
    if (!ParseCoordinate(fields[3], point.y))
        return "y is not a whole number of pixels: '" + Shown(fields[3]) + "'";
    return std::string();
}

std::string Quoted(const std::string& field) {
    // A name starting with a byte order mark is quoted too: at the start of
    // the file, unquoted, it would be read as the file's mark.
    if (field.find_first_of(",\"\r\n") == std::string::npos && field.rfind("\xEF\xBB\xBF", 0) != 0)
        return field;
    std::string quoted = "\"";
    for (char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

const PicturePlacement& Placements::For(const std::string& name) const {
    static const PicturePlacement kAnchored;
    const auto found = byName.find(name);
    return found == byName.end() ? kAnchored : found->second;
}

void Placements::Set(const std::string& name, MarkKind kind, const std::optional<MarkPoint>& point) {
    PicturePlacement& placement = byName[name];
    placement.Of(kind) = point;
    if (!point) lineOf.erase({name, kind});
    if (placement.Empty()) byName.erase(name);
}

bool ParsePlacements(std::string_view text, const std::string& file, Placements& placements, Status& status) {
    Placements read;
    read.file = file;
    // A byte order mark, as spreadsheets write one, is no part of the first name.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    size_t at = 0;
    int32_t line = 1;
    std::vector<std::string> fields;
    while (at < text.size()) {
        const int32_t first = line;
        const std::string malformed = ReadRecord(text, at, line, fields);
        if (fields.size() == 1 && fields[0].empty() && malformed.empty()) continue;  // a blank line
        std::string name;
        MarkKind kind = MarkKind::Text;
        MarkPoint point;
        std::string reason = malformed.empty() ? ReadPlacement(fields, name, kind, point) : malformed;
        if (reason.empty() && read.For(name).Of(kind)) {
            reason = "the " + std::string(KindName(kind)) + " mark of " + Shown(name) +
                     " is placed already, on line " + std::to_string(read.lineOf[{name, kind}]);
        }
        if (!reason.empty())
            return status.Fail(Domain::Options, file + ":" + std::to_string(first) + ": " + reason);
        read.Set(name, kind, point);
        read.lineOf[{name, kind}] = first;
    }
    placements = std::move(read);
    return true;
}

bool ReadPlacements(const std::string& path, Placements& placements, Status& status) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMaxPlacementsBytes))
        return status.Fail(Domain::Options, "cannot read the placements " + Shown(path));
    return ParsePlacements(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), path,
                           placements, status);
}

std::string PlacementsText(const Placements& placements) {
    std::string text;
    for (const auto& [name, placement] : placements.byName) {
        for (const MarkKind kind : {MarkKind::Text, MarkKind::Image}) {
            if (const std::optional<MarkPoint>& point = placement.Of(kind)) {
                text += Quoted(name) + "," + KindName(kind) + "," + std::to_string(point->x) + "," +
                        std::to_string(point->y) + "\n";
            }
        }
    }
    return text;
}

bool WritePlacements(const std::string& path, const Placements& placements, Status& status) {
    const std::string text = PlacementsText(placements);
    SafeFileWriter out(path);
    if (!out.Open() || !out.Write(text.data(), text.size()) || !out.Commit())
        return status.Fail(Domain::Write, "cannot write the placements " + Shown(path) + ": " + out.Error());
    return true;
}

std::string PlacementsBeside(const std::string& presetPath) {
    const size_t slash = presetPath.find_last_of('/');
    const size_t dot = presetPath.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? presetPath.substr(0, dot) : presetPath) + ".placements.csv";
}

std::vector<std::string> UnmatchedPlacements(const Placements& placements,
                                             const std::vector<std::string>& selected) {
    const std::set<std::string> names(selected.begin(), selected.end());
    std::vector<std::pair<int32_t, std::string>> unmatched;
    for (const auto& [name, placement] : placements.byName) {
        if (names.count(name) > 0) continue;
        for (const MarkKind kind : {MarkKind::Text, MarkKind::Image}) {
            if (!placement.Of(kind)) continue;
            const auto line = placements.lineOf.find({name, kind});
            unmatched.emplace_back(line == placements.lineOf.end() ? 0 : line->second, name);
        }
    }
    std::sort(unmatched.begin(), unmatched.end());
    std::vector<std::string> lines;
    for (const auto& [line, name] : unmatched) {
        const std::string where = placements.file.empty() || line == 0
                                      ? std::string()
                                      : placements.file + ":" + std::to_string(line) + ": ";
        lines.push_back(where + "no selected picture is named " + Shown(name));
    }
    return lines;
}

}  // namespace stampora
