#!/usr/bin/env python3
"""Reads a printed Korvex report (a PDF) and checks it against the lines that were in the
view: every page carries "Korvex" centred and "Pag. n/m" at the right edge of the text
area under the page's top margin; the body lines, page after page, are the expected lines
in order, each once (a prefix of them with --prefix). With --labels F/N the PDF holds
pages F, F+1 ... of a report of N pages, labelled so. Prints one line of facts: pages,
lines per full page, body lines, body-to-header text height ratio.
Usage: pdf_report.py REPORT.pdf EXPECTED.txt [--prefix] [--labels F/N]"""
import html, re, subprocess, sys

MM = 72 / 25.4  # points per millimetre


def fail(text):
    print("pdf_report: " + text, file=sys.stderr)
    sys.exit(1)


def norm(line):
    # The PDF's font names the hyphen-minus "hyphen", which reads back as a soft hyphen.
    return " ".join(line.replace("\u00ad", "-").split())


def main():
    pdf, expected_path = sys.argv[1], sys.argv[2]
    prefix = "--prefix" in sys.argv[3:]
    labels = sys.argv[sys.argv.index("--labels") + 1] if "--labels" in sys.argv else None
    expected = [norm(l) for l in open(expected_path, encoding="cp1252", newline="").read().splitlines()]
    expected = [l for l in expected if l]  # blank lines leave no text in a PDF

    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
    pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
    first, of = map(int, labels.split("/")) if labels else (1, pages)
    bbox = subprocess.run(["pdftotext", "-bbox", pdf, "-"], capture_output=True, text=True, check=True).stdout

    body, per_page, header_h, body_h = [], [], [], []
    for number, page in enumerate(re.findall(r"<page (.*?)</page>", bbox, re.S), start=1):
        width = float(re.search(r'width="([\d.]+)"', page).group(1))
        words = [(float(a), float(b), float(c), float(d), html.unescape(t)) for a, b, c, d, t in re.findall(
            r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">(.*?)</word>', page)]
        if not words:
            fail(f"page {number} is empty")
        top = min(w[1] for w in words)
        head = [w for w in words if w[1] < top + 2]
        rows = {}
        for w in words:
            if w[1] >= top + 2:
                rows.setdefault(round(w[1], 1), []).append(w)
        text = [w[4] for w in head]
        label = f"{first + number - 1}/{of}"
        if "Korvex" not in text or "Pag." not in text or label not in text:
            fail(f"page {number}: header is {text!r}, wanted Korvex and Pag. {label}")
        korvex = head[text.index("Korvex")]
        if abs((korvex[0] + korvex[2]) / 2 - width / 2) > 0.02 * width:
            fail(f"page {number}: Korvex is not centred ({korvex[0]:.1f}..{korvex[2]:.1f} of {width:.1f})")
        right = head[text.index(label)][2]
        if abs(right - (width - 10 * MM)) > 2 * MM:
            fail(f"page {number}: the page label ends at {right:.1f}, not at the right margin")
        header_h.append(korvex[3] - korvex[1])
        lines = [norm(" ".join(w[4] for w in sorted(row))) for _, row in sorted(rows.items())]
        body_h += [w[3] - w[1] for row in rows.values() for w in row]
        per_page.append(len(lines))
        body += lines

    if prefix:
        if body != expected[:len(body)]:
            fail("the printed lines are not the first lines of the view, in order")
    elif body != expected:
        missing = [l for l in expected if l not in body][:3]
        fail(f"printed {len(body)} lines, expected {len(expected)}; first missing: {missing}")
    if not prefix and any(n != per_page[0] for n in per_page[:-1]):
        fail(f"pages before the last differ in line count: {per_page}")
    ratio = (sorted(body_h)[len(body_h) // 2] / sorted(header_h)[len(header_h) // 2]) if body_h else 0
    print(f"pages={pages} perpage={per_page[0]} lines={len(body)} ratio={ratio:.3f}")


main()
