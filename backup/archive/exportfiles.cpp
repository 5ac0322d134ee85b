#include "exportfiles.h"

#include <cstring>

#include "bytetext.h"
#include "recordwalk.h"
#include "runfiles.h"

namespace {

constexpr int kLongLine = 2046;
constexpr int kShortLine = 1022;

// Opens <run>/<category>/<category><ending>, hands fill a function that
// appends bytes to it, and commits.
template <class Fill>
bool writeExportFile(const QString& runFolder, const char* category, const char* ending, Fill fill) {
    const QString name = QString::fromLatin1(category);
    if (!ensureSubfolder(runFolder, name)) return false;
    QSaveFile file(runFolder + QLatin1Char('/') + name + QLatin1Char('/') + name +
                   QString::fromLatin1(ending));
    if (!file.open(QIODevice::WriteOnly)) return false;
    fill([&file](const QByteArray& bytes) { file.write(bytes); });
    return commitWhole(file);
}

QByteArrayList contactValues(const MobrelContact& c) {
    return {textOf(c.name) + textOf(c.nameExtra),
            textOf(c.mobilePhone), textOf(c.homePhone), textOf(c.workPhone), textOf(c.website),
            textOf(c.homeEmail), textOf(c.birthday), textOf(c.note), textOf(c.organization),
            textOf(c.title), textOf(c.extra14), textOf(c.homeAddress), textOf(c.workAddress),
            textOf(c.homeFax), textOf(c.workFax), textOf(c.workEmail)};
}

struct TextLine {
    const char* label;
    char* MobrelContact::*field;
};
const TextLine kContactLines[] = {
    {"Mobile Phone:", &MobrelContact::mobilePhone}, {"Home Phone:", &MobrelContact::homePhone},
    {"Work Phone:", &MobrelContact::workPhone},     {"Home Page:", &MobrelContact::website},
    {"Home Email:", &MobrelContact::homeEmail},     {"Note:", &MobrelContact::note},
    {"Organzation:", &MobrelContact::organization}, {"Department:", &MobrelContact::title},
    {"Home Address:", &MobrelContact::homeAddress}, {"Work Address:", &MobrelContact::workAddress},
    {"Home Fax:", &MobrelContact::homeFax},         {"Work Fax:", &MobrelContact::workFax},
    {"Work Email:", &MobrelContact::workEmail},
};

// A message's texts as the exports show them: over-long ones shortened.
struct SmsTexts {
    QByteArray label, person, address, date, body;
};
SmsTexts smsTexts(const MobrelSms& m) {
    const QByteArray person = textOf(m.person);
    const QByteArray address = textOf(m.address);
    return {smsDirectionLabel(m.type), person.size() > 256 ? utf8Prefix(person, 255) : person,
            address.size() > 31 ? utf8Prefix(address, 30) : address, textOf(m.date),
            utf8Prefix(textOf(m.body), 1600)};
}

QByteArray groupNameText(const char* text) {
    const QByteArray name = textOf(text);
    return name.size() > 512 ? utf8Prefix(name, 511) : name;
}

// The exports' walk over the calls: visit(call, name of its group).
template <class Visit>
void walkNamedCalls(const MobrelCallGroup* head, const WalkOptions& options, Visit visit) {
    QByteArray groupName;
    walkGroups(
        head, options, false,
        [&](const MobrelCallGroup& g) {
            groupName = groupNameText(g.reserved2) + groupNameText(g.reserved1);
        },
        [&](const MobrelCallLog& e, int) { visit(e, groupName); });
}

bool is(const char* type, const char* code) {
    return std::strcmp(type, code) == 0;
}

}  // namespace

const char* smsDirectionLabel(const char* type) {
    if (type && (is(type, "1") || is(type, "3"))) return "To";
    if (type && is(type, "4")) return "Failed";
    return "From";
}

const char* callStatusLabel(const char* type) {
    if (!type) return "";
    if (is(type, "1")) return "Call In";
    if (is(type, "2")) return "Call Out";
    if (is(type, "3")) return "Unknown";
    return "";
}

bool writeContactsCsv(const QString& runFolder, const MobrelContact* head, const WalkOptions& options) {
    return writeExportFile(runFolder, "Contacts", ".csv", [&](auto write) {
        write("Name,Mobile Number,Home Number,Work Number,Home Page,Email,Birthday,Note,"
              "Organzation,Department,Create Date,Home Address,Work Address,Home Fax, work Fax,"
              "Work Email\n");
        walkContacts(head, options, true, false, [&](const MobrelContact& c, bool written) {
            if (written) write(csvLine(contactValues(c), kLongLine));
        });
    });
}

bool writeContactsTxt(const QString& runFolder, const MobrelContact* head, const WalkOptions& options) {
    return writeExportFile(runFolder, "Contacts", ".txt", [&](auto write) {
        walkContacts(head, options, true, false, [&](const MobrelContact& c, bool written) {
            if (!written) return;
            if (c.name || c.nameExtra) write("Name:" + textOf(c.name) + textOf(c.nameExtra) + '\n');
            for (const TextLine& line : kContactLines) {
                const char* value = c.*line.field;
                if (value) write(cutKeepingEnd(line.label + QByteArray(value) + '\n', kShortLine, "\n"));
            }
            write("\n");
        });
    });
}

bool writeSmsCsv(const QString& runFolder, const MobrelSmsThread* head, const WalkOptions& options) {
    return writeExportFile(runFolder, "SMS", ".csv", [&](auto write) {
        walkGroups(head, options, false, [](const MobrelSmsThread&) {}, [&](const MobrelSms& m, int) {
            const SmsTexts t = smsTexts(m);
            write(csvLine({t.label, t.person, t.address, t.date, t.body}, kLongLine));
        });
    });
}

bool writeSmsTxt(const QString& runFolder, const MobrelSmsThread* head, const WalkOptions& options) {
    return writeExportFile(runFolder, "SMS", ".txt", [&](auto write) {
        walkGroups(head, options, false, [](const MobrelSmsThread&) {}, [&](const MobrelSms& m, int) {
            const SmsTexts t = smsTexts(m);
            const QByteArray who = t.person.isEmpty() ? t.address : t.person + '(' + t.address + ')';
            const QByteArray block =
                t.label + ':' + who + "\nDate:" + t.date + "\nContent:" + t.body + "\n\n";
            write(cutKeepingEnd(block, kLongLine, "\n\n"));
        });
    });
}

bool writeCallHistoryCsv(const QString& runFolder, const MobrelCallGroup* head,
                         const WalkOptions& options) {
    return writeExportFile(runFolder, "CallHistory", ".csv", [&](auto write) {
        write("Name,Phone,Call Date,Call Status,Duration\n");
        walkNamedCalls(head, options, [&](const MobrelCallLog& e, const QByteArray& groupName) {
            write(csvLine({groupName, textOf(e.number), textOf(e.date), callStatusLabel(e.type),
                           textOf(e.duration)},
                          kShortLine));
        });
    });
}

bool writeCallHistoryTxt(const QString& runFolder, const MobrelCallGroup* head,
                         const WalkOptions& options) {
    return writeExportFile(runFolder, "CallHistory", ".txt", [&](auto write) {
        walkNamedCalls(head, options, [&](const MobrelCallLog& e, const QByteArray& groupName) {
            const QByteArray block = callStatusLabel(e.type) + (':' + groupName) + "\nPhone:" +
                                     textOf(e.number) + "\nDate:" + textOf(e.date) +
                                     "\nDuration:" + textOf(e.duration) + "\n\n";
            write(cutKeepingEnd(block, kShortLine, "\n\n"));
        });
    });
}
