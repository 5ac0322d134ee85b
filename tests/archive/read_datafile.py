#!/usr/bin/env python3
"""Independent reader of a run folder's files.

read_datafile.py KIND FILE  checks a data file's envelope (exact prefix, the
    JSON, one ";" and nothing after it) and its member order, then prints every
    value as "path=value", one a line.
read_datafile.py csv FILE   prints the rows of a CSV file as one JSON array.
"""
import csv
import json
import sys

PREFIX = {
    "Contacts": b"var ContactContent=", "SMS": b"var SMSContent=",
    "CallHistory": b"var CallHistoryContent=", "Photos": b"var Content=",
    "Videos": b"var Content=", "Musics": b"var Content=", "Deviceinfo": b"var Content=",
    "Profile": b"var UserSelected=", "Backupinfo": b"var Content=",
}
MEDIA_HEAD = ["SessionID", "Title"]
MEDIA_TAIL = ["Filename", "Suffix"]
MEDIA_END = ["Filesize", "Modiftime", "Createtime", "isDelete"]
KEYS = {
    "Contacts": ["SessionID", "FirstName", "LastName", "NickName", "MobileNumber", "HomeNumber",
                 "WorkNumber", "HomePage", "Email", "Birthday", "Group", "Note", "Organzation",
                 "Department", "CreateDate", "HomeAddress", "WorkAddress", "HomeFax", "WorkFax",
                 "WorkEmail", "Headimg", "isDelete"],
    "SMS": ["SessionID", "Name", "Phone", "Text", "Date", "flags", "read", "guid", "Type",
            "Headimg", "isDelete"],
    "CallHistory": ["SessionID", "Name", "Phone", "CallDate", "CallStatus", "Duration",
                    "Headimg", "isDelete"],
    "Photos": MEDIA_HEAD + MEDIA_TAIL + MEDIA_END,
    "Videos": MEDIA_HEAD + ["Displayname"] + MEDIA_TAIL + ["Duration"] + MEDIA_END,
    "Musics": MEDIA_HEAD + ["Album", "Artist"] + MEDIA_TAIL + ["Duration"] + MEDIA_END,
    "Profile": ["SessionID"],
}


def fail(message):
    sys.exit(message)


def names(pairs):
    return [name for name, _ in pairs]


def check_record(kind, path, pairs):
    if names(pairs) != KEYS[kind]:
        fail(f"{path}: members {names(pairs)}")


def check(kind, doc):
    if not doc or doc[0][0] != "Version":
        fail("Version is not the first member")
    version = "2.0.0" if kind == "Deviceinfo" else "1.0.0"
    if doc[0][1] != [("Current", version)]:
        fail(f"Version is {doc[0][1]}")
    members = doc[1:]
    if kind in ("Deviceinfo", "Backupinfo"):
        if names(members) != [kind.replace("info", "Info")]:
            fail(f"members {names(members)}")
        return
    first = 0 if kind in ("Photos", "Videos", "Musics") else 1
    group = kind in ("SMS", "CallHistory")
    expected = [("Group_%d" if group else "%d") % (first + i) for i in range(len(members))]
    if names(members) != expected:
        fail(f"members {names(members)}")
    for name, value in members:
        if not group:
            check_record(kind, name, value)
            continue
        if names(value) != [str(i + 1) for i in range(len(value))]:
            fail(f"{name}: members {names(value)}")
        for inner, record in value:
            check_record(kind, f"{name}/{inner}", record)


def flatten(prefix, value, out):
    if isinstance(value, list):
        for name, inner in value:
            flatten(f"{prefix}/{name}" if prefix else name, inner, out)
    elif isinstance(value, str):
        out.append(f"{prefix}={value}")
    else:
        fail(f"{prefix}: not a string")


def main():
    kind, path = sys.argv[1], sys.argv[2]
    if kind == "csv":
        with open(path, newline="", encoding="utf-8") as f:
            print(json.dumps(list(csv.reader(f))))
        return
    data = open(path, "rb").read()
    if not data.startswith(PREFIX[kind]):
        fail("prefix differs")
    if not data.endswith(b"};"):
        fail("the document does not end with a single ';'")
    doc = json.loads(data[len(PREFIX[kind]):-1].decode("utf-8"), object_pairs_hook=list)
    check(kind, doc)
    out = []
    flatten("", doc, out)
    sys.stdout.write("\n".join(out) + "\n")


main()
