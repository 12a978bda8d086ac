#include "codecs/ImageCodec.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "codecs/CodecInputFile.h"
#include "platform/FileIo.h"

namespace stampora {

bool CImageCodec::LoadFile(const std::string& path, ImageList& images, PropertiesSlot& properties) {
    status = {};
    CodecInputFile file;
    if (!file.Open(path, status)) return false;
    return LoadOpened(file, images, properties);
}

bool CImageCodec::LoadOpened(CodecInputFile& file, ImageList& images, PropertiesSlot& properties) {
    status = {};
    std::vector<uint8_t> bytes;
    if (!file.ReadAll(bytes, status)) return false;
    return LoadMemory(bytes.data(), bytes.size(), images, properties);
}

bool CImageCodec::LoadMemory(const uint8_t*, size_t, ImageList&, PropertiesSlot&) {
    return status.Fail(Domain::Read, "this format cannot be read");
}

bool CImageCodec::SaveFile(const std::string&, const ImageList&, const CImageProperties*) {
    return status.Fail(Domain::Write, "this format cannot be written");
}

std::string WriteFailure(const SafeFileWriter& out, const char* step) {
    std::string reason = step;
    if (!out.Error().empty()) {
        reason += ": " + out.Error();
    } else if (errno != 0) {
        reason += std::string(": ") + std::strerror(errno);
    }
    return reason;
}

std::string LinesDamage(int64_t linesRead, int64_t height) {
    return "only " + std::to_string(linesRead) + " of " + std::to_string(height) + " lines";
}

bool CImageCodec::Publish(SafeFileWriter& out) {
    if (finisher) {
        if (!out.Close()) return status.Fail(Domain::Write, WriteFailure(out, "cannot write the file"));
        std::string problem = finisher(out.TempPath());
        if (!problem.empty()) {
            out.Fail(problem);
            return status.Fail(Domain::Write, std::move(problem));
        }
    }
    return out.Commit() || status.Fail(Domain::Write, WriteFailure(out, "cannot finish the file"));
}

bool CImageCodec::PublishBytes(const std::string& path, const uint8_t* data, size_t size) {
    SafeFileWriter out(path);
    if (!out.Open()) return status.Fail(Domain::Write, WriteFailure(out, "cannot create the file"));
    if (!out.Write(data, size)) {
        out.Fail();
        return status.Fail(Domain::Write, WriteFailure(out, "cannot write the file"));
    }
    return Publish(out);
}

}  // namespace stampora
