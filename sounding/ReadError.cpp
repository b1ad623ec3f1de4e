#include "sounding/ReadError.h"

namespace mt1d::sounding {
namespace {

std::string Compose(const std::string& file, int line, const std::string& problem)
{
    std::string text = file;
    if (line > 0) text += ", line " + std::to_string(line);
    text += ": ";
    text += problem;
    return text;
}

}  // namespace

ReadError::ReadError(std::string file, int line, std::string problem)
    : std::runtime_error(Compose(file, line, problem)), file_(std::move(file)), line_(line),
      problem_(std::move(problem))
{
}

}  // namespace mt1d::sounding
