#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>

namespace platform {

// Unit random numbers in [0, 1]. Injected so tests can fix every draw.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual double unit() = 0;
    // A value in [lo, hi].
    double uniform(double lo, double hi) { return lo + (hi - lo) * unit(); }
};

class SystemRandom final : public RandomSource {
public:
    SystemRandom() : engine_(std::random_device{}()) {}
    double unit() override { return std::uniform_real_distribution<double>(0.0, 1.0)(engine_); }

private:
    std::mt19937_64 engine_;
};

// A repeatable sequence for tests.
class SeededRandom final : public RandomSource {
public:
    explicit SeededRandom(uint64_t seed) : engine_(seed) {}
    double unit() override { return std::uniform_real_distribution<double>(0.0, 1.0)(engine_); }

private:
    std::mt19937_64 engine_;
};

struct Uuid {
    std::array<uint8_t, 16> bytes{};
    friend bool operator==(const Uuid&, const Uuid&) = default;
    friend auto operator<=>(const Uuid&, const Uuid&) = default;
    // Upper-case 8-4-4-4-12 form.
    std::string string() const;
};

class UuidSource {
public:
    virtual ~UuidSource() = default;
    virtual Uuid next() = 0;
};

// Random version-4 UUIDs.
class RandomUuidSource final : public UuidSource {
public:
    Uuid next() override;

private:
    std::mt19937_64 engine_{std::random_device{}()};
};

// 00000000-0000-0000-0000-000000000001, ...2, ... for tests.
class SequentialUuidSource final : public UuidSource {
public:
    Uuid next() override;

private:
    uint64_t counter_ = 0;
};

}  // namespace platform
