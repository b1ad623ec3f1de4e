#!/bin/sh
# Refreshes the window texts' translation file from the sources: every Ui::tr("…") and
# QT_TRANSLATE_NOOP/translate("mt1d::gui::Ui", "…") in gui/ and render/ becomes an entry of
# gui/translations/mt1d_en.ts. Entries already translated keep their English; new ones are left
# unfinished for the English to be written by hand (Qt Linguist, or the file itself), and texts
# no longer in the sources are dropped. The build turns the file into the embedded .qm.
#
# All window texts share one context, mt1d::gui::Ui (gui/common/Language.h). lupdate names the
# context of `Ui::tr` after however far it resolved the name `Ui`, so its output is gathered into
# that one context here.
set -eu
cd "$(dirname "$0")/.."
LUPDATE=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
[ -x "$LUPDATE" ] || LUPDATE=$(command -v lupdate6 || command -v lupdate)
TS=gui/translations/mt1d_en.ts
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
scan=$work/scan.ts
"$LUPDATE" -silent -locations none -source-language zh_CN -target-language en gui render -ts "$scan" \
  2>"$work/lupdate.log" || { cat "$work/lupdate.log" >&2; exit 1; }
python3 - "$scan" "$TS" <<'PY'
import os, sys
import xml.etree.ElementTree as ET

scan, ts = sys.argv[1], sys.argv[2]
known = {}  # source text -> translation element of the present file
if os.path.exists(ts):
    for message in ET.parse(ts).getroot().iter("message"):
        translation = message.find("translation")
        if translation is not None and translation.get("type") not in ("unfinished", "obsolete", "vanished"):
            known[message.findtext("source")] = translation

root = ET.Element("TS", version="2.1", language="en", sourcelanguage="zh_CN")
context = ET.SubElement(root, "context")
ET.SubElement(context, "name").text = "mt1d::gui::Ui"
seen, unfinished = set(), 0
sources = [m.findtext("source") for m in ET.parse(scan).getroot().iter("message")]
for source in sorted(set(sources)):
    message = ET.SubElement(context, "message")
    ET.SubElement(message, "source").text = source
    if source in known:
        message.append(known[source])
    else:
        ET.SubElement(message, "translation", type="unfinished")
        unfinished += 1
ET.indent(root)
with open(ts, "w", encoding="utf-8") as out:
    out.write('<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n')
    out.write(ET.tostring(root, encoding="unicode"))
    out.write("\n")
print(f"update-translations: {len(set(sources))} texts, {unfinished} still without English in {ts}")
PY
