#!/usr/bin/env python3
"""Decodes a register dump the way the program must, written apart from the program:
CR ends a line, NUL and LF vanish, bytes of the invalid-character file vanish, the rest
goes through the translation table (a zero entry ends the visible line), and each line
gets the indentation. A line without its CR at the end is not a line.

usage: reference_decoder.py DUMP TAB_FILE INVALID_FILE INDENT > expected (CR LF lines)"""
import sys


def values(path, translation):
    out = []
    with open(path, 'rb') as f:
        lines = f.read().split(b'\n')
    for index, line in enumerate(lines):
        if line.endswith(b'\r'):
            line = line[:-1]
        if translation and index == 0:
            continue
        fields = line.split(b';')
        separated, tail = fields[:-1], fields[-1]
        if translation:
            separated = separated[1:]
        for field in separated + ([tail] if tail else []):
            field = field.lstrip(b' ')
            if field[:2].lower() == b'0x':
                digits = field[2:4]
                if len(field) - 2 < 2:
                    out.append(0)
                    continue
                d = [c - 48 - (7 if c - 48 > 9 else 0) for c in digits]
                out.append((((d[0] & 0x0F) << 4) | d[1]) & 0xFF)
            else:
                text = field.lstrip()
                sign, i = 1, 0
                if text[:1] in (b'+', b'-'):
                    sign = -1 if text[:1] == b'-' else 1
                    i = 1
                n = 0
                while i < len(text) and 48 <= text[i] <= 57:
                    n = n * 10 + text[i] - 48
                    i += 1
                out.append((sign * n) & 0xFF)
    return out[:512]


def main():
    dump, tab, invalid, indent = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    table = values(tab, True)
    table += [0] * (256 - len(table))
    bad = set(values(invalid, False))
    data = open(dump, 'rb').read()
    out = bytearray()
    for raw in data.split(b'\r')[:-1]:
        line = bytes(b for b in raw if b not in (0, 10) and b not in bad)
        text = bytes(table[b] for b in line)
        text = text.split(b'\0')[0]
        out += b' ' * indent + text + b'\r\n'
    sys.stdout.buffer.write(out)


main()
