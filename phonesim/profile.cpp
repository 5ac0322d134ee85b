#include "profile.h"

#include <sstream>

namespace phonesim {

namespace {

// A profile: the properties every phone has, with the three that tell the kinds apart.
Profile makeProfile(const char* name, const char* features, const char* release, const char* model,
                    const char* build) {
    Profile p;
    p.name = name;
    p.features = features;
    p.properties = {
        {"ro.product.manufacturer", "Quenlo"},
        {"ro.product.brand", "quenlo"},
        {"ro.serialno", "QSIM0000554"},
        {"ro.build.version.release", release},
        {"ro.product.model", model},
        {"ro.build.PDA", build},
    };
    return p;
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
    return makeProfile("modern", "shell_v2,cmd,stat_v2,ls_v2,fixed_push_mkdir", "10", "SimPhone 10",
                       "SIM10.QP1A.190711");
}

Profile legacyProfile() {
    return makeProfile("legacy", "", "4.3", "SimPhone Classic", "SIM43.JSS15J");
}

bool profileByName(const std::string& name, Profile& out) {
    for (Profile profile : {modernProfile(), legacyProfile()}) {
        if (profile.name == name) {
            out = std::move(profile);
            return true;
        }
    }
    return false;
}

}  // namespace phonesim
