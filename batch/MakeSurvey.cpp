// mt1d_make_survey FOLDER [SITES [SPACING_KM [SEED [NOISE]]]]: writes a synthetic survey
// (SyntheticSurvey.h) for trying and measuring batches. scripts/synthetic-survey.sh calls it.

#include "batch/SyntheticSurvey.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 6) {
        std::cerr << "usage: mt1d_make_survey FOLDER [SITES [SPACING_KM [SEED [NOISE]]]]\n"
                     "  defaults: 10 sites, 1 km apart, seed 1, noise 0.05 (5 % of |Z|)\n";
        return 2;
    }
    mt1d::batch::SurveyOptions options;
    try {
        if (argc > 2) options.sites = std::stoul(argv[2]);
        if (argc > 3) options.spacingKm = std::stod(argv[3]);
        if (argc > 4) options.seed = std::stoull(argv[4]);
        if (argc > 5) options.noise = std::stod(argv[5]);
        mt1d::batch::WriteSurvey(argv[1], options);
    } catch (const std::exception& e) {
        std::cerr << "mt1d_make_survey: " << e.what() << "\n";
        return 2;
    }
    std::cout << argv[1] << ": " << options.sites << " sites, " << options.spacingKm << " km apart, seed "
              << options.seed << ", noise " << options.noise << "\n";
    return 0;
}
