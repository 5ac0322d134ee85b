// Every text the library sends: the service commands of the companion app and
// the argument texts of adb. Values that come from the phone, the user or the
// file system enter adb texts only through quoteArg. Hex fields are passed in
// already encoded (hex.h), since their limits differ from field to field.
#pragma once

#include <string>

namespace mobrel {

// adb forwards the host port to the companion app's port on the phone.
inline constexpr int kServiceHostPort = 25803;
inline constexpr int kServicePhonePort = 20148;

namespace cmd {

inline constexpr char kHello[] = "hello-manager;";
inline constexpr char kHelloReply[] = "HI-PC";
inline constexpr char kDeviceFacts[] = "GetandroidTempinfo;";
inline constexpr char kAppCount[] = "getappcount;";
inline constexpr char kContactCount[] = "getcontactCount;";
inline constexpr char kSmsCount[] = "getsmsCount;";
inline constexpr char kDefaultMessagePackage[] = "GetDefaultMessage_pkgName;";
inline constexpr char kSetDefaultMessage[] = "SetDefaultMessage;";
inline constexpr char kResetDefaultMessage[] = "ReSetDefaultMessage;";
inline constexpr char kCallLogCount[] = "getcalllogcount;";
inline constexpr char kFlushPhotoList[] = "flushphotolist;";
inline constexpr char kPhotoCount[] = "getdcimcount;";
inline constexpr char kExternalStoragePath[] = "getExternalStoragePath;";
inline constexpr char kFlushMusicList[] = "flushmusiclist;";
inline constexpr char kMusicCount[] = "getmusiccount;";
inline constexpr char kFlushVideoList[] = "flushvideolist;";
inline constexpr char kVideoCount[] = "getvideocount;";

// Contacts, messages, call log.
std::string contactPage(int start);  // "getcontactpart10:%d;"
std::string addPerson(const std::string& nameHex, const std::string& mobileHex);
std::string updatePerson(const std::string& id, const std::string& valueHex, const std::string& field);
std::string deleteOnePerson(const std::string& id);
std::string smsPage(int start);  // "getsmsPart10:%d;"
// "SendSMS:" address-body-date-read-2D31-type ";" (2D31 is the hex text of "-1").
std::string sendSms(const std::string& addressHex, const std::string& bodyHex, const std::string& dateHex,
                    const std::string& readHex, const std::string& typeHex);
std::string deleteOneSms(const std::string& id);
std::string callLogPage(int start);  // "getcalllogpart10:%d;"
std::string addCallHistory(const std::string& numberHex, const std::string& dateHex,
                           const std::string& typeHex, const std::string& durationHex);
std::string deleteOneCallLog(const std::string& id);

// Photos.
std::string photoIndexInfo(int index);
std::string photoThumb(int id);
std::string deletePhoto(int id);
std::string photoExists(const std::string& fileName);  // plain file name
std::string addPhoto(const std::string& fileNameHex);
std::string photoPath(int id);
// Music.
std::string musicIndexInfo(int index);
std::string musicThumb(int id, int albumId);
std::string deleteMusic(int id);
std::string musicExists(const std::string& fileName);
std::string addMusic(const std::string& fileNameHex);
std::string musicPath(int id);
// Videos.
std::string videoIndexInfo(int index);
std::string videoThumb(int id);
std::string deleteVideo(int id);
std::string videoExists(const std::string& fileName);
std::string addVideo(const std::string& fileNameHex);
std::string videoPath(int id);

}  // namespace cmd

namespace adbargs {

inline constexpr char kKillServer[] = "kill-server";
inline constexpr char kStartServer[] = "start-server";
inline constexpr char kDevices[] = "devices";
inline constexpr char kRemoveAllForwards[] = "shell forward --remove-all";

inline constexpr char kCompanionPackage[] = "com.quenlo.mobrelphone";
inline constexpr char kCompanionActivity[] = "com.quenlo.mobrelphone.ui.MainActivity";
inline constexpr char kCompanionApk[] = "mobrelcore.apk";

inline constexpr char kPropVersion[] = "ro.build.version.release";
inline constexpr char kPropModel[] = "ro.product.model";
inline constexpr char kPropManufacturer[] = "ro.product.manufacturer";
inline constexpr char kPropPda[] = "ro.build.PDA";

// Where the companion app writes a requested thumbnail.
inline constexpr char kPhotoThumbRemote[] = "/sdcard/Images/tmp.png";
inline constexpr char kMusicThumbRemote[] = "/sdcard/Music/tmp.png";
inline constexpr char kVideoThumbRemote[] = "/sdcard/Videos/tmp.png";

// "forward tcp:25803 tcp:20148", naming the device when a serial is given:
// without it adb refuses as soon as two devices are attached.
std::string forward(const std::string& serial);
// " -s <serial> shell  getprop  <property>"
std::string getprop(const std::string& serial, const char* property);
std::string forceStop(const std::string& serial);      // "-s <serial> shell am force-stop <package>"
std::string uninstall(const std::string& serial);      // "-s <serial> uninstall <package>"
std::string install(const std::string& serial, const std::string& apkPath);
std::string startCompanion(const std::string& serial); // "-s <serial> shell am start -n <package>/<activity>"
// Every device command names the current device ("" for none: adb then takes
// the only one attached), as the forward does.
std::string push(const std::string& serial, const std::string& localPath, const std::string& remotePath);
std::string pull(const std::string& serial, const std::string& remotePath, const std::string& localPath);

}  // namespace adbargs

}  // namespace mobrel
