// Plain records of the run folder's data files, as the readers give them
// back: every text as the UTF-8 bytes of the file, empty when the key was
// missing or empty. Each is one element of the file in file order, the
// "Version" member included (it comes out with every field empty), so a
// caller can count one step per element.
#pragma once

#include <QByteArray>
#include <QString>

struct ContactEntry {
    QByteArray contactId, name, nameExtra, nickname, mobilePhone, homePhone, workPhone, website,
        homeEmail, birthday, group, note, organization, title, extra14, homeAddress, workAddress,
        homeFax, workFax, workEmail;
};

// flags is the message box code as stored; read as stored.
struct SmsEntry {
    QByteArray id, person, address, body, date, flags, read, threadId;
};

struct CallEntry {
    QByteArray id, name, number, date, type, duration;
};

// A media copy. fileName (Filename + Suffix) is the name for the phone and
// localPath the copy inside the run's category folder: empty when the copy is
// missing, or a link or no regular file (the reader then lists the name as
// rejected). Both are empty when the element names no file or a name that
// would leave that folder.
struct MediaEntry {
    QByteArray sessionId, title;
    QString fileName;
    QString localPath;
};
