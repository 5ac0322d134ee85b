#include "profile.h"

#include <sstream>

namespace phonesim {

namespace {

std::map<std::string, std::string> commonProperties() {
    return {
        {"ro.product.manufacturer", "Quenlo"},
        {"ro.product.brand", "quenlo"},
        {"ro.serialno", "QSIM0000554"},
    };
}

}  // namespace

std::string Profile::property(const std::string& key) const {
    auto it = properties.find(key);
    return it == properties.end() ? std::string() : it->second;
}

bool Profile::hasFeature(const std::string& feature) const {
    std::stringstream list(features);
    std::string item;
    while (std::getline(list, item, ',')) {
        if (item == feature) return true;
    }
    return false;
}

Profile modernProfile() {
    Profile p;
    p.name = "modern";
    p.features = "shell_v2,cmd,stat_v2,ls_v2,fixed_push_mkdir";
    p.properties = commonProperties();
    p.properties["ro.build.version.release"] = "10";
    p.properties["ro.product.model"] = "SimPhone 10";
    p.properties["ro.build.PDA"] = "SIM10.QP1A.190711";
    return p;
}

Profile legacyProfile() {
    Profile p;
    p.name = "legacy";
    p.features = "";
    p.properties = commonProperties();
    p.properties["ro.build.version.release"] = "4.3";
    p.properties["ro.product.model"] = "SimPhone Classic";
    p.properties["ro.build.PDA"] = "SIM43.JSS15J";
    return p;
}

bool profileByName(const std::string& name, Profile& out) {
    if (name == "modern") {
        out = modernProfile();
        return true;
    }
    if (name == "legacy") {
        out = legacyProfile();
        return true;
    }
    return false;
}

}  // namespace phonesim
