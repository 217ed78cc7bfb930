#!/usr/bin/env python3
"""How an office suite sees our RTF rewrites, against its own RTF round trip.

For every .rtf file of the corpus: our rewrite (termora-rtf rtf FILE) and LibreOffice's own
RTF -> RTF conversion are converted, with the original, to flat OpenDocument by LibreOffice; each
is reduced to its structure (paragraph texts, tables and their cells, list depths, footnotes and
endnotes, headers and footers, frames and shapes, pictures, fields, the fonts of each script) and
compared with the original's. Prints, per class, how many rewrites differ, and the share of files
whose rewrite is structurally identical, for ours and for LibreOffice's.

usage: scripts/rtf-office-compare.py [--corpus DIR] [--tool PATH] [--work DIR] [--list]
Needs soffice (LibreOffice) and a built termora-rtf.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

NS = {
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "style": "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
    "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "draw": "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0",
    "fo": "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0",
}


def q(tag):
    prefix, name = tag.split(":")
    return "{%s}%s" % (NS[prefix], name)


FIELDS = {q(t) for t in ("text:page-number", "text:page-count", "text:date", "text:time", "text:title",
                         "text:author-name", "text:initial-creator", "text:subject", "text:file-name",
                         "text:word-count", "text:character-count", "text:sequence")}


def fold(s):
    return re.sub(r"\s+", " ", s).strip()


def text_of(el, skip_notes=True):
    """The visible text of an element, notes and frames left out."""
    out = []

    def walk(e):
        if e.tag in (q("text:note"), q("draw:frame"), q("draw:custom-shape"), q("draw:g")) and skip_notes:
            if e is not el:
                if e.tail:
                    out.append(e.tail)
                return
        if e.tag == q("text:s"):
            out.append(" ")
        elif e.tag in (q("text:tab"), q("text:line-break")):
            out.append(" ")
        elif e.text:
            out.append(e.text)
        for c in e:
            walk(c)
        if e is not el and e.tail:
            out.append(e.tail)

    walk(el)
    return fold("".join(out))


class Styles:
    """Automatic and common text styles: the fonts each names, with their parents."""

    def __init__(self, root):
        self.styles = {}
        for st in root.iter(q("style:style")):
            name = st.get(q("style:name"))
            family = st.get(q("style:family"))
            props = {}
            tp = st.find(q("style:text-properties"))
            if tp is not None:
                for key in ("font-name", "font-name-asian", "font-name-complex"):
                    v = tp.get(q("style:" + key))
                    if v:
                        props[key] = v
            self.styles[(family, name)] = (st.get(q("style:parent-style-name")), props)

    def fonts(self, family, name):
        out = {}
        chain = []
        guard = 0
        while name and guard < 30:
            entry = self.styles.get((family, name))
            if not entry:
                break
            chain.append(entry[1])
            name = entry[0]
            guard += 1
        for props in reversed(chain):
            out.update(props)
        return out


def structure(path):
    """The structure of a flat OpenDocument text, by class."""
    root = ET.parse(path).getroot()
    styles = Styles(root)
    body = root.find(q("office:body")).find(q("office:text"))
    s = {k: [] for k in ("text", "tables", "lists", "notes", "headers", "frames", "pictures", "fields", "fonts")}

    # Headers and footers of the page styles in use.
    master = root.find(q("office:master-styles"))
    if master is not None:
        for page in master:
            for part in page:
                local = part.tag.split("}")[1]
                if local.startswith(("header", "footer")):
                    t = text_of(part)
                    if t:
                        s["headers"].append(local + ": " + t)

    fonts = set()

    def walk(e, depth):
        tag = e.tag
        if tag in (q("text:p"), q("text:h")):
            t = text_of(e)
            if t:
                s["text"].append(t)
                if depth:
                    s["lists"].append("%d %s" % (depth, t))
            for span in [e] + list(e.iter(q("text:span"))):
                fam = "paragraph" if span is e else "text"
                f = styles.fonts(fam, span.get(q("text:style-name")))
                if fam == "text":
                    f = dict(styles.fonts("paragraph", e.get(q("text:style-name"))), **f)
                span_text = text_of(span)
                if not span_text:
                    continue
                asian = bool(re.search(r"[\u3000-\u9fff\uac00-\ud7af\uff00-\uffef]", span_text))
                complex_ = bool(re.search(r"[\u0590-\u08ff]", span_text))
                if asian and f.get("font-name-asian"):
                    fonts.add("asian " + f["font-name-asian"])
                if complex_ and f.get("font-name-complex"):
                    fonts.add("complex " + f["font-name-complex"])
        elif tag == q("table:table"):
            rows = []
            for row in e.iter(q("table:table-row")):
                cells = [text_of(c) for c in row if c.tag in (q("table:table-cell"), q("table:covered-table-cell"))]
                rows.append(" | ".join(cells))
            s["tables"].append("%d rows: " % len(rows) + " / ".join(rows))
        elif tag == q("text:note"):
            cls = e.get(q("text:note-class"))
            b = e.find(q("text:note-body"))
            s["notes"].append("%s: %s" % (cls, text_of(b) if b is not None else ""))
        elif tag == q("draw:frame"):
            box = e.find(q("draw:text-box"))
            img = e.find(q("draw:image"))
            s["frames"].append("frame%s%s" % (" text " + text_of(box) if box is not None else "",
                                              " image" if img is not None else ""))
        elif tag in (q("draw:custom-shape"), q("draw:g"), q("draw:rect"), q("draw:line"), q("draw:polygon")):
            s["frames"].append("shape " + text_of(e, skip_notes=False))
        if tag == q("draw:image"):
            s["pictures"].append("picture")
        if tag in FIELDS:
            s["fields"].append(tag.split("}")[1])
        d = depth + 1 if tag == q("text:list") else depth
        for c in e:
            walk(c, d)

    walk(body, 0)
    s["fonts"] = sorted(fonts)
    # Text is compared as one string: where paragraphs break is the "text" class too.
    return s


def soffice_convert(soffice, profile, fmt, outdir, files):
    os.makedirs(outdir, exist_ok=True)
    for i in range(0, len(files), 40):
        subprocess.run([soffice, "-env:UserInstallation=file://" + profile, "--headless", "--convert-to", fmt,
                        "--outdir", outdir] + files[i:i + 40],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=1800)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--corpus", default=os.path.join(here, "..", "tests", "rtf", "rtf-corpus"))
    ap.add_argument("--tool", default=os.path.join(here, "..", "build", "src", "rtf", "tool", "termora-rtf"))
    ap.add_argument("--work", help="keep the converted files here (default: a temporary folder)")
    ap.add_argument("--list", action="store_true", help="name every file whose rewrite differs, and how")
    args = ap.parse_args()
    soffice = shutil.which("soffice")
    if not soffice:
        sys.exit("soffice (LibreOffice) is not installed")
    if not os.access(args.tool, os.X_OK):
        sys.exit("termora-rtf not found at %s: build it first" % args.tool)

    work = args.work or tempfile.mkdtemp(prefix="rtf-compare-")
    dirs = {k: os.path.join(work, k) for k in ("original", "ours", "office")}
    for d in dirs.values():
        os.makedirs(d, exist_ok=True)
    names = []
    for top, _, files in sorted(os.walk(args.corpus)):
        for f in sorted(files):
            if not f.endswith(".rtf"):
                continue
            src = os.path.join(top, f)
            name = os.path.relpath(src, args.corpus).replace(os.sep, "__")
            shutil.copyfile(src, os.path.join(dirs["original"], name))
            r = subprocess.run([args.tool, "rtf", src], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=120)
            if r.returncode == 0 and r.stdout:
                with open(os.path.join(dirs["ours"], name), "wb") as out:
                    out.write(r.stdout)
            names.append(name)
    profile = os.path.join(work, "profile")
    originals = [os.path.join(dirs["original"], n) for n in names]
    # LibreOffice's own round trip: the original to RTF by LibreOffice.
    soffice_convert(soffice, profile, "rtf", os.path.join(work, "office-rtf"), originals)
    for n in names:
        p = os.path.join(work, "office-rtf", n)
        if os.path.exists(p):
            shutil.copyfile(p, os.path.join(dirs["office"], n))
    for k, d in dirs.items():
        files = [os.path.join(d, n) for n in names if os.path.exists(os.path.join(d, n))]
        soffice_convert(soffice, profile, "fodt", os.path.join(work, k + "-fodt"), files)

    def view(kind, name):
        p = os.path.join(work, kind + "-fodt", name[:-4] + ".fodt")
        if not os.path.exists(p):
            return None
        try:
            return structure(p)
        except ET.ParseError:
            return None

    classes = ["text", "tables", "lists", "notes", "headers", "frames", "pictures", "fields", "fonts"]
    both = 0
    same = {"ours": 0, "office": 0}
    lost = {"ours": {c: 0 for c in classes}, "office": {c: 0 for c in classes}}
    for n in names:
        orig = view("original", n)
        if orig is None or not os.path.exists(os.path.join(dirs["ours"], n)):
            continue
        both += 1
        for kind in ("ours", "office"):
            v = view(kind, n)
            diff = [c for c in classes if v is None or v[c] != orig[c]]
            if not diff:
                same[kind] += 1
            for c in diff:
                lost[kind][c] += 1
            if args.list and diff and kind == "ours":
                print("%-70s %s" % (n, " ".join(diff)))
    print("files both open: %d" % both)
    for kind, label in (("ours", "termora-rtf rewrite"), ("office", "LibreOffice RTF -> RTF")):
        print("%-24s structurally identical: %d of %d (%.1f %%)" % (label, same[kind], both,
                                                                     100.0 * same[kind] / max(both, 1)))
        print("  differing, by class: " + ", ".join("%s %d" % (c, lost[kind][c]) for c in classes))
    if not args.work:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
