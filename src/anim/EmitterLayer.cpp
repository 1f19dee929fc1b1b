#include "anim/EmitterLayer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "anim/MediaTime.h"

namespace anim {
namespace {

// A small counter-based generator: the same particle always draws the same numbers.
class ParticleRandom {
public:
    ParticleRandom(uint64_t seed, uint64_t serial, uint64_t cell, uint64_t index)
        : state_(mix(seed ^ mix(serial + 0x9e3779b97f4a7c15ULL) ^ mix(cell * 0xbf58476d1ce4e5b9ULL + index))) {}
    double unit() { return double(mix(state_ += 0x9e3779b97f4a7c15ULL) >> 11) * 0x1.0p-53; }
    // value ± range
    double around(double value, double range) { return value + range * (2 * unit() - 1); }

private:
    static uint64_t mix(uint64_t z) {
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    uint64_t state_;
};

Point spawnOffset(EmitterShape shape, EmitterMode mode, Size size, ParticleRandom& rnd) {
    constexpr double tau = 2 * std::numbers::pi;
    double u = rnd.unit(), v = rnd.unit();
    double w = size.width, h = size.height;
    switch (shape) {
        case EmitterShape::point:
            return {};
        case EmitterShape::line:
            return {(u - 0.5) * w, 0};
        case EmitterShape::rectangle:
            if (mode == EmitterMode::points) return {(u < 0.5 ? -0.5 : 0.5) * w, (v < 0.5 ? -0.5 : 0.5) * h};
            if (mode == EmitterMode::outline) {
                double along = u * 2 * (w + h);
                if (along < w) return {along - w / 2, -h / 2};
                if ((along -= w) < h) return {w / 2, along - h / 2};
                if ((along -= h) < w) return {w / 2 - along, h / 2};
                return {-w / 2, h / 2 - (along - w)};
            }
            return {(u - 0.5) * w, (v - 0.5) * h};
        case EmitterShape::circle: {
            double r = w / 2;
            if (mode == EmitterMode::points) return {};
            double radius = mode == EmitterMode::outline ? r : r * std::sqrt(u);
            return {radius * std::cos(tau * v), radius * std::sin(tau * v)};
        }
    }
    return {};
}

// Enough for any sensible emitter; keeps a wild setting from stalling a frame.
constexpr size_t maxParticles = 2000;

}  // namespace

void EmitterLayer::setEmitterPosition(Point p) {
    if (emitterPosition_ == p) return;
    emitterPosition_ = p;
    restartEmission();
}

void EmitterLayer::setEmitterSize(Size s) {
    if (emitterSize_ == s) return;
    emitterSize_ = s;
    restartEmission();
}

void EmitterLayer::setEmitterShape(EmitterShape s) {
    if (emitterShape_ == s) return;
    emitterShape_ = s;
    restartEmission();
}

void EmitterLayer::setEmitterMode(EmitterMode m) {
    if (emitterMode_ == m) return;
    emitterMode_ = m;
    restartEmission();
}

void EmitterLayer::setBirthRate(double rate) {
    rate = std::max(0.0, rate);
    if (birthRate_ == rate) return;
    birthRate_ = rate;
    restartEmission();
}

void EmitterLayer::setSeed(uint32_t seed) {
    if (seed_ == seed) return;
    seed_ = seed;
    restartEmission();
}

void EmitterLayer::setEmitterCells(std::vector<EmitterCell> cells) {
    cells_ = std::make_shared<const std::vector<EmitterCell>>(std::move(cells));
    restartEmission();
}

double EmitterLayer::longestLife(const Segment& s) {
    double longest = 0;
    for (const EmitterCell& c : *s.cells) longest = std::max(longest, c.lifetime + std::abs(c.lifetimeRange));
    return longest;
}

void EmitterLayer::restartEmission() {
    bool open = !segments_.empty() && std::isinf(segments_.back().end);
    bool emits = birthRate_ > 0 && !cells_->empty();
    if (open || emits) {
        double now = currentMediaTime();
        if (open) segments_.back().end = now;
        std::erase_if(segments_, [&](const Segment& s) { return s.end + longestLife(s) < now; });
        if (emits)
            segments_.push_back(Segment{now, never, birthRate_, cells_, emitterPosition_, emitterSize_, emitterShape_,
                                        emitterMode_, ++nextSerial_});
    }
    contentChanged();
}

std::vector<Particle> EmitterLayer::particles(double t) const {
    std::vector<Particle> out;
    for (const Segment& seg : segments_) {
        if (t < seg.start) continue;
        for (size_t c = 0; c < seg.cells->size(); ++c) {
            const EmitterCell& cell = (*seg.cells)[c];
            double rate = seg.rate * cell.birthRate;
            double longest = cell.lifetime + std::abs(cell.lifetimeRange);
            if (rate <= 0 || longest <= 0) continue;
            // Particle k is born at start + k / rate, up to the end of the stretch.
            double firstK = std::max(0.0, std::ceil((t - longest - seg.start) * rate));
            double lastTime = std::min(t, seg.end);
            for (double k = firstK; out.size() < maxParticles; ++k) {
                double birth = seg.start + k / rate;
                if (birth > lastTime || (birth >= seg.end)) break;
                ParticleRandom rnd(seed_, seg.serial, c, uint64_t(k));
                double age = t - birth;
                double life = rnd.around(cell.lifetime, cell.lifetimeRange);
                if (age >= life) continue;
                Point offset = spawnOffset(seg.shape, seg.mode, seg.size, rnd);
                double angle = cell.emissionLongitude + cell.emissionRange * (rnd.unit() - 0.5);
                double speed = rnd.around(cell.velocity, cell.velocityRange);
                double scale = rnd.around(cell.scale, cell.scaleRange) + cell.scaleSpeed * age;
                double alpha = rnd.around(cell.color.alpha, cell.alphaRange) + cell.alphaSpeed * age;
                double spin = rnd.around(cell.spin, cell.spinRange);
                if (scale <= 0 || alpha <= 0) continue;
                Point p{
                    seg.position.x + offset.x + std::cos(angle) * speed * age + 0.5 * cell.xAcceleration * age * age,
                    seg.position.y + offset.y + std::sin(angle) * speed * age + 0.5 * cell.yAcceleration * age * age};
                out.push_back(Particle{&cell, p, scale, spin * age, std::min(alpha, 1.0)});
            }
        }
    }
    return out;
}

bool EmitterLayer::contentIsAnimating(double t) const {
    for (const Segment& s : segments_)
        if (t >= s.start && t < s.end + longestLife(s)) return true;
    return false;
}

double EmitterLayer::contentNextChangeTime(double t) const {
    double next = never;
    for (const Segment& s : segments_) {
        if (t >= s.start && t < s.end + longestLife(s)) return t;
        if (s.start > t) next = std::min(next, s.start);
    }
    return next;
}

}  // namespace anim
