"""Builds a sample run folder from the viewer template, its data files written as the
backup engine writes them: "var X=", cJSON's tab-indented print of string values, ";"."""
import json
import shutil
import struct
import zlib
from pathlib import Path

HOSTILE_BODY = "<img src=x onerror=alert(1)>"
HOSTILE_NAME = "<b>x"

CONTACT_KEYS = ("SessionID FirstName LastName NickName MobileNumber HomeNumber WorkNumber HomePage Email Birthday "
                "Group Note Organzation Department CreateDate HomeAddress WorkAddress HomeFax WorkFax WorkEmail "
                "Headimg isDelete").split()
CONTACTS = [
    {"SessionID": "11", "FirstName": "Ann", "LastName": "Example", "MobileNumber": "555-0100",
     "Email": "ann@example.org", "Organzation": "Acme Corp", "Birthday": "1980-04-01"},
    {"SessionID": "12", "FirstName": HOSTILE_NAME, "MobileNumber": "555-0111"},
    {"SessionID": "13", "FirstName": "Bob", "LastName": "Builder", "HomeNumber": "555-0122",
     "Note": "Line one\nLine two"},
]
# (name, phone, body, date, type): type "2" is a sent message.
CONVERSATIONS = [
    [("Ann Example", "555-0100", "Are we still on for lunch?", "2023-09-30 11:02:00", "1"),
     ("Ann Example", "555-0100", "Yes, see you at noon", "2023-09-30 11:05:00", "2")],
    [("", "555-0199", HOSTILE_BODY, "2023-09-29 08:00:00", "1")],
]
# (phone, date, status, duration seconds)
CALL_GROUPS = [
    [("555-0100", "2023-09-30 12:00:00", "1", "75"), ("555-0100", "2023-09-29 18:30:00", "2", "3600")],
    [("555-0142", "2023-09-28 09:15:00", "3", "0")],
]
# Media: (title, Filename, Suffix, keys between Title and Filename, Duration); no copy for an unsafe name.
PHOTOS = [("IMG_1", "IMG_1", ".jpg"), ("IMG_1", "IMG_1(1)", ".jpg"), ("Sommer #1 & 2", "Sommer #1 & 2", ".jpg"),
          ("evil", "../evil", ".jpg"), ("slash", "a/b", ".jpg")]
VIDEOS = [("Holiday clip", "Holiday clip", ".mp4", {"Displayname": "VID_0001.mp4"}, "00:00:42")]
MUSICS = [("Evening song", "Evening song", ".mp3", {"Album": "Quiet Hours", "Artist": "The Examples"}, "00:03:10"),
          ("<script>alert(2)</script>", "tune", ".mp3", {"Album": "", "Artist": ""}, "00:01:00")]
SUMMARY_KEYS = {"Contacts": "Contacts", "SMS": "Messages", "CallHistory": "CallLogs",
                "Photos": "Photos", "Videos": "Videos", "Musics": "Musics"}
ALL = list(SUMMARY_KEYS)


def tiny_png(rgb):
    """An 8x8 PNG of one colour, for the photo copies."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    rows = b"".join(b"\x00" + bytes(rgb) * 8 for _ in range(8))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 8, 8, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def write_data(run, name, prefix, members, current="1.0.0"):
    text = json.dumps({"Version": {"Current": current}, **members}, indent="\t", separators=(",", ":\t"),
                      ensure_ascii=False)
    path = run / "Script" / "assets" / (name + ".js")
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(prefix.encode() + text.encode("utf-8") + b";")


def groups(rows, record):
    return {"Group_%d" % g: {str(n): record(g, n, row) for n, row in enumerate(group, 1)}
            for g, group in enumerate(rows, 1)}


def media(run, folder, items):
    (run / folder).mkdir(exist_ok=True)
    content = tiny_png((0x22, 0x7F, 0xBD)) if folder == "Photos" else b"\0" * 64
    members = {}
    for i, (title, filename, suffix, *extra) in enumerate(items):
        record = {"SessionID": str(500 + i), "Title": title, **(extra[0] if extra else {}),
                  "Filename": filename, "Suffix": suffix}
        if extra:
            record["Duration"] = extra[1]
        record.update({"Filesize": str(len(content)), "Modiftime": "2023-09-01 10:00:00",
                       "Createtime": "2023-09-01 10:00:00", "isDelete": "0"})
        if "/" not in filename and ".." not in filename:
            (run / folder / (filename + suffix)).write_bytes(content)
        members[str(i)] = record
    return members


def make_run(template, run, categories):
    template, run = Path(template), Path(run)
    run.mkdir(parents=True, exist_ok=True)
    shutil.copytree(template / "Script", run / "Script", dirs_exist_ok=True)
    for name in ("index.html", "favicon.ico"):
        shutil.copy(template / name, run / name)
    write_data(run, "Deviceinfo", "var Content=", {"DeviceInfo": {
        "Device_Name": "Acme", "Serial_Number": "ZX1234", "Device_Type": "Acme X5", "Device_Version": "13"}}, "2.0.0")
    chosen = [c for c in ("Contacts", "SMS", "CallHistory") if c in categories]
    write_data(run, "Profile", "var UserSelected=", {str(n): {"SessionID": c} for n, c in enumerate(chosen, 1)})
    for name in chosen:
        (run / name).mkdir(exist_ok=True)
        shutil.copy(template / (name + ".html"), run / name / (name + ".html"))
    counts = {}
    if "Contacts" in categories:
        write_data(run, "Contacts", "var ContactContent=", {str(i): {**{k: c.get(k, "") for k in CONTACT_KEYS},
                                                                     "isDelete": "0"}
                                                            for i, c in enumerate(CONTACTS, 1)})
        counts["Contacts"] = len(CONTACTS)
    if "SMS" in categories:
        write_data(run, "SMS", "var SMSContent=", groups(CONVERSATIONS, lambda g, n, m: {
            "SessionID": str(n), "Name": m[0], "Phone": m[1], "Text": m[2], "Date": m[3], "flags": m[4],
            "read": "1", "guid": str(40 + g), "Type": "0", "Headimg": "", "isDelete": "0"}))
        counts["SMS"] = sum(map(len, CONVERSATIONS))
    if "CallHistory" in categories:
        ids = iter(range(101, 1000))
        write_data(run, "CallHistory", "var CallHistoryContent=", groups(CALL_GROUPS, lambda g, n, c: {
            "SessionID": str(next(ids)), "Name": "", "Phone": c[0], "CallDate": c[1], "CallStatus": c[2],
            "Duration": c[3], "Headimg": "", "isDelete": "0"}))
        counts["CallHistory"] = sum(map(len, CALL_GROUPS))
    for name, items in (("Photos", PHOTOS), ("Videos", VIDEOS), ("Musics", MUSICS)):
        if name in categories:
            write_data(run, name, "var Content=", media(run, name, items))
            counts[name] = len(items)
    write_data(run, "Backupinfo", "var Content=",
               {"BackupInfo": {SUMMARY_KEYS[n]: str(counts[n]) for n in ALL if n in counts}})
