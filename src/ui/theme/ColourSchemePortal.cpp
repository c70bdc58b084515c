// Reading the desktop portal's colour scheme over D-Bus.
#include "ColourSchemePortal.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusVariant>

namespace {
constexpr int readTimeoutMs = 250;
constexpr int maximumWrapping = 4; // deeper nesting is no reply a portal sends
} // namespace

ColourSchemePortal::ColourSchemePortal(QObject* parent) : QObject(parent) {}

std::optional<ColourScheme> ColourSchemePortal::parse(const QVariant& value) {
    QVariant current = value;
    for (int depth = 0; depth < maximumWrapping; ++depth) {
        if (current.metaType() == QMetaType::fromType<QDBusVariant>()) {
            current = current.value<QDBusVariant>().variant();
            continue;
        }
        if (current.metaType() == QMetaType::fromType<QDBusArgument>()) {
            // A variant inside a variant can reach us still marshalled.
            const QDBusArgument argument = current.value<QDBusArgument>();
            if (argument.currentType() != QDBusArgument::VariantType)
                return std::nullopt;
            current = argument.asVariant();
            continue;
        }
        break;
    }
    quint32 number = 0;
    switch (current.metaType().id()) {
    case QMetaType::UInt:
        number = current.toUInt();
        break;
    case QMetaType::Int:
        if (current.toInt() < 0)
            return std::nullopt;
        number = quint32(current.toInt());
        break;
    default:
        return std::nullopt;
    }
    switch (number) {
    case 1:
        return ColourScheme::preferDark;
    case 2:
        return ColourScheme::preferLight;
    default:
        return ColourScheme::noPreference;
    }
}

void ColourSchemePortal::start() {
    if (started_)
        return;
    started_ = true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(service, path, interface, QStringLiteral("SettingChanged"), this,
                SLOT(onSettingChanged(QDBusMessage)));
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Read"));
    call << settingNamespace << settingKey;
    const QDBusMessage reply = bus.call(call, QDBus::Block, readTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return;
    if (const std::optional<ColourScheme> scheme = parse(reply.arguments().front()))
        setScheme(*scheme);
}

void ColourSchemePortal::onSettingChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 3)
        return;
    if (arguments.at(0).toString() != settingNamespace || arguments.at(1).toString() != settingKey)
        return;
    if (const std::optional<ColourScheme> scheme = parse(arguments.at(2)))
        setScheme(*scheme);
}

void ColourSchemePortal::setScheme(ColourScheme scheme) {
    if (scheme_ == scheme)
        return;
    scheme_ = scheme;
    emit schemeChanged();
}
