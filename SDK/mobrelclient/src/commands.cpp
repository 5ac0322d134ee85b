#include "commands.h"

#include "cmdline.h"

namespace mobrel {
namespace {

std::string withNumber(const char* name, int n) { return name + std::to_string(n) + ";"; }

std::string withText(const char* name, const std::string& text) { return name + text + ";"; }

// "-s <serial> ", or nothing when no device is chosen: adb then takes the only
// device attached (and refuses when there are several).
std::string serialOption(const std::string& serial) { return serial.empty() ? "" : "-s " + quoteArg(serial) + " "; }

}  // namespace

namespace cmd {

std::string contactPage(int start) { return withNumber("getcontactpart10:", start); }
std::string addPerson(const std::string& nameHex, const std::string& mobileHex) {
    return "AddPerson:" + nameHex + ":" + mobileHex + ";";
}
std::string updatePerson(const std::string& id, const std::string& valueHex, const std::string& field) {
    return "UpdatePerson:" + id + ":" + valueHex + ":" + field + ";";
}
std::string deleteOnePerson(const std::string& id) { return withText("DeleteOnePerson:", id); }
std::string smsPage(int start) { return withNumber("getsmsPart10:", start); }
std::string sendSms(const std::string& addressHex, const std::string& bodyHex, const std::string& dateHex,
                    const std::string& readHex, const std::string& typeHex) {
    return "SendSMS:" + addressHex + "-" + bodyHex + "-" + dateHex + "-" + readHex + "-2D31-" + typeHex + ";";
}
std::string deleteOneSms(const std::string& id) { return withText("DeleteOneSMS:", id); }
std::string callLogPage(int start) { return withNumber("getcalllogpart10:", start); }
std::string addCallHistory(const std::string& numberHex, const std::string& dateHex,
                           const std::string& typeHex, const std::string& durationHex) {
    return "AddCallHistory:" + numberHex + "-" + dateHex + "-" + typeHex + "-" + durationHex + ";";
}
std::string deleteOneCallLog(const std::string& id) { return withText("DeleteOneCallLog:", id); }

std::string photoIndexInfo(int index) { return withNumber("getdcimindexinfo:", index); }
std::string photoThumb(int id) { return withNumber("getdcimthumb2:", id); }
std::string deletePhoto(int id) { return withNumber("deletephoto:", id); }
std::string photoExists(const std::string& fileName) { return withText("checkFileisExist:", fileName); }
std::string addPhoto(const std::string& fileNameHex) { return withText("addphototodevice:", fileNameHex); }
std::string photoPath(int id) { return withNumber("getfilepathForid:", id); }

std::string musicIndexInfo(int index) { return withNumber("getmusicindexinfo:", index); }
std::string musicThumb(int id, int albumId) {
    return "getmusicthumb2:" + std::to_string(id) + ":" + std::to_string(albumId) + ";";
}
std::string deleteMusic(int id) { return withNumber("deletemusic:", id); }
std::string musicExists(const std::string& fileName) { return withText("checkMusicFileisExist:", fileName); }
std::string addMusic(const std::string& fileNameHex) { return withText("addmusictodevice:", fileNameHex); }
std::string musicPath(int id) { return withNumber("GetMusicPathById:", id); }

std::string videoIndexInfo(int index) { return withNumber("getvideoindexinfo:", index); }
std::string videoThumb(int id) { return withNumber("getvideothumb2:", id); }
std::string deleteVideo(int id) { return withNumber("deletevideofromdevice:", id); }
std::string videoExists(const std::string& fileName) { return withText("checkVideoFileisExist:", fileName); }
std::string addVideo(const std::string& fileNameHex) { return withText("addvideotodevice:", fileNameHex); }
std::string videoPath(int id) { return withNumber("GetVideoPathById:", id); }

}  // namespace cmd

namespace adbargs {

std::string forward(const std::string& serial) {
    const std::string command =
        "forward tcp:" + std::to_string(kServiceHostPort) + " tcp:" + std::to_string(kServicePhonePort);
    return serialOption(serial) + command;
}
std::string getprop(const std::string& serial, const char* property) {
    return " " + serialOption(serial) + "shell  getprop  " + property;
}
std::string forceStop(const std::string& serial) {
    return serialOption(serial) + "shell am force-stop " + kCompanionPackage;
}
std::string uninstall(const std::string& serial) {
    return serialOption(serial) + "uninstall " + kCompanionPackage;
}
std::string install(const std::string& serial, const std::string& apkPath) {
    return serialOption(serial) + "install " + quoteArg(apkPath);
}
std::string startCompanion(const std::string& serial) {
    return serialOption(serial) + "shell am start -n " + kCompanionPackage + "/" + kCompanionActivity;
}
std::string push(const std::string& serial, const std::string& localPath, const std::string& remotePath) {
    return serialOption(serial) + "push " + quoteArg(localPath) + " " + quoteArg(remotePath) + " ";
}
std::string pull(const std::string& serial, const std::string& remotePath, const std::string& localPath) {
    return serialOption(serial) + "pull " + quoteArg(remotePath) + " " + quoteArg(localPath) + " ";
}

}  // namespace adbargs

}  // namespace mobrel
