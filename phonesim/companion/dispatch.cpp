// The command table: every command name the companion knows and its handler.
#include "companion/companion_impl.h"
#include "companion/protocol.h"

namespace phonesim {

namespace {

const MediaCommandSet kMediaCommands[] = {
    {MediaKind::Photo, "flushphotolist", "getdcimcount", "getdcimindexinfo", "getdcimthumb2", "deletephoto",
     "checkFileisExist", "addphototodevice", "getfilepathForid", "Images"},
    {MediaKind::Video, "flushvideolist", "getvideocount", "getvideoindexinfo", "getvideothumb2",
     "deletevideofromdevice", "checkVideoFileisExist", "addvideotodevice", "GetVideoPathById", "Videos"},
    {MediaKind::Music, "flushmusiclist", "getmusiccount", "getmusicindexinfo", "getmusicthumb2", "deletemusic",
     "checkMusicFileisExist", "addmusictodevice", "GetMusicPathById", "Music"},
};

}  // namespace

const MediaCommandSet& mediaCommandSet(MediaKind kind) {
    for (const MediaCommandSet& set : kMediaCommands) {
        if (set.kind == kind) return set;
    }
    return kMediaCommands[0];
}

void Companion::Impl::buildCommandTable() {
    auto plain = [this](std::string (Impl::*handler)()) {
        return [this, handler](const std::string&) { return (this->*handler)(); };
    };
    auto withArgs = [this](std::string (Impl::*handler)(const std::string&)) {
        return [this, handler](const std::string& args) { return (this->*handler)(args); };
    };

    commands["hello-manager"] = [](const std::string&) { return std::string("HI-PC"); };
    commands["GetandroidTempinfo"] = plain(&Impl::deviceFacts);
    commands["getappcount"] = plain(&Impl::appCount);

    commands["getcontactCount"] = plain(&Impl::contactCount);
    commands["getcontactpart10"] = withArgs(&Impl::contactPage);
    commands["AddPerson"] = withArgs(&Impl::addPerson);
    commands["UpdatePerson"] = withArgs(&Impl::updatePerson);
    commands["DeleteOnePerson"] = withArgs(&Impl::deletePerson);

    commands["getsmsCount"] = plain(&Impl::messageCount);
    commands["getsmsPart10"] = withArgs(&Impl::messagePage);
    commands["SendSMS"] = withArgs(&Impl::sendSms);
    commands["DeleteOneSMS"] = withArgs(&Impl::deleteConversation);
    commands["GetDefaultMessage_pkgName"] = plain(&Impl::defaultMessagingApp);
    commands["SetDefaultMessage"] = plain(&Impl::requestMessagingRole);
    commands["ReSetDefaultMessage"] = plain(&Impl::releaseMessagingRole);

    commands["getcalllogcount"] = plain(&Impl::callCount);
    commands["getcalllogpart10"] = withArgs(&Impl::callPage);
    commands["AddCallHistory"] = withArgs(&Impl::addCall);
    commands["DeleteOneCallLog"] = withArgs(&Impl::deleteCall);

    commands["getExternalStoragePath"] = [](const std::string&) { return std::string(kExternalStoragePath); };
    for (const MediaCommandSet& set : kMediaCommands) {
        MediaKind kind = set.kind;
        auto media = [this, kind](std::string (Impl::*handler)(MediaKind, const std::string&)) {
            return [this, kind, handler](const std::string& args) { return (this->*handler)(kind, args); };
        };
        commands[set.flush] = [this, kind](const std::string&) { return flushMedia(kind); };
        commands[set.count] = [this, kind](const std::string&) { return mediaCount(kind); };
        commands[set.index] = media(&Impl::mediaIndex);
        commands[set.thumbnail] = media(&Impl::mediaThumbnail);
        commands[set.remove] = media(&Impl::deleteMedia);
        commands[set.exists] = media(&Impl::mediaNameTaken);
        commands[set.add] = media(&Impl::registerMedia);
        commands[set.path] = media(&Impl::mediaPath);
    }
}

std::string Companion::Impl::handle(const Command& command, const Faults& switches) {
    auto it = commands.find(command.name);
    if (it == commands.end()) return std::string();
    std::lock_guard<std::mutex> lock(mutex);
    faults = switches;
    // Refused: nothing changes, and the answer is the one of a failed write.
    if (command.name == faults.refuseCommand) return command.name == "AddPerson" ? int64Body(0) : intBody(0);
    return it->second(command.args);
}

}  // namespace phonesim
