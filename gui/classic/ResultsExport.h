#pragma once
// The main window's results as files: the forward response in the store and the last
// inversion, written by the command-line tool's writers with its columns and keys, so that
// a file exported from the window reads like the output of `mt1d forward` or `mt1d invert`
// (--format csv or json).

#include "classic/Commands.h"
#include "classic/ModelStore.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace mt1d::gui {

// One press of the inversion button, kept for export.
struct InversionRecord {
    int run = 1;                       // presses since the last forward calculation or reset,
                                       // this one included (mt1d invert's run number)
    int source = kDefaultSource;       // data source and method indices of Defaults.h
    int method = kDefaultMethod;
    InversionOutcome outcome;
    std::vector<float> resistivities;  // the result layers as the report lists them
    std::vector<float> thicknesses;
};

// The record of the run that has just written `store`'s InvRes and InvThick.
InversionRecord RecordInversion(const ModelStore& store, int run, int source, int method,
                                InversionOutcome outcome);

// Without an inversion: what `mt1d forward --format csv|json` writes for the store's model.
// With one: what `mt1d invert --format csv|json` writes, with this one run.
std::string ResultsCsv(const ModelStore& store, const std::optional<InversionRecord>& last);
std::string ResultsJson(const ModelStore& store, const std::optional<InversionRecord>& last);

// Writes the CSV or JSON text, chosen by the suffix of `fileName` (.csv or .json, in any
// case), replacing the file only once all of it is written. Throws std::runtime_error with
// a message for the user for another suffix or when the file cannot be written.
void ExportResults(const ModelStore& store, const std::optional<InversionRecord>& last,
                   const QString& fileName);

}  // namespace mt1d::gui
