#pragma once
// A sounding file the readers refuse. The message names the file, the line (when the fault
// sits on one) and what was expected there, e.g.
//     site7.edi, line 113: block >ZXYR holds 58 values; the >FREQ block has 60
// A reader that throws has changed nothing the caller holds: readers build their result
// locally and hand it over only when the whole file has been read.

#include <stdexcept>
#include <string>

namespace mt1d::sounding {

class ReadError : public std::runtime_error {
public:
    // line 0 means the fault concerns the file as a whole.
    ReadError(std::string file, int line, std::string problem);

    const std::string& File() const { return file_; }
    int Line() const { return line_; }
    const std::string& Problem() const { return problem_; }

private:
    std::string file_;
    int line_;
    std::string problem_;
};

}  // namespace mt1d::sounding
