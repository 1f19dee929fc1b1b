#include "model/JsonCoding.h"

#include <cmath>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

namespace model::coding {
namespace {

bool allNumbersFinite(const Json& j) {
    if (j.is_number_float()) return std::isfinite(j.get<double>());
    if (j.is_structured())
        for (const auto& item : j)
            if (!allNumbersFinite(item)) return false;
    return true;
}

// A record is a few levels deep; deeper text is refused before it costs anything.
constexpr size_t kMaxDepth = 32;

// Builds the document in one pass. The library's own builder looks each member up among the
// ones before it, which made a history of many days take seconds to read. A repeated member
// replaces the earlier value in its place, as the library does.
class LinearBuilder final : public nlohmann::json_sax<Json> {
public:
    Json root;

    bool null() override { return place(nullptr); }
    bool boolean(bool v) override { return place(v); }
    bool number_integer(number_integer_t v) override { return place(v); }
    bool number_unsigned(number_unsigned_t v) override { return place(v); }
    bool number_float(number_float_t v, const string_t&) override { return place(v); }
    bool string(string_t& v) override { return place(std::move(v)); }
    bool binary(binary_t&) override { return false; }
    bool start_object(std::size_t) override { return open(Json::object()); }
    bool start_array(std::size_t) override { return open(Json::array()); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool key(string_t& name) override {
        auto& members = open_.back().node->get_ref<Json::object_t&>();
        auto [it, inserted] = open_.back().index.try_emplace(name, members.size());
        if (inserted) members.emplace_back(name, nullptr);
        slot_ = &(members.begin() + static_cast<std::ptrdiff_t>(it->second))->second;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    struct Open {
        Json* node;
        std::unordered_map<std::string, size_t> index;
    };

    Json* put(Json&& value) {
        if (open_.empty()) return &(root = std::move(value));
        Json* parent = open_.back().node;
        if (parent->is_array()) {
            auto& items = parent->get_ref<Json::array_t&>();
            items.push_back(std::move(value));
            return &items.back();
        }
        return &(*slot_ = std::move(value));
    }
    bool place(Json value) {
        put(std::move(value));
        return true;
    }
    bool open(Json container) {
        if (open_.size() >= kMaxDepth) return false;
        open_.push_back({put(std::move(container)), {}});
        return true;
    }
    bool close() {
        open_.pop_back();
        return true;
    }

    std::vector<Open> open_;
    Json* slot_ = nullptr;
};

}  // namespace

std::optional<double> number(const Json& j) {
    if (!j.is_number()) return std::nullopt;
    return j.get<double>();
}

std::optional<int64_t> integer(const Json& j) {
    if (j.is_number_unsigned()) {
        auto u = j.get<uint64_t>();
        if (u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return std::nullopt;
        return static_cast<int64_t>(u);
    }
    if (j.is_number_integer()) return j.get<int64_t>();
    if (j.is_number_float()) {
        double d = j.get<double>();
        // 2^63 itself is out of range; everything below it converts exactly when integral.
        if (!std::isfinite(d) || d != std::trunc(d) || d < -9223372036854775808.0 || d >= 9223372036854775808.0)
            return std::nullopt;
        return static_cast<int64_t>(d);
    }
    return std::nullopt;
}

std::optional<double> doubleMember(const Json& object, std::string_view key) {
    if (!object.is_object()) return std::nullopt;
    auto it = object.find(key);
    if (it == object.end()) return std::nullopt;
    return number(*it);
}

std::optional<int64_t> integerMember(const Json& object, std::string_view key) {
    if (!object.is_object()) return std::nullopt;
    auto it = object.find(key);
    if (it == object.end()) return std::nullopt;
    return integer(*it);
}

std::optional<platform::Data> encode(const Json& value) {
    if (!allNumbersFinite(value)) return std::nullopt;
    try {
        const std::string text = value.dump();
        return platform::Data(text.begin(), text.end());
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

std::optional<Json> decode(const platform::Data& data) {
    LinearBuilder builder;
    try {
        if (!Json::sax_parse(data.begin(), data.end(), &builder)) return std::nullopt;
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
    return std::move(builder.root);
}

}  // namespace model::coding
