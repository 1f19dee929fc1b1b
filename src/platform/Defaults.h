#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/PropertyList.h"

namespace platform {

// The user-defaults store. Typed reads answer nullopt for "no usable value": a missing key
// or a value of another type. Writes take effect in memory at once; a backed store reaches
// disk shortly after and on flush().
class Defaults {
public:
    virtual ~Defaults() = default;

    virtual std::optional<PlistValue> object(const std::string& key) const = 0;
    virtual void set(const std::string& key, PlistValue value) = 0;
    virtual void remove(const std::string& key) = 0;
    // Writes pending changes to the backing store now. Returns false when that failed.
    virtual bool flush() = 0;

    bool hasObject(const std::string& key) const { return object(key).has_value(); }

    std::optional<bool> boolValue(const std::string& key) const { return typed<bool>(key); }
    std::optional<int64_t> integer(const std::string& key) const { return typed<int64_t>(key); }
    // A real; an integer is a usable real too, as a number stored by another writer may be.
    std::optional<double> real(const std::string& key) const {
        auto v = object(key);
        if (!v) return std::nullopt;
        if (auto d = v->getIf<double>()) return *d;
        if (auto i = v->getIf<int64_t>()) return static_cast<double>(*i);
        return std::nullopt;
    }
    std::optional<std::string> string(const std::string& key) const { return typed<std::string>(key); }
    std::optional<Data> data(const std::string& key) const { return typed<Data>(key); }
    std::optional<Date> date(const std::string& key) const { return typed<Date>(key); }
    std::optional<PlistValue::Array> array(const std::string& key) const { return typed<PlistValue::Array>(key); }
    std::optional<PlistValue::Dictionary> dictionary(const std::string& key) const {
        return typed<PlistValue::Dictionary>(key);
    }
    // An array whose every element is a string; nullopt when any is not.
    std::optional<std::vector<std::string>> stringArray(const std::string& key) const;

private:
    template <typename T>
    std::optional<T> typed(const std::string& key) const {
        auto v = object(key);
        if (!v) return std::nullopt;
        if (auto p = v->getIf<T>()) return *p;
        return std::nullopt;
    }
};

// An in-memory store for tests.
class MemoryDefaults final : public Defaults {
public:
    std::optional<PlistValue> object(const std::string& key) const override;
    void set(const std::string& key, PlistValue value) override;
    void remove(const std::string& key) override;
    bool flush() override { return true; }

    const PlistValue::Dictionary& all() const { return values_; }
    // Keys written since creation or the last clearWriteLog(), in order (repeats kept).
    const std::vector<std::string>& writeLog() const { return writeLog_; }
    void clearWriteLog() { writeLog_.clear(); }

private:
    PlistValue::Dictionary values_;
    std::vector<std::string> writeLog_;
};

}  // namespace platform
