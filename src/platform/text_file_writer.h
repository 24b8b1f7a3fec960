#pragma once

#include <memory>
#include <ostream>
#include <string>

namespace avrtazu {

// An output stream over a text file whose line ends are CR LF on every OS, as the generated
// files (Makefile, linker file list, build.bat) must have: each "\n" written becomes "\r\n".
// The file is created when the writer opens; the text is written by close() or the
// destructor, and a file that already holds exactly that text is left untouched, time and
// all, so a regenerated Makefile or list that did not change makes nothing look newer. When the
// file cannot be opened, isOpen() is false, the stream is in a failed state and errno tells why.
class TextFileWriter : public std::ostream {
public:
    explicit TextFileWriter(const std::string& windowsPath);
    ~TextFileWriter() override;
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    bool isOpen() const;
    // Writes what is buffered and closes the file; false when anything could not be written.
    bool close();

private:
    class Buffer;
    std::unique_ptr<Buffer> buffer_;
};

} // namespace avrtazu
