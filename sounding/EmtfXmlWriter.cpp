#include "sounding/EmtfXmlWriter.h"

#include "sounding/EmtfXmlFields.h"
#include "sounding/TextScan.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>

namespace mt1d::sounding {
namespace {

constexpr std::array<const char*, 4> kZNames = {"Zxx", "Zxy", "Zyx", "Zyy"};
constexpr std::array<const char*, 2> kOutputs = {"Ex", "Ey"};
constexpr std::array<const char*, 2> kInputs = {"Hx", "Hy"};
constexpr std::array<const char*, 2> kTNames = {"Tx", "Ty"};

class StringWriter : public pugi::xml_writer {
public:
    void write(const void* data, std::size_t size) override { text.append(static_cast<const char*>(data), size); }
    std::string text;
};

pugi::xml_node Child(pugi::xml_node parent, const char* name)
{
    pugi::xml_node c = parent.child(name);
    return c ? c : parent.append_child(name);
}

void Put(pugi::xml_node root, std::string_view path, const std::string& value)
{
    pugi::xml_node node = root;
    while (!path.empty()) {
        const auto slash = path.find('/');
        const std::string part(path.substr(0, slash));
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (part.front() == '@') {
            node.append_attribute(part.c_str() + 1) = value.c_str();
            return;
        }
        node = Child(node, part.c_str());
    }
    node.text() = value.c_str();
}

// Elements of the skeleton that stayed without text, attributes and children go.
void Prune(pugi::xml_node node)
{
    for (pugi::xml_node c = node.first_child(); c;) {
        const pugi::xml_node next = c.next_sibling();
        if (c.type() == pugi::node_element) {
            Prune(c);
            if (!c.first_child() && !c.first_attribute()) node.remove_child(c);
        }
        c = next;
    }
}

void Skeleton(pugi::xml_node parent, std::initializer_list<const char*> names)
{
    for (const char* n : names) parent.append_child(n);
}

pugi::xml_node Value(pugi::xml_node block, const char* name, const char* output, const char* input, const std::string& text)
{
    pugi::xml_node v = block.append_child("value");
    v.append_attribute("name") = name;
    v.append_attribute("output") = output;
    v.append_attribute("input") = input;
    v.text() = text.c_str();
    return v;
}

pugi::xml_node Channel(pugi::xml_node group, const char* kind, const char* name, double orientation, bool electric)
{
    pugi::xml_node c = group.append_child(kind);
    c.append_attribute("name") = name;
    c.append_attribute("orientation") = ExactNumber(orientation).c_str();
    for (const char* a : {"x", "y", "z"}) c.append_attribute(a) = "0.0";
    if (electric)
        for (const char* a : {"x2", "y2", "z2"}) c.append_attribute(a) = "0.0";
    return c;
}

std::string Complex(std::complex<double> z)
{
    return ExactNumber(z.real()) + " " + ExactNumber(z.imag());
}

// A frequency whose period is a positive finite number.
bool Usable(double f)
{
    return Writable(f) && f > 0.0 && Writable(1.0 / f);
}

}  // namespace

WrittenText WriteEmtfXml(const Sounding& s)
{
    if (s.kind != DataKind::kImpedance)
        throw ConversionError("EMTF XML holds transfer functions (the impedance tensor); this sounding has only apparent "
                              "resistivity and phase");
    WrittenText result;
    std::vector<const TensorRow*> rows;
    for (const auto& r : s.tensor)
        if (Usable(r.frequencyHz)) rows.push_back(&r);
    if (rows.empty()) throw ConversionError("no row of the sounding has a usable frequency; there is nothing to write");
    if (rows.size() < s.tensor.size())
        result.notes.push_back(std::to_string(s.tensor.size() - rows.size()) +
                               " rows without a usable frequency left out: EMTF XML gives each row a period");
    const auto [lo, hi] = std::minmax_element(rows.begin(), rows.end(), [](const TensorRow* a, const TensorRow* b) {
        return a->rotationDeg < b->rotationDeg;
    });
    if ((*lo)->rotationDeg != (*hi)->rotationDeg)
        throw ConversionError("the rows are in frames from " + FormatNumber((*lo)->rotationDeg) + "° to " +
                              FormatNumber((*hi)->rotationDeg) +
                              "° from north, and EMTF XML holds one frame per file; rotate them into one (--rotate DEG)");
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (1.0 / rows[i]->frequencyHz == 1.0 / rows[i - 1]->frequencyHz)
            throw ConversionError("frequencies " + ExactNumber(rows[i - 1]->frequencyHz) + " and " +
                                  ExactNumber(rows[i]->frequencyHz) + " Hz give the same period in s");
    if (std::none_of(rows.begin(), rows.end(), [](const TensorRow* r) {
            return std::any_of(r->z.begin(), r->z.end(), [](const ImpedanceElement& e) { return Writable(e.value); });
        }))
        throw ConversionError("the sounding holds no impedance value; there is nothing to write");
    const double frame = rows.front()->rotationDeg;
    const bool tipper = std::any_of(rows.begin(), rows.end(), [](const TensorRow* r) {
        return Writable(r->tipper[0].value) || Writable(r->tipper[1].value);
    });
    const bool zVariance = std::any_of(rows.begin(), rows.end(), [](const TensorRow* r) {
        return std::any_of(r->z.begin(), r->z.end(),
                           [](const ImpedanceElement& e) { return Writable(e.value) && e.variance && Writable(*e.variance); });
    });

    pugi::xml_document doc;
    pugi::xml_node decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = doc.append_child("EM_TF");
    root.append_child("Description").text() = "Magnetotelluric Transfer Functions";
    root.append_child("ProductId");
    root.append_child("SubType").text() = "MT_TF";
    bool controlCharacters = false;
    auto text = [&](std::string_view t) { return PrintableText(t, controlCharacters); };
    std::string notes;
    for (const auto& line : s.site.info) notes += (notes.empty() ? "" : "\n") + text(line);
    root.append_child("Notes").text() = notes.c_str();
    root.append_child("Tags").text() = tipper ? "impedance,tipper" : "impedance";
    pugi::xml_node provenance = root.append_child("Provenance");
    Skeleton(provenance, {"CreateTime"});
    provenance.append_child("CreatingApplication").text() = "mt1d";
    Skeleton(provenance, {"Creator", "Submitter"});
    pugi::xml_node site = root.append_child("Site");
    Skeleton(site, {"Project", "Survey", "YearCollected", "Country", "Id", "Name"});
    pugi::xml_node location = site.append_child("Location");
    Skeleton(location, {"Latitude", "Longitude", "Elevation", "Declination"});
    pugi::xml_node orientation = site.append_child("Orientation");
    orientation.append_attribute("angle_to_geographic_north") = ExactNumber(frame).c_str();
    orientation.text() = "orthogonal";
    Skeleton(site, {"AcquiredBy", "Start", "End", "DataQualityNotes"});
    pugi::xml_node processing = root.append_child("ProcessingInfo");
    processing.append_child("SignConvention").text() = "exp(+ i\\omega t)";
    Skeleton(processing, {"RemoteRef", "ProcessedBy", "ProcessingSoftware", "ProcessingTag"});

    // The site's fields, in their elements; the others named in a note.
    std::string leftOut;
    for (const auto& field : s.site.header) {
        const std::string& key = field.first;
        const std::string& value = field.second;
        if (EqualsIgnoreCase(key, "DATAID")) continue;
        const auto known = std::find_if(kEmtfXmlFields.begin(), kEmtfXmlFields.end(),
                                        [&](const EmtfXmlField& f) { return EqualsIgnoreCase(f.key, key); });
        if (known != kEmtfXmlFields.end()) {
            Put(root, known->path, text(value));
        } else if (!std::any_of(kEdiFileKeys.begin(), kEdiFileKeys.end(), [&](std::string_view k) { return EqualsIgnoreCase(k, key); })) {
            leftOut += (leftOut.empty() ? "" : ", ") + key;
        }
    }
    if (!leftOut.empty()) result.notes.push_back("header fields EMTF XML has no element for, left out: " + leftOut);
    const std::string name = text(s.site.name);
    site.child("Id").text() = name.c_str();
    if (!root.child("ProductId").first_child()) root.child("ProductId").text() = name.c_str();
    if (controlCharacters) result.notes.push_back("control characters in the site's text written as '?'");
    const Location& loc = s.site.location;
    if (loc.latitudeDeg) location.child("Latitude").text() = ExactNumber(*loc.latitudeDeg).c_str();
    if (loc.longitudeDeg) location.child("Longitude").text() = ExactNumber(*loc.longitudeDeg).c_str();
    if (loc.elevationM) {
        location.child("Elevation").text() = ExactNumber(*loc.elevationM).c_str();
        location.child("Elevation").append_attribute("units") = "meters";
    }
    for (pugi::xml_node n : {provenance, site, processing}) Prune(n);

    if (zVariance) {
        pugi::xml_node estimates = root.append_child("StatisticalEstimates");
        pugi::xml_node var = estimates.append_child("Estimate");
        var.append_attribute("name") = "VAR";
        var.append_attribute("type") = "real";
        var.append_child("Description").text() = "Variance";
        var.append_child("Intention").text() = "error estimate";
        var.append_child("Tag").text() = "variance";
    }
    pugi::xml_node types = root.append_child("DataTypes");
    pugi::xml_node zType = types.append_child("DataType");
    zType.append_attribute("name") = "Z";
    zType.append_attribute("type") = "complex";
    zType.append_attribute("output") = "E";
    zType.append_attribute("input") = "H";
    zType.append_attribute("units") = "[mV/km]/[nT]";
    zType.append_child("Description").text() = "MT impedance";
    zType.append_child("Tag").text() = "impedance";
    if (tipper) {
        pugi::xml_node tType = types.append_child("DataType");
        tType.append_attribute("name") = "T";
        tType.append_attribute("type") = "complex";
        tType.append_attribute("output") = "H";
        tType.append_attribute("input") = "H";
        tType.append_attribute("units") = "[]";
        tType.append_child("Description").text() = "Vertical Field Transfer Functions (Tipper)";
        tType.append_child("Tag").text() = "tipper";
    }
    pugi::xml_node layout = root.append_child("SiteLayout");
    pugi::xml_node inputs = layout.append_child("InputChannels");
    inputs.append_attribute("ref") = "site";
    inputs.append_attribute("units") = "m";
    Channel(inputs, "Magnetic", "Hx", frame, false);
    Channel(inputs, "Magnetic", "Hy", frame + 90.0, false);
    pugi::xml_node outputs = layout.append_child("OutputChannels");
    outputs.append_attribute("ref") = "site";
    outputs.append_attribute("units") = "m";
    if (tipper) Channel(outputs, "Magnetic", "Hz", 0.0, false);
    Channel(outputs, "Electric", "Ex", frame, true);
    Channel(outputs, "Electric", "Ey", frame + 90.0, true);

    pugi::xml_node data = root.append_child("Data");
    data.append_attribute("count") = static_cast<unsigned long long>(rows.size());
    for (const TensorRow* r : rows) {
        pugi::xml_node period = data.append_child("Period");
        period.append_attribute("value") = ExactNumber(1.0 / r->frequencyHz).c_str();
        period.append_attribute("units") = "secs";
        pugi::xml_node z = period.append_child("Z");
        z.append_attribute("type") = "complex";
        z.append_attribute("size") = "2 2";
        z.append_attribute("units") = "[mV/km]/[nT]";
        pugi::xml_node zv;
        for (std::size_t k = 0; k < 4; ++k) {
            const auto& e = r->z[k];
            if (!Writable(e.value)) continue;
            Value(z, kZNames[k], kOutputs[k / 2], kInputs[k % 2], Complex(*e.value));
            if (!e.variance || !Writable(*e.variance)) continue;
            if (!zv) {
                zv = period.append_child("Z.VAR");
                zv.append_attribute("type") = "real";
                zv.append_attribute("size") = "2 2";
            }
            Value(zv, kZNames[k], kOutputs[k / 2], kInputs[k % 2], ExactNumber(*e.variance));
        }
        if (!tipper) continue;
        pugi::xml_node t;
        pugi::xml_node tv;
        for (std::size_t k = 0; k < 2; ++k) {
            const auto& e = r->tipper[k];
            if (!Writable(e.value)) continue;
            if (!t) {
                t = period.append_child("T");
                t.append_attribute("type") = "complex";
                t.append_attribute("size") = "1 2";
                t.append_attribute("units") = "[]";
            }
            Value(t, kTNames[k], "Hz", kInputs[k], Complex(*e.value));
            if (!e.variance || !Writable(*e.variance)) continue;
            if (!tv) {
                tv = period.append_child("T.VAR");
                tv.append_attribute("type") = "real";
                tv.append_attribute("size") = "1 2";
            }
            Value(tv, kTNames[k], "Hz", kInputs[k], ExactNumber(*e.variance));
        }
    }
    pugi::xml_node range = root.append_child("PeriodRange");
    range.append_attribute("min") = ExactNumber(1.0 / rows.front()->frequencyHz).c_str();
    range.append_attribute("max") = ExactNumber(1.0 / rows.back()->frequencyHz).c_str();

    StringWriter writer;
    doc.save(writer, "  ", pugi::format_default, pugi::encoding_utf8);
    result.text = std::move(writer.text);
    return result;
}

}  // namespace mt1d::sounding
