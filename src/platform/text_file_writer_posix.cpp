#include "platform/text_file_writer.h"

#include "platform/drive_map.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <streambuf>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace avrtazu {

// Collects the text with every "\n" turned into "\r\n" and writes it when the file is closed,
// unless the file already holds exactly that text.
class TextFileWriter::Buffer : public std::streambuf {
public:
    Buffer(int fd, bool readable) : fd_(fd), readable_(readable) { resetPut(); }
    ~Buffer() override { closeFile(); }

    bool isOpen() const { return fd_ >= 0; }

    bool closeFile() {
        if (fd_ < 0) {
            return !failed_;
        }
        collect();
        if (!(readable_ && holdsText()) && !replaceContents()) {
            failed_ = true;
        }
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
        collect();
        return traits_type::not_eof(ch);
    }

    int sync() override { return fd_ >= 0 ? 0 : -1; }

private:
    void resetPut() { setp(data_.data(), data_.data() + data_.size() - 1); }

    // Whole lines at a time: a big project's Makefile is a megabyte.
    void collect() {
        const char* at = pbase();
        const char* const end = pptr();
        while (at != end) {
            const auto* newline =
                static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
            if (newline == nullptr) {
                text_.append(at, end);
                break;
            }
            text_.append(at, newline);
            text_ += "\r\n";
            at = newline + 1;
        }
        resetPut();
    }

    // Whether the file's contents are the collected text already.
    bool holdsText() const {
        struct stat status {};
        if (::fstat(fd_, &status) != 0 ||
            static_cast<std::size_t>(status.st_size) != text_.size()) {
            return false;
        }
        std::string old(text_.size(), '\0');
        std::size_t got = 0;
        while (got < old.size()) {
            const ssize_t n =
                ::pread(fd_, old.data() + got, old.size() - got, static_cast<off_t>(got));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            got += static_cast<std::size_t>(n);
        }
        return old == text_;
    }

    bool replaceContents() {
        if (readable_ && ::ftruncate(fd_, 0) != 0) {
            return false;
        }
        std::size_t written = 0;
        while (written < text_.size()) {
            const ssize_t n = ::pwrite(fd_, text_.data() + written, text_.size() - written,
                                       static_cast<off_t>(written));
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return false;
            }
            written += static_cast<std::size_t>(n);
        }
        return true;
    }

    int fd_;
    // Opened for reading too, and not truncated: the old contents can be compared.
    bool readable_;
    bool failed_ = false;
    std::string text_;
    std::array<char, 8192> data_{};
};

namespace {

struct OpenedFile {
    int fd = -1;
    bool readable = false;
};

OpenedFile openForText(const std::string& windowsPath) {
    const std::string linuxPath = DriveMap::toLinux(windowsPath);
    if (linuxPath.empty()) {
        errno = ENOENT;
        return {};
    }
    const int fd = ::open(linuxPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0) {
        return {fd, true};
    }
    // A file that may be written but not read is simply replaced.
    return {::open(linuxPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666), false};
}

} // namespace

TextFileWriter::TextFileWriter(const std::string& windowsPath) : std::ostream(nullptr) {
    const OpenedFile file = openForText(windowsPath);
    const int openErrno = errno;
    buffer_ = std::make_unique<Buffer>(file.fd, file.readable);
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
