#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vexo {

// An open file descriptor with the path it was opened by, closed when the
// object goes. Reads and writes throw std::runtime_error carrying a text for
// the user: the path and the system's reason.
class PosixFile {
public:
    PosixFile() = default;
    PosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixFile();
    PosixFile(PosixFile&& other) noexcept;
    PosixFile& operator=(PosixFile&& other) noexcept;
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    // Read and write access ("the file may be changed"), sharing both:
    // a file without write permission fails here. Never blocks on a FIFO.
    // Returns a closed file (and leaves errno) when the open fails.
    static PosixFile OpenReadWrite(const std::string& path);

    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    std::int64_t size() const;
    bool isRegular() const;
    void seek(std::int64_t position);
    // Reads until `size` bytes are in or the file ends; returns the count.
    std::size_t readUpTo(unsigned char* buffer, std::size_t size);
    // Reads exactly `size` bytes at `position`, or throws.
    void readAt(std::int64_t position, unsigned char* buffer, std::size_t size);
    // Writes all `size` bytes, or throws (a full disk included).
    void writeAll(const unsigned char* buffer, std::size_t size);
    // Closes, reporting a failed write-back.
    void close();

private:
    int fd_ = -1;
    std::string path_;
};

// "<path>: <reason for errno>"
std::string SystemErrorText(const std::string& path, int error);

} // namespace vexo
