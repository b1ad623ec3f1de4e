#include "Inversion1D.h"
