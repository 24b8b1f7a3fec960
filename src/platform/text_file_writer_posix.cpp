#include "platform/text_file_writer.h"

#include "platform/drive_map.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <streambuf>
#include <unistd.h>

namespace avrtazu {

// Collects the text and writes it with every "\n" turned into "\r\n".
class TextFileWriter::Buffer : public std::streambuf {
public:
    explicit Buffer(int fd) : fd_(fd) { resetPut(); }
    ~Buffer() override { closeFile(); }

    bool isOpen() const { return fd_ >= 0; }

    bool closeFile() {
        if (fd_ < 0) {
            return !failed_;
        }
        flushBuffer();
        if (::close(fd_) != 0) {
            failed_ = true;
        }
        fd_ = -1;
        return !failed_;
    }

protected:
    int_type overflow(int_type ch) override {
        if (fd_ < 0) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            // One place is always kept free for this character.
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return flushBuffer() ? traits_type::not_eof(ch) : traits_type::eof();
    }

    int sync() override { return fd_ >= 0 && flushBuffer() ? 0 : -1; }

private:
    void resetPut() { setp(data_.data(), data_.data() + data_.size() - 1); }

    bool flushBuffer() {
        std::string out;
        out.reserve(static_cast<std::size_t>(pptr() - pbase()) + 64);
        for (const char* p = pbase(); p != pptr(); ++p) {
            if (*p == '\n') {
                out.push_back('\r');
            }
            out.push_back(*p);
        }
        resetPut();
        std::size_t written = 0;
        while (written < out.size()) {
            const ssize_t n = ::write(fd_, out.data() + written, out.size() - written);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                failed_ = true;
                return false;
            }
            written += static_cast<std::size_t>(n);
        }
        return !failed_;
    }

    int fd_;
    bool failed_ = false;
    std::array<char, 8192> data_{};
};

namespace {

int openTruncating(const std::string& windowsPath) {
    const std::string linuxPath = DriveMap::toLinux(windowsPath);
    if (linuxPath.empty()) {
        errno = ENOENT;
        return -1;
    }
    return ::open(linuxPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

} // namespace

TextFileWriter::TextFileWriter(const std::string& windowsPath)
    : std::ostream(nullptr), buffer_(std::make_unique<Buffer>(openTruncating(windowsPath))) {
    const int openErrno = errno;
    init(buffer_.get());
    if (!buffer_->isOpen()) {
        setstate(std::ios::failbit);
        errno = openErrno;
    }
}

TextFileWriter::~TextFileWriter() {
    close();
}

bool TextFileWriter::isOpen() const {
    return buffer_->isOpen();
}

bool TextFileWriter::close() {
    if (!buffer_->isOpen()) {
        return false;
    }
    if (!buffer_->closeFile()) {
        setstate(std::ios::badbit);
        return false;
    }
    return !fail();
}

} // namespace avrtazu
