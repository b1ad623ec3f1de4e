#pragma once
// The soundings of a batch: the files named on the command line (or chosen in the window)
// expanded into one list in a fixed order, each with the name its result files get.
//
// Input order: the inputs as given; a folder stands for the files directly inside it whose
// names end in .edi, .xml, .j, .avg, .dat, .csv or .txt (any case), hidden files excepted, sorted by name
// byte by byte so that every machine lists them alike. A file named twice (directly, or also
// through its folder) is taken once, where it first appears. The format of each file is
// recognised from its content when it is read (SoundingFile.h), not here.
//
// Output names: the file's name without folder and extension, with every character other
// than letters, digits, '-', '_' and '.' (and any non-ASCII byte) replaced by '_' and a
// leading '.' too, so that a name never leaves the output folder or hides there. Names are
// compared without regard to case (results may be copied to a file system that ignores it);
// the first file of a name keeps it, later ones get -2, -3, … (the first suffix no other file
// uses), in input order. The name is the key of a site everywhere: DIR/<name>.json, the site
// column of summary.csv, the seed of a layered fit.

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace mt1d::jobs {

struct SiteInput {
    std::string name;  // the output name: DIR/<name>.json
    std::string file;  // the path as the user gave it (a folder's entries: folder/entry)

    friend bool operator==(const SiteInput&, const SiteInput&) = default;
};

// Whether a folder entry of this name is taken as a sounding.
bool IsSoundingFileName(const std::string& fileName);

// The files of `inputs` (files or folders) in input order. Throws PlanError naming the input
// for a path that does not exist or is neither a file nor a folder, a folder without any
// sounding file, and when there is no file at all.
std::vector<std::string> ExpandInputs(std::span<const std::string> inputs);

// The file name without folder and extension, made safe as described above ("site" when
// nothing is left).
std::string SafeStem(const std::string& file);

// Whether `name` is one SafeStem can make: not empty, letters, digits, '-', '_' and '.', not
// starting with '.'. Every name read back from a folder (sites.csv, summary.csv) must be one
// before it is used as a file name.
bool IsSafeSiteName(const std::string& name);

// Unique output names for `files`, in the same order.
std::vector<SiteInput> NameSites(std::span<const std::string> files);

}  // namespace mt1d::jobs
