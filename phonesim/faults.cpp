#include "faults.h"

#include <cjson/cJSON.h>

#include <fstream>
#include <sstream>
#include <system_error>

namespace phonesim {

namespace {

void readBool(const cJSON* root, const char* key, bool& out) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(root, key);
    if (cJSON_IsBool(item)) out = cJSON_IsTrue(item);
}

void readInt(const cJSON* root, const char* key, int& out) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(root, key);
    if (cJSON_IsNumber(item) && item->valuedouble >= 0 && item->valuedouble <= 3600000) out = item->valueint;
}

void readString(const cJSON* root, const char* key, std::string& out) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(root, key);
    if (cJSON_IsString(item) && item->valuestring) out = item->valuestring;
}

}  // namespace

bool parseFaults(const std::string& json, Faults& out) {
    out = Faults{};
    cJSON* root = cJSON_ParseWithLength(json.data(), json.size());
    if (!cJSON_IsObject(root)) {
        cJSON_Delete(root);
        return false;
    }
    readBool(root, "unauthorized", out.unauthorized);
    readBool(root, "offline", out.offline);
    readString(root, "handshake", out.handshake);
    readInt(root, "delayMs", out.delayMs);
    readInt(root, "dropAfter", out.dropAfter);
    readString(root, "badCommand", out.badCommand);
    readString(root, "badReply", out.badReply);
    readInt(root, "badAfter", out.badAfter);
    readBool(root, "noThumbnails", out.noThumbnails);
    readInt(root, "acceptDelayMs", out.acceptDelayMs);
    readBool(root, "neverAccept", out.neverAccept);
    readString(root, "refuseCommand", out.refuseCommand);
    readInt(root, "cutPullAt", out.cutPullAt);
    cJSON_Delete(root);
    return true;
}

std::string faultsToJson(const Faults& f) {
    cJSON* root = cJSON_CreateObject();
    cJSON_AddBoolToObject(root, "unauthorized", f.unauthorized);
    cJSON_AddBoolToObject(root, "offline", f.offline);
    cJSON_AddStringToObject(root, "handshake", f.handshake.c_str());
    cJSON_AddNumberToObject(root, "delayMs", f.delayMs);
    cJSON_AddNumberToObject(root, "dropAfter", f.dropAfter);
    cJSON_AddStringToObject(root, "badCommand", f.badCommand.c_str());
    cJSON_AddStringToObject(root, "badReply", f.badReply.c_str());
    cJSON_AddNumberToObject(root, "badAfter", f.badAfter);
    cJSON_AddBoolToObject(root, "noThumbnails", f.noThumbnails);
    cJSON_AddNumberToObject(root, "acceptDelayMs", f.acceptDelayMs);
    cJSON_AddBoolToObject(root, "neverAccept", f.neverAccept);
    cJSON_AddStringToObject(root, "refuseCommand", f.refuseCommand.c_str());
    cJSON_AddNumberToObject(root, "cutPullAt", f.cutPullAt);
    char* text = cJSON_Print(root);
    std::string result = text ? text : "{}";
    cJSON_free(text);
    cJSON_Delete(root);
    return result;
}

FaultSwitch::FaultSwitch(std::filesystem::path file) : file_(std::move(file)) {}

Faults FaultSwitch::current() {
    std::lock_guard<std::mutex> lock(mutex_);
    Faults faults;
    std::ifstream in(file_, std::ios::binary);
    if (!in) return faults;  // no file: every switch off
    std::stringstream text;
    text << in.rdbuf();
    parseFaults(text.str(), faults);
    return faults;
}

void FaultSwitch::write(const Faults& faults) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Write beside and rename, so that a reader never sees half a file.
    std::filesystem::path tmp = file_;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << faultsToJson(faults);
    }
    std::error_code ec;
    std::filesystem::rename(tmp, file_, ec);
}

}  // namespace phonesim
