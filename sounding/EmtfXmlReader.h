#pragma once
// Reads an EMTF XML file (the transfer-function format of the public MT archives, Kelbert et
// al. 2020, Geophysics 85(1), F1–F17) into a sounding. The XML itself is parsed by pugixml,
// which neither loads external entities nor follows a DTD.
//
// What it reads:
// - <Data>/<Period value= units=>: one row per period (units "secs", or "Hz" for a frequency);
//   <Z> the impedance and <T> the tipper, each <value> placed by its output/input attributes
//   (Ex/Ey × Hx/Hy, Hz × Hx/Hy) or, without them, by its name (Zxy, Tx).
// - Variances, the file's variance of each complex element: <Z.VAR>; without it the diagonal
//   of <Z.COV>; without that RESIDCOV_ii·INVSIGCOV_jj from <Z.RESIDCOV> and <Z.INVSIGCOV>
//   (the diagonal of the full covariance N ⊗ S, Egbert's error model). The same for T.
// - Units: the units attribute of <Z> in the period, else of <DataType name="Z">, converted
//   to (mV/km)/nT (ImpedanceUnits.h); none given means (mV/km)/nT, with a note.
// - Time convention: <ProcessingInfo>/<SignConvention> "exp(+ i\omega t)" or
//   "exp(- i\omega t)"; the latter is conjugated (impedance and tipper) unless the phases
//   plainly follow e^{+iωt}, which is noted. Sounding::conjugated says what was done.
// - Frame: <Site>/<Orientation angle_to_geographic_north=θ>orthogonal</Orientation> puts the
//   tensor in the frame θ; the text "sitelayout" puts it in the frame of the channels of
//   <SiteLayout> (the Hx orientation; a layout that is not orthogonal is noted).
// - Site: <Id> (the name), <Location> (latitude, longitude, elevation in metres or feet) and
//   the fields of EmtfXmlFields.h into Site::header; <Notes> into Site::info.
// Values that are not finite or at least 1e30 in magnitude are missing.
//
// Refused (ReadError naming the file, the line and the XML path of the fault): XML that is not
// well-formed, a root other than <EM_TF>, no <Data> or no <Period>, a period without a value,
// a value that is not two numbers (one for a variance), an element that names no impedance
// component, impedance units not in the list, no impedance at any period, more than 10,000
// periods, a repeated period.

#include "sounding/Sounding.h"

#include <string>
#include <string_view>

namespace mt1d::sounding {

// `file` names the file in messages and in Sounding::sourceName; `defaultName` is the site
// name when the file has no <Site>/<Id>.
Sounding ParseEmtfXml(std::string_view bytes, const std::string& file, const std::string& defaultName);

}  // namespace mt1d::sounding
