// A stand-in for the desktop portal's settings, for the end-to-end tests:
//   settings_portal [GROUP KEY VALUE]...
// owns org.freedesktop.portal.Desktop on the session bus, answers Read and ReadOne from the
// settings given (each value an unsigned integer), prints "ready", and then takes lines
// "GROUP KEY VALUE" on its standard input: each is stored and announced with SettingChanged.
#include <unistd.h>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QMap>
#include <QSocketNotifier>
#include <cstdio>
#include <string>

namespace {

constexpr const char* kService = "org.freedesktop.portal.Desktop";
constexpr const char* kPath = "/org/freedesktop/portal/desktop";

class Settings final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    void set(const QString& group, const QString& key, uint value, bool announce) {
        values_[{group, key}] = value;
        if (announce) Q_EMIT SettingChanged(group, key, QDBusVariant(QVariant::fromValue(value)));
    }

public Q_SLOTS:
    QDBusVariant ReadOne(const QString& group, const QString& key) { return QDBusVariant(value(group, key)); }
    // The older call wraps the value once more.
    QDBusVariant Read(const QString& group, const QString& key) {
        return QDBusVariant(QVariant::fromValue(QDBusVariant(value(group, key))));
    }

Q_SIGNALS:
    void SettingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    QVariant value(const QString& group, const QString& key) {
        auto it = values_.find({group, key});
        if (it != values_.end()) return QVariant::fromValue(*it);
        sendErrorReply("org.freedesktop.portal.Error.NotFound", "no such setting");
        return QVariant::fromValue(0u);
    }

    QMap<QPair<QString, QString>, uint> values_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qRegisterMetaType<QDBusVariant>();
    Settings settings;
    for (int i = 1; i + 2 < argc; i += 3) settings.set(argv[i], argv[i + 1], std::stoul(argv[i + 2]), false);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(kPath, &settings, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) ||
        !bus.registerService(kService)) {
        std::fprintf(stderr, "settings_portal: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    std::string pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);  // the test closed its end; keep serving until stopped
            return;
        }
        pending.append(buffer, size_t(n));
        for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            const QStringList words = QString::fromStdString(pending.substr(0, end)).split(' ', Qt::SkipEmptyParts);
            if (words.size() == 3) settings.set(words[0], words[1], words[2].toUInt(), true);
        }
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

#include "settings_portal.moc"
