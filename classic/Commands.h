#pragma once
// The commands of the main window without its widgets. Each reads texts or item indices,
// works on the store and returns what the window shows. A command that refuses its input
// throws InputError (a conversion error or a refusal, with a message for the user) and
// leaves the store exactly as it was.

#include "classic/ModelStore.h"
#include "classic/NumberText.h"
#include "inversion/RunEnding.h"

#include <functional>
#include <string>
#include <vector>

namespace mt1d {

struct ChartPoint {
    double x;  // period in seconds
    double y;  // apparent resistivity in ohm-m, or phase in degrees
};

// What the listing pane and the two charts show for the response in the store.
struct ResponseView {
    std::vector<std::string> listing;     // FreqCount lines "f ρa φ", each "0.0E+00"
    std::vector<ChartPoint> appResCurve;  // (1/f, ρa)
    std::vector<ChartPoint> phaseCurve;   // (1/f, φ·(1/π)·180)
};

// One row of the model table below its heading: the texts of the resistivity and
// thickness cells.
struct LayerText {
    std::string resistivity;
    std::string thickness;
};

// The table the window opens with: the default model of Defaults.h as texts.
std::vector<LayerText> DefaultTable();

// The forward calculation: converts the layer count N and every table row (resistivity,
// then thickness, row by row), refuses N outside 1..50, more than 50 rows, and any
// resistivity or thickness of the resulting model outside its accepted range
// (InputChecks.h); computes the response at the store's frequencies and refuses it, naming
// the frequencies, when a value is not finite; then stores LayerCount and Model
// (thicknesses N slots after the resistivities, by the typed N) and the response, applies
// the default inversion set-up and returns the view of the new response.
ResponseView RunForward(ModelStore& store, const std::string& layerCountText,
                        const std::vector<LayerText>& rows);

// The view of the response now in the store.
ResponseView DescribeResponse(const ModelStore& store);

// What one press of the inversion button gives (the data source and method indices are
// those of Defaults.h).
struct InversionOutcome {
    mt::RunSummary summary;  // how the run ended, its iteration count and misfit
    std::string message;     // the engine's message for that ending
    std::string report;      // the whole report text shown to the user
    int paramCount = 0;      // parameters of the result model: 2N − 1
};

// The inversion: builds the engine for the data source (any index other than 0 and 1
// fits both) as EngineSetup.h does, runs the method (index 1 constrained, any other the
// singular value method), writes InvModel, InvRes and InvThick and returns the report.
// Refuses a model too large for the engine, and, for the constrained method, bounds that
// are not positive, lie outside their accepted range or whose lower bound is above the
// upper one. `processMessages` is called where the constrained run lets the window repaint.
InversionOutcome RunInversion(ModelStore& store, int sourceIndex, int methodIndex,
                              const std::function<void()>& processMessages = {});

// The report text: the message, the headings, iteration count, misfit "0.00E+00" and one
// line per layer "i   ρ   h" with "0.0".
std::string InversionReport(const std::string& message, int iterations, float misfit,
                            int paramCount, const float* invRes, const float* invThick);

// Puts the default inversion set-up back (bounds and starting model from the model).
void ResetInversion(ModelStore& store);

// One row of the bounds dialog per layer: lower and upper bound of the resistivity and
// of the thickness, as texts.
struct BoundsRow {
    std::string resistivityLower;
    std::string resistivityUpper;
    std::string thicknessLower;
    std::string thicknessUpper;
};

// The LayerCount rows of the bounds dialog, each bound formatted "0.0".
std::vector<BoundsRow> BoundsTable(const ModelStore& store);

// Whether every cell converts to a number (rows in order, cells left to right).
bool BoundsTableConverts(const std::vector<BoundsRow>& rows);

// Converts every cell (rows in order, cells left to right) and, only when all convert,
// writes them into LowerBound/UpperBound (resistivity at k, thickness at N + k). Throws
// InputError on the first bad cell or when the row count is not LayerCount.
void ApplyBoundsTable(ModelStore& store, const std::vector<BoundsRow>& rows);

// The bounds dialog's OK: like ApplyBoundsTable, except that a cell whose text is still the
// one `shown` (BoundsTable of this store) put there keeps the exact bound behind it rather
// than the value of its one-decimal text. `shown` must have as many rows as `rows`.
void ApplyBoundsDialog(ModelStore& store, const std::vector<BoundsRow>& shown,
                       const std::vector<BoundsRow>& rows);

}  // namespace mt1d
