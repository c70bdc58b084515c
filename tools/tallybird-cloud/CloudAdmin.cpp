#include "CloudAdmin.h"

#include "cloud/CloudDevice.h"
#include "cloud/RecordCoding.h"
#include "platform/PrivateFolder.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>
#include <functional>
#include <map>

using namespace cloud;

namespace {

const char* const usage = R"(usage: tallybird-cloud [--cloud FILE|URI] COMMAND [ARGUMENTS]

  init                                    make the container (on a server: in an empty
                                          database, with its roles' rules)
  users                                   list users
  create-user NAME [GIVEN-NAME [FAMILY-NAME]]
                                          on a server also a role of that name, without a
                                          password: it says how to give it one
  devices                                 list devices, their user and network state
  sign-in DEVICE USER                     sign a device into a user (also to switch users)
  sign-out DEVICE
  offline DEVICE | online DEVICE
  share OWNER ZONE USER read-only|read-write
  accept OWNER ZONE USER
  permission OWNER ZONE USER read-only|read-write
  remove-participant OWNER ZONE USER
  fault [--device DEVICE] [--records PATTERN] [--times N] CODE
                                          fail the next operation (or saves, deletes and
                                          look-ups of matching record names) with CODE
  clear-faults
  list [OWNER ZONE]                       what is stored, or the records of one zone
  new-run                                 after the container was put back from a backup
                                          (a copy of the file, or of a stopped server's
                                          files, or any restore): every device fetches
                                          everything once, so none misses a change

DEVICE is a profile folder, or "default" for the folder used without --profile: the device
the program is with that profile, by the id the profile keeps (made and kept there, as the
program would, when it keeps none yet).
FILE defaults to the shared container in the XDG data home. URI names a PostgreSQL server's
database (postgresql://ROLE@HOST:PORT/DATABASE); the password comes from ~/.pgpass,
PGPASSWORD or a service file, as for every libpq program. On a server, every role acts within
what the server lets it do: the administrator (the role that ran init) does everything, a person
shares, accepts and leaves their own. A device there works as the role it connects as, so it is
signed into that person or out; what the administrator switches on a device that has not
connected yet holds once it does.
)";

struct UsageError {
    QString message;
};

// The container the tool works on, for naming devices the way the program does.
QString location;

// The profile's data folder a DEVICE argument names.
QString dataFolder(const QString& argument) {
    if (argument == QLatin1String("default"))
        return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
            .filePath(QStringLiteral("tallybird"));
    return argument;
}

ParticipantPermission permissionArgument(const QString& text) {
    if (text == QLatin1String("read-only"))
        return ParticipantPermission::readOnly;
    if (text == QLatin1String("read-write"))
        return ParticipantPermission::readWrite;
    throw UsageError{
        QStringLiteral("The permission is read-only or read-write, not “%1”.").arg(text)};
}

QString describe(const FieldValue& value) {
    if (const auto* text = std::get_if<QString>(&value))
        return QLatin1Char('"') + *text + QLatin1Char('"');
    if (const auto* integer = std::get_if<qint64>(&value))
        return QString::number(*integer);
    if (const auto* number = std::get_if<double>(&value))
        return QString::number(*number, 'g', 17);
    return QStringLiteral("date ") +
           QString::number(std::get<Date>(value).secondsSinceReferenceDate(), 'f', 3);
}

// How many arguments each command takes, at least and at most.
const std::map<QString, std::pair<int, int>> arities{
    {"init", {0, 0}},    {"users", {0, 0}},        {"create-user", {1, 3}},
    {"devices", {0, 0}}, {"sign-in", {2, 2}},      {"sign-out", {1, 1}},
    {"offline", {1, 1}}, {"online", {1, 1}},       {"share", {4, 4}},
    {"accept", {3, 3}},  {"permission", {4, 4}},   {"remove-participant", {3, 3}},
    {"fault", {1, 7}},   {"clear-faults", {0, 0}}, {"list", {0, 2}},
    {"new-run", {0, 0}},
};

void checkArguments(const QString& command, const QStringList& a) {
    auto it = arities.find(command);
    if (it == arities.end())
        throw UsageError{QStringLiteral("There is no command “%1”.").arg(command)};
    const auto [least, most] = it->second;
    if (a.size() < least || a.size() > most || (command == "list" && a.size() == 1))
        throw UsageError{QStringLiteral("Wrong number of arguments for %1.").arg(command)};
}

class Admin {
public:
    Admin(Container& container, QTextStream& out) : c(container), out(out) {}

    // Runs a command whose arguments were counted; the container's error is returned.
    std::optional<CloudError> run(const QString& command, const QStringList& a) {
        const std::map<QString, std::function<std::optional<CloudError>()>> commands{
            {"users", [&] { return listUsers(); }},
            {"create-user",
             [&] {
                 std::optional<PersonNameComponents> names;
                 if (a.size() > 1) {
                     names = PersonNameComponents{};
                     names->givenName = a.value(1);
                     names->familyName = a.value(2);
                 }
                 auto error = c.createUser(a[0], names);
                 if (!error && Container::isServerLocation(location))
                     out << passwordAdvice(a[0]);
                 return error;
             }},
            {"devices", [&] { return listDevices(); }},
            {"sign-in",
             [&] { return onDevice(a[0], [&](const QString& d) { return signIn(d, a[1]); }); }},
            {"sign-out",
             [&] { return onDevice(a[0], [&](const QString& d) { return c.signOut(d); }); }},
            {"offline",
             [&] {
                 return onDevice(a[0], [&](const QString& d) { return c.setOffline(d, true); });
             }},
            {"online",
             [&] {
                 return onDevice(a[0], [&](const QString& d) { return c.setOffline(d, false); });
             }},
            {"share", [&] { return c.shareZone(a[0], a[1], a[2], permissionArgument(a[3])); }},
            {"accept", [&] { return c.acceptShare(a[0], a[1], a[2]); }},
            {"permission",
             [&] {
                 return c.setParticipantPermission(a[0], a[1], a[2], permissionArgument(a[3]));
             }},
            {"remove-participant", [&] { return c.removeParticipant(a[0], a[1], a[2]); }},
            {"fault", [&] { return fault(a); }},
            {"clear-faults", [&] { return c.clearFaults(); }},
            {"list", [&] { return a.isEmpty() ? list() : listZone(a); }},
            {"new-run",
             [&]() -> std::optional<CloudError> {
                 if (auto error = c.startNewRun())
                     return error;
                 out << "A new run of the container began: every device fetches everything "
                        "once at its next sync.\n";
                 return std::nullopt;
             }},
        };
        return commands.at(command)();
    }

private:
    // Runs `act` on the device of the profile a DEVICE argument names.
    std::optional<CloudError>
    onDevice(const QString& argument,
             const std::function<std::optional<CloudError>(const QString& device)>& act) {
        const Result<QString> device =
            CloudDevice::deviceIDForProfile(c, location, dataFolder(argument));
        if (!device.ok())
            return device.error();
        return act(device.value());
    }

    // On a server a device works as the role it connects as, and goes by its row of that
    // role: signed into another person, it would go on as it was. So a device that connected
    // as other people is not signed into someone else, and one that has not connected yet is
    // signed in for when it connects as that person, which the administrator is told.
    std::optional<CloudError> signIn(const QString& device, const QString& user) {
        if (!Container::isServerLocation(location))
            return c.signIn(device, user);
        const auto devices = c.devices();
        if (!devices.ok())
            return devices.error();
        const auto users = c.users();
        if (!users.ok())
            return users.error();
        QStringList roles; // the people's roles that hold a row of the device
        for (const DeviceRow& row : devices.value()) {
            if (row.id != device || roles.contains(row.holder))
                continue;
            if (std::any_of(users.value().cbegin(), users.value().cend(),
                            [&](const UserRow& known) { return known.name == row.holder; }))
                roles.append(row.holder);
        }
        if (!roles.isEmpty() && !roles.contains(user))
            return CloudError::make(
                CloudError::Code::invalidArguments,
                QStringLiteral("The device connects to the server as %1, and a device there "
                               "works as the role it connects as: sign it into %2, or out.")
                    .arg(roles.join(QStringLiteral(", ")), roles.join(QStringLiteral(" or "))));
        if (auto error = c.signIn(device, user))
            return error;
        if (roles.isEmpty())
            out << QStringLiteral("The device has not connected to the server yet. A device there "
                                  "works as the role it connects as: it is signed into %1 when "
                                  "it connects as %1.\n")
                       .arg(user);
        return std::nullopt;
    }

    // A password is never taken on a command line, where others may see it: psql asks for it
    // and sends only its hash.
    static QString passwordAdvice(const QString& name) {
        return QStringLiteral("%1 signs in to the server as the role %1 once it has a password. "
                              "The administrator sets it, typed at psql's prompt:\n"
                              "  psql \"%2\" -c '\\password %1'\n"
                              "and %1 keeps it in ~/.pgpass (or a service file) on each of their "
                              "machines.\n")
            .arg(name, Container::describeLocation(location));
    }

    std::optional<CloudError> listUsers() {
        auto users = c.users();
        if (!users.ok())
            return users.error();
        for (const UserRow& user : users.value()) {
            out << user.name;
            if (user.nameComponents)
                out << "\t" << fullName(*user.nameComponents);
            out << "\n";
        }
        return std::nullopt;
    }

    static QString fullName(const PersonNameComponents& names) {
        return QStringList{names.givenName, names.familyName}.join(QLatin1Char(' ')).trimmed();
    }

    std::optional<CloudError> listDevices() {
        auto devices = c.devices();
        if (!devices.ok())
            return devices.error();
        for (const DeviceRow& device : devices.value()) {
            out << device.id << "\t" << device.user.value_or(QStringLiteral("(signed out)")) << "\t"
                << (device.offline ? "offline" : "online") << "\n";
        }
        return std::nullopt;
    }

    std::optional<CloudError> fault(QStringList a) {
        QString device;
        QString pattern;
        int times = -2;
        while (a.size() > 1) {
            const QString option = a.takeFirst();
            if (a.size() < 2)
                throw UsageError{QStringLiteral("%1 needs a value before the code.").arg(option)};
            const QString value = a.takeFirst();
            if (option == QLatin1String("--device")) {
                device = value;
            } else if (option == QLatin1String("--records")) {
                pattern = value;
            } else if (option == QLatin1String("--times")) {
                bool ok = false;
                times = value.toInt(&ok);
                if (!ok || times == 0)
                    throw UsageError{QStringLiteral("--times takes a whole number other than 0 "
                                                    "(negative: until cleared).")};
            } else {
                throw UsageError{QStringLiteral("Unknown option “%1”.").arg(option)};
            }
        }
        bool ok = false;
        const auto code = CloudError::codeFromRaw(a.value(0).toInt(&ok));
        if (!ok || !code)
            throw UsageError{
                QStringLiteral("“%1” is not an error code (1, 3, 9, 10, 11, 12, 14, 26).")
                    .arg(a.value(0))};
        if (times == -2)
            times = pattern.isEmpty() ? 1 : -1;
        if (device.isEmpty())
            return c.injectFault(device, pattern, *code, times);
        return onDevice(
            device, [&](const QString& id) { return c.injectFault(id, pattern, *code, times); });
    }

    std::optional<CloudError> list() {
        if (auto error = listUsers())
            return error;
        if (auto error = listDevices())
            return error;
        auto zones = c.zones();
        if (!zones.ok())
            return zones.error();
        for (const auto& summary : zones.value()) {
            out << "zone " << summary.zone.owner << "/" << summary.zone.name << "\t"
                << summary.recordCount << " records\n";
            for (const ParticipantRow& p : summary.participants)
                out << "  " << p.user << "\t" << p.role << "\t" << p.permission << "\t"
                    << p.acceptance << "\n";
        }
        auto faults = c.faults();
        if (!faults.ok())
            return faults.error();
        for (const FaultRow& f : faults.value()) {
            out << "fault " << f.code << "\tdevice " << (f.device.isEmpty() ? "any" : f.device)
                << "\t" << (f.pattern.isEmpty() ? QStringLiteral("next operation") : f.pattern)
                << "\t"
                << (f.remaining < 0 ? QStringLiteral("until cleared")
                                    : QString::number(f.remaining))
                << "\n";
        }
        return std::nullopt;
    }

    std::optional<CloudError> listZone(const QStringList& a) {
        auto records = c.records(a[0], a[1]);
        if (!records.ok())
            return records.error();
        for (const Record& record : records.value()) {
            out << record.recordType() << " " << record.recordID().recordName << " "
                << record.changeTag().value_or(QString()) << "\n";
            for (const auto& [key, value] : record.fields())
                out << "  " << key << " = " << describe(value) << "\n";
        }
        return std::nullopt;
    }

    Container& c;
    QTextStream& out;
};

} // namespace

int runCloudAdmin(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QStringList args = arguments;
    QString path = CloudDevice::defaultContainerPath();
    try {
        if (!args.isEmpty() && args.first() == QLatin1String("--cloud")) {
            if (args.size() < 2)
                throw UsageError{QStringLiteral("--cloud needs a file or a URI.")};
            args.removeFirst();
            path = args.takeFirst();
        }
        location = path;
        if (args.isEmpty() || args.first() == QLatin1String("--help") ||
            args.first() == QLatin1String("help")) {
            (args.isEmpty() ? err : out) << usage;
            return args.isEmpty() ? 2 : 0;
        }
        const QString command = args.takeFirst();
        // The container is opened only for a command that exists and has its arguments.
        checkArguments(command, args);
        const bool server = Container::isServerLocation(path);
        if (command == QLatin1String("init") && server) {
            if (auto error = Container::createOnServer(path)) {
                err << "tallybird-cloud: " << Container::describeLocation(path) << ": "
                    << error->message << "\n";
                return 1;
            }
            out << "A Tallybird container is ready in " << Container::describeLocation(path)
                << "; create-user lets each person in.\n";
            return 0;
        }
        // The container holds people's lists: its folder is made for its owner alone.
        if (!server)
            PrivateFolder::make(QFileInfo(path).absolutePath());
        auto opened = server ? Container::openServer(path) : Container::openFile(path);
        if (!opened.ok()) {
            err << "tallybird-cloud: " << Container::describeLocation(path) << ": "
                << opened.error().message << "\n";
            return 1;
        }
        if (command == QLatin1String("init")) {
            // A file is made a container as it is opened; the look proves it is one.
            if (auto users = opened.value()->users(); !users.ok()) {
                err << "tallybird-cloud: " << path << ": " << users.error().message << "\n";
                return 1;
            }
            out << path << " is a Tallybird container.\n";
            return 0;
        }
        Admin admin(*opened.value(), out);
        if (auto error = admin.run(command, args)) {
            err << "tallybird-cloud: " << error->message << " (error " << error->rawCode() << ")\n";
            return 1;
        }
        return 0;
    } catch (const UsageError& error) {
        err << "tallybird-cloud: " << error.message << "\n\n" << usage;
        return 2;
    }
}
