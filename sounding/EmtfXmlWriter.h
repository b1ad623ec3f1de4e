#pragma once
// Writes an impedance sounding as an EMTF XML file that EmtfXmlReader.h reads back to the
// same numbers.
//
// - Site: <Id> (the site name), <Location> (latitude, longitude, elevation in metres), the
//   fields of EmtfXmlFields.h from Site::header in their elements, Site::info as <Notes>.
//   Header fields the format has no element for are left out, each named in a note.
// - <Orientation angle_to_geographic_north=θ>orthogonal</Orientation> and a site layout with
//   Hx, Ex at θ and Hy, Ey at θ + 90°, θ the frame of the rows.
// - One <Period> per row (value 1/f in s): <Z> in [mV/km]/[nT] and <Z.VAR>, <T> and <T.VAR>
//   when the sounding has a tipper; sign convention exp(+ i\omega t). Values exact to the
//   last bit; a missing element or variance is left out, and so is one of 1e30 or more,
//   which the reader would take for a missing-value mark.
// - Rows without a usable frequency (a positive finite period) are left out with a note.
//
// Refused (ConversionError): a ρa/φ sounding (EMTF XML holds transfer functions), rows in
// more than one frame (the file has one; rotate them into one first), no row with a usable
// frequency or no impedance value, two frequencies so close that they give the same period.

#include "sounding/Sounding.h"
#include "sounding/SoundingWriter.h"

namespace mt1d::sounding {

WrittenText WriteEmtfXml(const Sounding& sounding);

}  // namespace mt1d::sounding
