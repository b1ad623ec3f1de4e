#pragma once
// A sounding file the readers refuse. The message names the file, the line (when the fault
// sits on one) and what was expected there, e.g.
//     site7.edi, line 113: block >ZXYR holds 58 values; the >FREQ block has 60
// That message may quote the file's own text (a word where a number belongs, an unknown
// column name), which is what a person fixing the file needs, but not what a summary of many
// files should repeat: a file that is not a sounding at all (a link to a system file, say)
// would have its content copied there. Beside the message the error therefore carries its
// parts: the file, the line, and the kind of problem, whose text (ReadProblemText) never
// holds anything read from the file; ContentFreeMessage() puts them together:
//     site7.edi, line 113: a block, list or row holds another number of values than it must
//
// A reader that throws has changed nothing the caller holds: readers build their result
// locally and hand it over only when the whole file has been read.

#include <stdexcept>
#include <string>
#include <string_view>

namespace mt1d::sounding {

// What kind of problem made a reader refuse a file.
enum class ReadProblem {
    kCannotRead,     // cannot be opened or read, or is not a regular file
    kTooLarge,       // more bytes, frequencies, rows, blocks or channels than mt1d reads
    kEmpty,          // holds nothing but blanks
    kBinary,         // not text
    kOtherKind,      // a recognisable file that holds no sounding data (an Occam model, …)
    kNotSounding,    // text in none of the formats mt1d reads
    kMissingPart,    // a block, section, header, column or list the format needs is absent
    kNotANumber,     // text where a number belongs
    kWrongCount,     // a block, list or row holds another number of values than it must
    kDuplicate,      // something that may appear once appears twice
    kBadValue,       // a value out of its range, or in conflict with another
    kNotApplicable,  // a reading option the file cannot take
};

// A fixed text for the kind, e.g. "text where a number belongs"; never any file content.
std::string_view ReadProblemText(ReadProblem problem);

class ReadError : public std::runtime_error {
public:
    // line 0 means the fault concerns the file as a whole. `problem` is the full description,
    // which may quote the file.
    ReadError(std::string file, int line, ReadProblem kind, std::string problem);

    const std::string& File() const { return file_; }
    int Line() const { return line_; }
    ReadProblem Kind() const { return kind_; }
    const std::string& Problem() const { return problem_; }

    // "file, line N: <ReadProblemText(Kind())>": the file as named by the caller, the line and
    // the kind, nothing read from the file.
    std::string ContentFreeMessage() const;

private:
    std::string file_;
    int line_;
    ReadProblem kind_;
    std::string problem_;
};

}  // namespace mt1d::sounding
