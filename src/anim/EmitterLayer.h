#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "anim/Layer.h"

namespace anim {

// One kind of particle. A value given with a range varies uniformly over value ± range from
// particle to particle.
struct EmitterCell {
    std::shared_ptr<const Image> contents;
    // Image pixels per point of particle at scale 1.
    double contentsScale = 1;
    double birthRate = 0;  // particles per second
    double lifetime = 0;   // seconds
    double lifetimeRange = 0;
    double velocity = 0;  // points per second
    double velocityRange = 0;
    double xAcceleration = 0;
    double yAcceleration = 0;
    double emissionLongitude = 0;  // radians from +x, counter-clockwise
    double emissionRange = 0;      // the full angle of the cone of directions
    double scale = 1;
    double scaleRange = 0;
    double scaleSpeed = 0;  // per second
    double spin = 0;        // radians per second
    double spinRange = 0;
    Color color = Color::white(1);
    double alphaRange = 0;
    double alphaSpeed = 0;  // per second
};

enum class EmitterShape { point, line, rectangle, circle };
enum class EmitterMode { points, outline, surface, volume };

// A particle as it is at one moment, in the emitter layer's coordinates.
struct Particle {
    const EmitterCell* cell;  // valid until the emitter layer next changes
    Point position;
    double scale;
    double rotation;
    double alpha;
};

// Emits particles of its cells from a shape around `emitterPosition`. The particles are a pure
// function of the time, the seed and when emission was switched on and off, so two emitters
// with the same seed and history show the same particles.
class EmitterLayer : public Layer {
public:
    static std::shared_ptr<EmitterLayer> make() { return std::make_shared<EmitterLayer>(); }
    LayerKind kind() const override { return LayerKind::emitter; }

    Point emitterPosition() const { return emitterPosition_; }
    void setEmitterPosition(Point p);
    Size emitterSize() const { return emitterSize_; }
    void setEmitterSize(Size s);
    EmitterShape emitterShape() const { return emitterShape_; }
    void setEmitterShape(EmitterShape s);
    EmitterMode emitterMode() const { return emitterMode_; }
    void setEmitterMode(EmitterMode m);
    // Multiplies every cell's birth rate; 0 stops new particles while the living ones play out.
    double birthRate() const { return birthRate_; }
    void setBirthRate(double rate);
    uint32_t seed() const { return seed_; }
    void setSeed(uint32_t seed);
    const std::vector<EmitterCell>& emitterCells() const { return *cells_; }
    void setEmitterCells(std::vector<EmitterCell> cells);

    std::vector<Particle> particles(double t) const;

protected:
    bool contentIsAnimating(double t) const override;
    double contentNextChangeTime(double t) const override;
    bool contentDependsOnTime() const override { return !segments_.empty(); }

private:
    // A stretch of time with constant emission settings.
    struct Segment {
        double start;
        double end;
        double rate;
        std::shared_ptr<const std::vector<EmitterCell>> cells;
        Point position;
        Size size;
        EmitterShape shape;
        EmitterMode mode;
        uint64_t serial;
    };
    // Closes the running stretch and opens one with the current settings.
    void restartEmission();
    static double longestLife(const Segment& s);

    Point emitterPosition_{};
    Size emitterSize_{};
    EmitterShape emitterShape_ = EmitterShape::point;
    EmitterMode emitterMode_ = EmitterMode::volume;
    double birthRate_ = 1;
    uint32_t seed_ = 0;
    std::shared_ptr<const std::vector<EmitterCell>> cells_ = std::make_shared<const std::vector<EmitterCell>>();
    std::vector<Segment> segments_;
    uint64_t nextSerial_ = 0;
};

}  // namespace anim
