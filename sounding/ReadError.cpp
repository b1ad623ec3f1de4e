#include "sounding/ReadError.h"

namespace mt1d::sounding {
namespace {

std::string Compose(const std::string& file, int line, std::string_view problem)
{
    std::string text = file;
    if (line > 0) text += ", line " + std::to_string(line);
    text += ": ";
    text += problem;
    return text;
}

}  // namespace

std::string_view ReadProblemText(ReadProblem problem)
{
    switch (problem) {
    case ReadProblem::kCannotRead: return "the file cannot be read";
    case ReadProblem::kTooLarge: return "more than mt1d reads from one file";
    case ReadProblem::kEmpty: return "the file is empty";
    case ReadProblem::kBinary: return "not a text file";
    case ReadProblem::kOtherKind: return "a file of another kind, holding no sounding data";
    case ReadProblem::kNotSounding: return "not a sounding file in a format mt1d reads";
    case ReadProblem::kMissingPart: return "a part the format needs is missing";
    case ReadProblem::kNotANumber: return "text where a number belongs";
    case ReadProblem::kWrongCount: return "a block, list or row holds another number of values than it must";
    case ReadProblem::kDuplicate: return "an item that may appear once appears twice";
    case ReadProblem::kBadValue: return "a value out of its range or in conflict with another";
    case ReadProblem::kNotApplicable: return "a reading option does not apply to this file";
    }
    return "the file cannot be read";
}

ReadError::ReadError(std::string file, int line, ReadProblem kind, std::string problem)
    : std::runtime_error(Compose(file, line, problem)), file_(std::move(file)), line_(line), kind_(kind),
      problem_(std::move(problem))
{
}

std::string ReadError::ContentFreeMessage() const
{
    return Compose(file_, line_, ReadProblemText(kind_));
}

}  // namespace mt1d::sounding
