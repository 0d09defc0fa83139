#include "WavReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace hostsim {
namespace {

namespace fs = std::filesystem;

class StreamSource : public ByteSource {
public:
    StreamSource(std::istream& stream, std::uint64_t size) : stream_(stream), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override {
        stream_.clear();
        if (offset >= size_ || !stream_.seekg(static_cast<std::streamoff>(offset))) return 0;
        stream_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(count));
        return static_cast<std::size_t>(stream_.gcount());
    }

private:
    std::istream& stream_;
    std::uint64_t size_;
};

}  // namespace

std::string PathText(const fs::path& path) {
    return path.u8string();
}

bool WavReader::Open(const fs::path& path, std::string& error) {
    name_ = PathText(path);
    std::error_code code;
    if (fs::is_directory(path, code)) {
        error = name_ + " is a folder, not a file";
        return false;
    }
    errno = 0;
    file_.open(path, std::ios::binary);
    if (!file_) {
        error = "cannot open " + name_ + (errno ? std::string(": ") + std::strerror(errno) : "");
        return false;
    }
    // Devices and pipes never end, or end where nothing says; some systems
    // cannot even tell their size.
    if (!fs::is_regular_file(fs::status(path, code)) || code) {
        error = name_ + " is not a regular file";
        return false;
    }
    const std::uint64_t size = fs::file_size(path, code);
    if (code) {
        error = "cannot read the size of " + name_ + ": " + code.message();
        return false;
    }
    if (size > kMaxFileBytes) {
        error = name_ + " has " + std::to_string(size) + " bytes; input files over " +
                std::to_string(kMaxFileBytes) + " bytes (1 GiB) are refused";
        return false;
    }
    StreamSource source(file_, size);
    if (!ReadWavLayout(source, layout_, error)) {
        error = name_ + ": " + error;
        return false;
    }
    file_.clear();
    if (!file_.seekg(static_cast<std::streamoff>(layout_.dataOffset))) {
        error = "cannot read " + name_;
        return false;
    }
    framesRead_ = 0;
    return true;
}

bool WavReader::Read(float* out, std::size_t maxFrames, std::size_t& read, std::string& error) {
    read = static_cast<std::size_t>(std::min<std::uint64_t>(maxFrames, FramesLeft()));
    if (read == 0) return true;
    const std::size_t frameBytes = static_cast<std::size_t>(layout_.FrameBytes());
    bytes_.resize(read * frameBytes);
    file_.read(reinterpret_cast<char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
    if (static_cast<std::size_t>(file_.gcount()) != bytes_.size()) {
        error = "cannot read " + name_ + " after frame " + std::to_string(framesRead_) +
                " (the file changed or failed while it was read)";
        read = 0;
        return false;
    }
    DecodeFrames(layout_, bytes_.data(), read, out);
    framesRead_ += read;
    return true;
}

}  // namespace hostsim
