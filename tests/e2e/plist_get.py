#!/usr/bin/env python3
"""Prints the value stored under a top-level key of an XML property list.

Usage: plist_get.py FILE KEY
Booleans print as "true"/"false"; numbers, strings and dates print exactly as written in the file,
so a test sees what the program stored rather than a re-formatted value. Arrays and dictionaries
print as JSON. Exit status: 0 found, 1 missing file or key, 2 unreadable file.
"""
import json
import sys
import xml.etree.ElementTree as ET


def to_python(element):
    if element.tag in ("true", "false"):
        return element.tag == "true"
    if element.tag == "array":
        return [to_python(child) for child in element]
    if element.tag == "dict":
        children = list(element)
        return {k.text or "": to_python(v) for k, v in zip(children[::2], children[1::2])}
    if element.tag == "integer":
        return int(element.text or "0")
    if element.tag == "real":
        return float(element.text or "0")
    return element.text or ""


def render(element):
    if element.tag in ("true", "false"):
        return element.tag
    if element.tag in ("array", "dict"):
        return json.dumps(to_python(element), ensure_ascii=False, sort_keys=True)
    if element.tag == "data":
        return "".join((element.text or "").split())
    return element.text or ""


def main(argv):
    if len(argv) != 3:
        print("usage: plist_get.py FILE KEY", file=sys.stderr)
        return 2
    path, key = argv[1], argv[2]
    try:
        root = ET.parse(path).getroot()
    except FileNotFoundError:
        return 1
    except (ET.ParseError, OSError) as error:
        print(f"{path}: not a readable property list: {error}", file=sys.stderr)
        return 2
    top = root.find("dict")
    if root.tag != "plist" or top is None:
        print(f"{path}: no top-level dictionary", file=sys.stderr)
        return 2
    children = list(top)
    for name, value in zip(children[::2], children[1::2]):
        if name.tag == "key" and name.text == key:
            print(render(value))
            return 0
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
