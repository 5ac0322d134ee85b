"""Builds a sample backup run folder from the viewer template, with data files
written the way the backup engine writes them: a fixed "var X=" prefix, cJSON's
tab-indented print of a document whose values are all strings, then one ";"."""
import json
import shutil
import struct
import zlib
from pathlib import Path

HOSTILE_BODY = "<img src=x onerror=alert(1)>"
HOSTILE_NAME = "<b>x"

DEVICE = {"Device_Name": "Acme", "Serial_Number": "ZX1234", "Device_Type": "Acme X5", "Device_Version": "13"}

CONTACT_KEYS = ["SessionID", "FirstName", "LastName", "NickName", "MobileNumber", "HomeNumber", "WorkNumber",
                "HomePage", "Email", "Birthday", "Group", "Note", "Organzation", "Department", "CreateDate",
                "HomeAddress", "WorkAddress", "HomeFax", "WorkFax", "WorkEmail", "Headimg", "isDelete"]
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

# Media: (title, Filename, Suffix, extra keys); a copy is written unless the name is unsafe.
PHOTOS = [("IMG_1", "IMG_1", ".jpg"), ("IMG_1", "IMG_1(1)", ".jpg"), ("Sommer #1 & 2", "Sommer #1 & 2", ".jpg"),
          ("evil", "../evil", ".jpg"), ("slash", "a/b", ".jpg")]
VIDEOS = [("Holiday clip", "Holiday clip", ".mp4", {"Displayname": "VID_0001.mp4", "Duration": "00:00:42"})]
MUSICS = [("Evening song", "Evening song", ".mp3",
           {"Album": "Quiet Hours", "Artist": "The Examples", "Duration": "00:03:10"}),
          ("<script>alert(2)</script>", "tune", ".mp3", {"Album": "", "Artist": "", "Duration": "00:01:00"})]

SUMMARY_KEYS = {"Contacts": "Contacts", "SMS": "Messages", "CallHistory": "CallLogs",
                "Photos": "Photos", "Videos": "Videos", "Musics": "Musics"}
ALL = list(SUMMARY_KEYS)


def tiny_png(rgb):
    """An 8x8 PNG of one colour, used for the photo copies."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    rows = b"".join(b"\x00" + bytes(rgb) * 8 for _ in range(8))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 8, 8, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def write_data(run, name, prefix, document):
    text = json.dumps(document, indent="\t", separators=(",", ":\t"), ensure_ascii=False)
    path = run / "Script" / "assets" / (name + ".js")
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(prefix.encode() + text.encode("utf-8") + b";")


def versioned(current="1.0.0"):
    return {"Version": {"Current": current}}


def contacts_doc():
    doc = versioned()
    for i, contact in enumerate(CONTACTS, 1):
        record = {key: contact.get(key, "") for key in CONTACT_KEYS}
        record["isDelete"] = "0"
        doc[str(i)] = record
    return doc


def sms_doc():
    doc = versioned()
    for g, messages in enumerate(CONVERSATIONS, 1):
        group = {}
        for m, (name, phone, body, date, kind) in enumerate(messages, 1):
            group[str(m)] = {"SessionID": str(m), "Name": name, "Phone": phone, "Text": body, "Date": date,
                             "flags": kind, "read": "1", "guid": str(40 + g), "Type": "0", "Headimg": "",
                             "isDelete": "0"}
        doc["Group_%d" % g] = group
    return doc


def calls_doc():
    doc = versioned()
    call_id = 100
    for g, calls in enumerate(CALL_GROUPS, 1):
        group = {}
        for c, (phone, date, status, duration) in enumerate(calls, 1):
            call_id += 1
            group[str(c)] = {"SessionID": str(call_id), "Name": "", "Phone": phone, "CallDate": date,
                             "CallStatus": status, "Duration": duration, "Headimg": "", "isDelete": "0"}
        doc["Group_%d" % g] = group
    return doc


def media_doc(run, folder, items, video=False, music=False):
    doc = versioned()
    (run / folder).mkdir(exist_ok=True)
    for i, (title, filename, suffix, *extra) in enumerate(items):
        record = {"SessionID": str(500 + i), "Title": title}
        fields = extra[0] if extra else {}
        if video:
            record["Displayname"] = fields["Displayname"]
        if music:
            record["Album"] = fields["Album"]
            record["Artist"] = fields["Artist"]
        record.update({"Filename": filename, "Suffix": suffix})
        if video or music:
            record["Duration"] = fields["Duration"]
        content = tiny_png((0x22, 0x7F, 0xBD)) if folder == "Photos" else b"\0" * 64
        record.update({"Filesize": str(len(content)), "Modiftime": "2023-09-01 10:00:00",
                       "Createtime": "2023-09-01 10:00:00", "isDelete": "0"})
        if "/" not in filename and ".." not in filename:
            (run / folder / (filename + suffix)).write_bytes(content)
        doc[str(i)] = record
    return doc


def make_run(template, run, categories):
    template, run = Path(template), Path(run)
    run.mkdir(parents=True, exist_ok=True)
    shutil.copytree(template / "Script", run / "Script", dirs_exist_ok=True)
    for name in ("index.html", "favicon.ico"):
        shutil.copy(template / name, run / name)
    doc = versioned("2.0.0")
    doc["DeviceInfo"] = dict(DEVICE)
    write_data(run, "Deviceinfo", "var Content=", doc)
    profile = versioned()
    for n, name in enumerate([c for c in ("Contacts", "SMS", "CallHistory") if c in categories], 1):
        profile[str(n)] = {"SessionID": name}
    write_data(run, "Profile", "var UserSelected=", profile)

    counts = {}
    for name in ("Contacts", "SMS", "CallHistory"):
        if name not in categories:
            continue
        (run / name).mkdir(exist_ok=True)
        shutil.copy(template / (name + ".html"), run / name / (name + ".html"))
    if "Contacts" in categories:
        write_data(run, "Contacts", "var ContactContent=", contacts_doc())
        counts["Contacts"] = len(CONTACTS)
    if "SMS" in categories:
        write_data(run, "SMS", "var SMSContent=", sms_doc())
        counts["SMS"] = sum(len(c) for c in CONVERSATIONS)
    if "CallHistory" in categories:
        write_data(run, "CallHistory", "var CallHistoryContent=", calls_doc())
        counts["CallHistory"] = sum(len(g) for g in CALL_GROUPS)
    media = {"Photos": (PHOTOS, {}), "Videos": (VIDEOS, {"video": True}), "Musics": (MUSICS, {"music": True})}
    for name, (items, kind) in media.items():
        if name in categories:
            write_data(run, name, "var Content=", media_doc(run, name, items, **kind))
            counts[name] = len(items)

    info = versioned()
    info["BackupInfo"] = {SUMMARY_KEYS[name]: str(counts[name]) for name in ALL if name in counts}
    write_data(run, "Backupinfo", "var Content=", info)

