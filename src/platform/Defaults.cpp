#include "platform/Defaults.h"

namespace platform {

std::optional<std::vector<std::string>> Defaults::stringArray(const std::string& key) const {
    auto arr = array(key);
    if (!arr) return std::nullopt;
    std::vector<std::string> out;
    out.reserve(arr->size());
    for (const auto& v : *arr) {
        auto s = v.getIf<std::string>();
        if (!s) return std::nullopt;
        out.push_back(*s);
    }
    return out;
}

std::optional<PlistValue> MemoryDefaults::object(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void MemoryDefaults::set(const std::string& key, PlistValue value) {
    values_[key] = std::move(value);
    writeLog_.push_back(key);
}

void MemoryDefaults::remove(const std::string& key) {
    values_.erase(key);
    writeLog_.push_back(key);
}

}  // namespace platform
