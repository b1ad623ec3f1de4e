#pragma once
// Writes a sounding as an EDI file (SEG MT/EMAP Data Interchange Standard, 1987) that
// EdiReader.h reads back to the same numbers.
//
// - HEAD: every field of Site::header (values quoted; a '"' inside becomes '\''), with
//   LAT, LONG and ELEV from Site::location in decimal degrees and metres, DATAID from the
//   site name, and this writer's own EMPTY=1.0E32, STDVERS, PROGVERS (EmtfXmlFields.h lists
//   the keys it replaces). INFO: Site::info, a line starting with '>' (which would read as a
//   marker) led by "›" instead.
// - DEFINEMEAS with the location, and one HMEAS/EMEAS line per channel at the site centre,
//   oriented in the frame of the first row.
// - Impedance soundings: >FREQ, >ZROT (each row's frame), ZxxR/ZxxI/ZXX.VAR for every element
//   the sounding has values for, ROT=ZROT; the tipper as TXR.EXP … TYVAR.EXP with ROT=TROT
//   when it has one. Values exact to the last bit; missing values and variances as 1.0E32,
//   and so are values of 1e30 or more, which no reader could tell from that mark.
// - ρa/φ soundings: >RHOROT, RHOXY/PHSXY/RHOYX/PHSYX with .ERR blocks, RHO*.ERR as the error of
//   log10 ρa (how EdiReader.h reads it), the yx phase back near −135° unless the file it came
//   from had it in the first quadrant.
// - Numbers are written in the e^{+iωt} convention the sounding holds.
//
// Refused (ConversionError): a sounding without rows or without a single value, a ρa/φ
// sounding with det or berd values (EDI has blocks for xy and yx only).

#include "sounding/Sounding.h"
#include "sounding/SoundingWriter.h"

namespace mt1d::sounding {

WrittenText WriteEdi(const Sounding& sounding);

}  // namespace mt1d::sounding
