// What kind of phone phonesim plays: the adb features it offers and its system
// properties. The command line may override single properties.
#pragma once

#include <map>
#include <string>

namespace phonesim {

struct Profile {
    std::string name;      // "modern" or "legacy"
    std::string features;  // adb feature list of the connection banner ("" for legacy)
    std::map<std::string, std::string> properties;  // getprop values

    std::string property(const std::string& key) const;  // "" when unset
    bool hasFeature(const std::string& feature) const;
};

// An Android 10 phone with the features of a current adbd.
Profile modernProfile();
// An Android 4.3 phone: no adb features (legacy shell, push-then-pm install, STAT/LIST).
Profile legacyProfile();
// "modern" or "legacy"; false for any other name.
bool profileByName(const std::string& name, Profile& out);

}  // namespace phonesim
