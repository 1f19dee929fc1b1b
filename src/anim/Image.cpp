#include "anim/Image.h"

#include <unistd.h>

#include <array>
#include <cmath>

#include "platform/storage/RegularFile.h"

namespace anim {
namespace {

// A 16384-pixel square (the largest taken) compresses to a few tens of megabytes at most.
constexpr uint64_t kMaxPngSize = 64 << 20;

uint32_t bigEndian32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

}  // namespace

std::shared_ptr<const Image> Image::fromPNGFile(const std::string& path, double scale) {
    const platform::OpenedFile file(path, kMaxPngSize);
    std::array<unsigned char, 24> head{};
    if (!file.ok() || ::pread(file.fd(), head.data(), head.size(), 0) != static_cast<ssize_t>(head.size()))
        return nullptr;
    static constexpr unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    for (int i = 0; i < 8; ++i)
        if (head[i] != signature[i]) return nullptr;
    // The first chunk must be IHDR: width and height follow its type.
    if (head[12] != 'I' || head[13] != 'H' || head[14] != 'D' || head[15] != 'R') return nullptr;
    uint32_t w = bigEndian32(&head[16]), h = bigEndian32(&head[20]);
    if (w == 0 || h == 0 || w > 16384 || h > 16384 || !(scale > 0)) return nullptr;
    auto image = std::make_shared<Image>();
    image->source_ = Source::pngFile;
    image->width_ = int(w);
    image->height_ = int(h);
    image->scale_ = scale;
    image->filePath_ = path;
    return image;
}

std::shared_ptr<const Image> Image::fromDrawing(Size pointSize, std::vector<FilledPath> paths, double scale) {
    if (!(scale > 0) || pointSize.width <= 0 || pointSize.height <= 0) return nullptr;
    auto image = std::make_shared<Image>();
    image->source_ = Source::drawing;
    image->width_ = int(std::ceil(pointSize.width * scale));
    image->height_ = int(std::ceil(pointSize.height * scale));
    image->scale_ = scale;
    image->drawing_ = std::move(paths);
    return image;
}

std::shared_ptr<const Image> Image::fromPixels(int width, int height, std::vector<uint32_t> argb, double scale) {
    if (width <= 0 || height <= 0 || argb.size() != size_t(width) * size_t(height) || !(scale > 0)) return nullptr;
    auto image = std::make_shared<Image>();
    image->source_ = Source::pixels;
    image->width_ = width;
    image->height_ = height;
    image->scale_ = scale;
    image->pixels_ = std::move(argb);
    return image;
}

std::shared_ptr<const Image> Image::fromSymbol(const std::string& name, double side, Color tint, double scale) {
    if (name.empty() || !(side > 0) || !(scale > 0)) return nullptr;
    auto image = std::make_shared<Image>();
    image->source_ = Source::symbol;
    image->width_ = image->height_ = int(std::ceil(side * scale));
    image->scale_ = scale;
    image->filePath_ = name;
    image->tint_ = tint;
    return image;
}

}  // namespace anim
