#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "anim/Color.h"
#include "anim/Path.h"

namespace anim {

// An image a layer or an emitter cell shows. It is a description, decoded and rasterised by the
// renderer of the backend: a PNG file, a vector drawing, or pixels. Images are immutable and
// shared between layers.
class Image {
public:
    enum class Source { pngFile, drawing, pixels, symbol };

    struct FilledPath {
        Path path;
        Color fill;
    };

    // Nothing when the file is missing or does not start like a PNG; the size comes from the header.
    static std::shared_ptr<const Image> fromPNGFile(const std::string& path, double scale = 1);
    // Filled paths in a y-up space of `pointSize`, rasterised at `scale` pixels per point.
    static std::shared_ptr<const Image> fromDrawing(Size pointSize, std::vector<FilledPath> paths, double scale = 2);
    // Premultiplied 0xAARRGGBB pixels, row by row from the top.
    static std::shared_ptr<const Image> fromPixels(int width, int height, std::vector<uint32_t> argb, double scale = 1);
    // A named system symbol of `side` points, its shape filled with `tint`; the backend draws it
    // from the desktop's icon theme. Nothing for an empty name.
    static std::shared_ptr<const Image> fromSymbol(const std::string& name, double side, Color tint, double scale = 2);

    Source source() const { return source_; }
    int pixelWidth() const { return width_; }
    int pixelHeight() const { return height_; }
    // Pixels per point.
    double scale() const { return scale_; }
    Size pointSize() const { return {width_ / scale_, height_ / scale_}; }
    const std::string& filePath() const { return filePath_; }
    const std::vector<FilledPath>& drawing() const { return drawing_; }
    const std::vector<uint32_t>& pixels() const { return pixels_; }
    const std::string& symbolName() const { return filePath_; }
    Color symbolTint() const { return tint_; }

    // Slot for the renderer's decoded copy, so an image is decoded once however many layers use it.
    mutable std::shared_ptr<void> rendererCache;

private:
    Source source_ = Source::pixels;
    int width_ = 0;
    int height_ = 0;
    double scale_ = 1;
    std::string filePath_;
    std::vector<FilledPath> drawing_;
    std::vector<uint32_t> pixels_;
    Color tint_;
};

}  // namespace anim
