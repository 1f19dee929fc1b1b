#include "platform/qt/FileImages.h"

#include <QBuffer>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <utility>

#include "platform/storage/RegularFile.h"

namespace platform::qt {
namespace {

QByteArray readPicture(const std::filesystem::path& file, uint64_t limit) {
    const auto found = readRegularFile(file, limit, OversizedFile::refuse);
    if (!found.ok()) return {};
    return QByteArray(found.bytes.data(), static_cast<qsizetype>(found.bytes.size()));
}

// Decodes `bytes` at `side` device pixels when the picture scales, else at its own size.
QImage decode(const QByteArray& bytes, int side, bool scalable) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (scalable && side > 0) {
        QSize size = reader.size();
        if (!size.isValid() || size.isEmpty()) size = QSize(side, side);
        reader.setScaledSize(size.scaled(side, side, Qt::KeepAspectRatio));
    }
    return reader.read();
}

// Holds the encoded pictures only: a window hands its icon's every size to the X server, and a
// decoded copy of each would stay with every window.
class EncodedIconEngine final : public QIconEngine {
public:
    explicit EncodedIconEngine(std::map<int, QByteArray> bySize) : bySize_(std::move(bySize)) {}
    QIconEngine* clone() const override { return new EncodedIconEngine(bySize_); }
    QString key() const override { return QStringLiteral("tuftle-encoded"); }
    bool isNull() override { return bySize_.empty(); }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const auto& [side, bytes] : bySize_)
            if (side > 0) sizes.push_back(QSize(side, side));
        return sizes;
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int asked = std::min(size.width(), size.height());
        const auto& [side, bytes] = closest(asked);
        return side > 0 && side < asked ? QSize(side, side) : QSize(asked, asked);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode, QIcon::State, qreal) override {
        const int asked = std::min(size.width(), size.height());
        if (bySize_.empty() || asked <= 0) return {};
        const auto& [side, bytes] = closest(asked);
        QImage image = decode(bytes, asked, side == 0);
        if (image.isNull()) return {};
        if (image.width() > asked || image.height() > asked)
            image = image.scaled(asked, asked, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return QPixmap::fromImage(std::move(image));
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QPixmap drawn = scaledPixmap(rect.size() * ratio, mode, state, ratio);
        if (drawn.isNull()) return;
        QSizeF fitted = QSizeF(drawn.size()) / ratio;
        fitted.scale(QSizeF(rect.size()).boundedTo(fitted), Qt::KeepAspectRatio);
        const QPointF corner = QRectF(rect).center() - QPointF(fitted.width() / 2, fitted.height() / 2);
        painter->drawPixmap(QRectF(corner, fitted), drawn, QRectF(drawn.rect()));
    }

private:
    // The scalable picture, else the smallest at least as large as asked, else the largest.
    const std::pair<const int, QByteArray>& closest(int asked) const {
        if (bySize_.begin()->first == 0) return *bySize_.begin();
        const auto larger = bySize_.lower_bound(asked);
        return larger != bySize_.end() ? *larger : *std::prev(bySize_.end());
    }

    std::map<int, QByteArray> bySize_;
};

}  // namespace

QImage imageFromFile(const std::filesystem::path& file, uint64_t limit) {
    const QByteArray bytes = readPicture(file, limit);
    return bytes.isEmpty() ? QImage() : QImage::fromData(bytes);
}

QIcon iconFromFiles(const std::map<int, std::filesystem::path>& bySize, uint64_t limit) {
    std::map<int, QByteArray> pictures;
    for (const auto& [side, file] : bySize)
        if (QByteArray bytes = readPicture(file, limit); !bytes.isEmpty()) pictures.emplace(side, std::move(bytes));
    if (pictures.empty()) return {};
    return QIcon(new EncodedIconEngine(std::move(pictures)));
}

}  // namespace platform::qt
