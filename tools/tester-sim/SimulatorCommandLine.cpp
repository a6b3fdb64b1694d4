#include "SimulatorCommandLine.h"

#include "samples/PlantScenario.h"

#include "SimulatorImages.h"
#include "link/LinkConstants.h"

#include <QHash>

#include <optional>

namespace nxa::sim {

namespace {

// Options that take a value; the others are switches.
const QStringList kValueOptions = {
    QStringLiteral("listen"),        QStringLiteral("port"),     QStringLiteral("password"),
    QStringLiteral("log"),           QStringLiteral("records"),  QStringLiteral("recognition"),
    QStringLiteral("peripheral"),    QStringLiteral("seed"),     QStringLiteral("config"),
    QStringLiteral("save-config"),   QStringLiteral("scenario"), QStringLiteral("drip-bytes"),
    QStringLiteral("drip-interval"), QStringLiteral("plant"),    QStringLiteral("today"),
};
const QStringList kSwitches = {QStringLiteral("names"),           QStringLiteral("flags"),
                               QStringLiteral("renamed"),         QStringLiteral("factory-users"),
                               QStringLiteral("shared-entrance"), QStringLiteral("loosened")};

struct RawOptions {
    QHash<QString, QString> values;
    QStringList switches;
};

QString parseRaw(const QStringList &arguments, RawOptions &raw, bool &help) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            help = true;
            continue;
        }
        if (!argument.startsWith(QLatin1String("--")))
            return QStringLiteral("unexpected argument \"%1\"").arg(argument);
        QString name = argument.mid(2);
        std::optional<QString> value;
        if (const qsizetype equals = name.indexOf(QLatin1Char('=')); equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        if (kSwitches.contains(name)) {
            if (value)
                return QStringLiteral("--%1 takes no value").arg(name);
            raw.switches.append(name);
        } else if (kValueOptions.contains(name)) {
            if (!value) {
                if (i + 1 >= arguments.size())
                    return QStringLiteral("--%1 needs a value").arg(name);
                value = arguments.at(++i);
            }
            if (raw.values.contains(name))
                return QStringLiteral("--%1 given twice").arg(name);
            raw.values.insert(name, *value);
        } else {
            return QStringLiteral("unknown option --%1").arg(name);
        }
    }
    return {};
}

// A whole decimal number from `low` to `high`, or an error.
QString readNumber(const RawOptions &raw, const QString &name, qint64 low, qint64 high,
                   qint64 &number) {
    if (!raw.values.contains(name))
        return {};
    bool ok = false;
    const qint64 value = raw.values.value(name).toLongLong(&ok, 10);
    if (!ok || value < low || value > high)
        return QStringLiteral("--%1 must be a whole number from %2 to %3")
            .arg(name)
            .arg(low)
            .arg(high);
    number = value;
    return {};
}

// One tester of the sample plant: both images come from the scenario.
CommandLineResult &plantOptions(const RawOptions &raw, CommandLineResult &result) {
    for (const QString &other :
         {QStringLiteral("log"), QStringLiteral("records"), QStringLiteral("recognition"),
          QStringLiteral("seed"), QStringLiteral("config"), QStringLiteral("peripheral"),
          QStringLiteral("names"), QStringLiteral("flags")}) {
        if (raw.values.contains(other) || raw.switches.contains(other)) {
            result.error = QStringLiteral("--plant cannot be combined with --%1").arg(other);
            return result;
        }
    }
    QDate today = QDate::currentDate();
    if (raw.values.contains(QStringLiteral("today"))) {
        today = QDate::fromString(raw.values.value(QStringLiteral("today")), Qt::ISODate);
        if (!today.isValid()) {
            result.error = QStringLiteral("--today needs a date such as 2026-12-07");
            return result;
        }
    }
    const QString name = raw.values.value(QStringLiteral("plant"));
    samples::PlantOptions plant;
    plant.renamed = raw.switches.contains(QStringLiteral("renamed"));
    if (raw.switches.contains(QStringLiteral("factory-users")))
        plant.userTable = samples::UserTable::FactoryDefault;
    plant.sharedEntrance = raw.switches.contains(QStringLiteral("shared-entrance"));
    plant.loosened = raw.switches.contains(QStringLiteral("loosened"));
    const std::optional<samples::PlantTester> tester = samples::plantTester(name, today, plant);
    if (!tester) {
        result.error = QStringLiteral("unknown plant tester \"%1\"; one of: %2")
                           .arg(name, samples::plantTesterNames().join(QStringLiteral(", ")));
        return result;
    }
    result.options.settings.dataloggerImage = tester->datalogger;
    result.options.settings.configurationImage = tester->configuration;
    return result;
}

} // namespace

CommandLineResult parseSimulatorCommandLine(const QStringList &arguments) {
    CommandLineResult result;
    RawOptions raw;
    if (QString error = parseRaw(arguments, raw, result.helpRequested); !error.isEmpty()) {
        result.error = error;
        return result;
    }
    if (result.helpRequested)
        return result;

    SimulatorCommandLine &options = result.options;
    SimulatorSettings &settings = options.settings;

    if (raw.values.contains(QStringLiteral("listen"))) {
        const QString text = raw.values.value(QStringLiteral("listen"));
        if (!options.listenAddress.setAddress(text)) {
            result.error = QStringLiteral("--listen needs an IP address, not \"%1\"").arg(text);
            return result;
        }
    }
    qint64 port = link::testerPort();
    qint64 records = 100;
    qint64 peripheral = 0;
    qint64 seed = 1;
    qint64 dripBytes = settings.dripBytes;
    qint64 dripInterval = settings.dripIntervalMs;
    for (const QString &error :
         {readNumber(raw, QStringLiteral("port"), 0, 65535, port),
          readNumber(raw, QStringLiteral("records"), 0, 10000, records),
          readNumber(raw, QStringLiteral("peripheral"), 1, 100, peripheral),
          readNumber(raw, QStringLiteral("seed"), 0, 4294967295LL, seed),
          readNumber(raw, QStringLiteral("drip-bytes"), 1, link::kDataloggerTransferSize,
                     dripBytes),
          readNumber(raw, QStringLiteral("drip-interval"), 0, 60000, dripInterval)}) {
        if (!error.isEmpty()) {
            result.error = error;
            return result;
        }
    }
    options.port = static_cast<quint16>(port);
    settings.dripBytes = static_cast<int>(dripBytes);
    settings.dripIntervalMs = static_cast<int>(dripInterval);
    const std::optional<int> peripheralOption =
        peripheral > 0 ? std::optional<int>(static_cast<int>(peripheral)) : std::nullopt;

    if (raw.values.contains(QStringLiteral("password")))
        settings.password = raw.values.value(QStringLiteral("password"));
    if (raw.values.contains(QStringLiteral("scenario"))) {
        const QString name = raw.values.value(QStringLiteral("scenario"));
        const std::optional<Scenario> scenario = scenarioFromName(name);
        if (!scenario) {
            result.error = QStringLiteral("unknown scenario \"%1\"; one of: %2")
                               .arg(name, scenarioNames().join(QStringLiteral(", ")));
            return result;
        }
        settings.scenario = *scenario;
    }
    settings.saveConfigPath = raw.values.value(QStringLiteral("save-config"));

    char recognition = 'F';
    if (raw.values.contains(QStringLiteral("recognition"))) {
        const QString letter = raw.values.value(QStringLiteral("recognition"));
        if (letter.size() != 1 || letter.at(0).unicode() < 0x21 || letter.at(0).unicode() > 0x7E) {
            result.error = QStringLiteral("--recognition needs one letter, such as F or X");
            return result;
        }
        recognition = static_cast<char>(letter.at(0).unicode());
    }

    if (raw.values.contains(QStringLiteral("plant")))
        return plantOptions(raw, result);
    for (const QString &plantOnly :
         {QStringLiteral("today"), QStringLiteral("renamed"), QStringLiteral("factory-users"),
          QStringLiteral("shared-entrance"), QStringLiteral("loosened")})
        if (raw.values.contains(plantOnly) || raw.switches.contains(plantOnly)) {
            result.error = QStringLiteral("--%1 belongs to --plant").arg(plantOnly);
            return result;
        }

    if (raw.values.contains(QStringLiteral("log"))) {
        for (const QString &generated :
             {QStringLiteral("records"), QStringLiteral("recognition"), QStringLiteral("seed")}) {
            if (raw.values.contains(generated)) {
                result.error = QStringLiteral("--log cannot be combined with --%1").arg(generated);
                return result;
            }
        }
        for (const QString &generated : {QStringLiteral("names"), QStringLiteral("flags")}) {
            if (raw.switches.contains(generated)) {
                result.error = QStringLiteral("--log cannot be combined with --%1").arg(generated);
                return result;
            }
        }
        LoadedImage loaded =
            loadDataloggerFile(raw.values.value(QStringLiteral("log")), peripheralOption);
        if (!loaded.error.isEmpty()) {
            result.error = loaded.error;
            return result;
        }
        options.warnings += loaded.warnings;
        settings.dataloggerImage = loaded.image;
    } else {
        GeneratedDatalogger generated;
        generated.records = static_cast<int>(records);
        generated.names = raw.switches.contains(QStringLiteral("names"));
        generated.flags = raw.switches.contains(QStringLiteral("flags"));
        generated.recognition = recognition;
        generated.peripheral = peripheralOption.value_or(1);
        generated.seed = static_cast<quint32>(seed);
        settings.dataloggerImage = generateDataloggerImage(generated);
    }

    if (raw.values.contains(QStringLiteral("config"))) {
        LoadedImage loaded =
            loadConfigurationFile(raw.values.value(QStringLiteral("config")), peripheralOption);
        if (!loaded.error.isEmpty()) {
            result.error = loaded.error;
            return result;
        }
        options.warnings += loaded.warnings;
        settings.configurationImage = loaded.image;
    } else {
        settings.configurationImage = defaultConfigurationImage(peripheralOption.value_or(1));
    }
    return result;
}

QString simulatorHelpText() {
    return QStringLiteral(
        R"(Usage: nxa-tester-sim [OPTIONS]

Simulates a Brontel NXA tester on a TCP port, so that the Brontel NXA Manager
can be tried and tested without a tester. It answers the login request "NXAC"
and the commands "NXAD" (sends the datalogger image, 192,192 bytes), "NXAE"
(sends the configuration image, 32,960 bytes) and "NXAI" (receives a
configuration image of 32,960 bytes, makes it the configuration it serves from
then on and answers "NXAOK"). Every request must carry the password.

It prints one line to standard output when it starts listening, then one line
for every request it serves (the password is never printed); warnings and
errors go to standard error. It runs until it is stopped (Ctrl+C).

Connection:
  --listen ADDRESS     IP address to listen on. Default: 127.0.0.1.
  --port N             TCP port, 0 to 65535; 0 picks a free port (printed at
                       start). Default: the value of the environment variable
                       NXA_TESTER_PORT, or 80 when it is not set.
  --password TEXT      The administrator password the tester accepts.
                       Default: 583041. A request with another password is
                       answered "WP".

Datalogger (served for "NXAD"):
  --log FILE           Serve the access records of a log file LOGXX.BRL. The
                       peripheral number comes from the XX of the file name
                       (or 1 when the name is not like LOGXX.BRL) unless
                       --peripheral is given.
  Without --log a datalogger is generated; the same options always give the
  same records:
  --records N          Number of access records, 0 to 10000. Default: 100.
                       0 gives an empty datalogger.
  --names              Give every user a name (otherwise names are empty).
  --flags              Mix in visitor, L+R (one footwear value) and keyboard
                       records (otherwise every record is a fingerprint access
                       with three measured values).
  --recognition F|X    Station recognition type letter in the datalogger
                       header. "F": records without the keyboard flag show as
                       recognised by fingerprint. Default: F.
  --seed N             Seed of the generated records. Default: 1.

Configuration (served for "NXAE", replaced by "NXAI"):
  --config FILE        Serve the configuration of a configuration file
                       CONFIGXX.BRC (33,924 bytes). The peripheral number comes
                       from the XX of the file name unless --peripheral is
                       given. Default: the default configuration of a tester.
  --save-config PATH   Save every uploaded configuration to PATH in file form
                       (514 records with CR LF, 33,924 bytes), replacing the
                       file.

A sample plant (both images, dated relative to today):
  --plant NAME         Serve one tester of a sample plant with known things to
                       find: "north" (two persons whose shoes drift toward
                       their limit, one who fails three times and then passes,
                       yesterday one who fails and never passes, one let
                       through by the relay without passing and one who does
                       not come, cold mornings), "south" (yesterday's fail
                       rate far above its usual one) or "east" (no traffic
                       for the last two days).
  --today DATE         The day the plant's records are dated back from
                       (yyyy-mm-dd). Default: today.
  --renamed            The north tester's user 7 carries its new name.
  --factory-users      Every user of the configuration is active, as a tester
                       leaves the factory; the plant's persons keep their
                       names.
  --shared-entrance    The south entrance is shared: yesterday at noon Di
                       Nopass (after failing at north) and Flo Absent pass
                       there as south users 11 and 12.
  --loosened           Profile 1 of the tester's configuration lets wrist
                       straps pass up to 50,000 kOhm instead of 35,000.

Both images:
  --peripheral N       Peripheral number, 1 to 100, sent as the first byte of
                       both images. Default: 1 (or the number a file name
                       gives).

Failures the manager must cope with:
  --scenario NAME      Default: normal (behave like a working tester).
      busy                answer every login "BUSY"
      wrong-password      answer every login "WP", whatever the password
      silent              never answer the login
      garbage             answer the login with junk
      nxao                answer the login with the 4 bytes "NXAO" only
      close-after-login   answer "NXAOK", then close the connection
      short               send every image one byte short
      long                send every image one byte long
      close-mid-transfer  send half of every image, then close the connection
      drip                send every image slowly, in slices (see below)
      upload-refused      answer an upload with "FAIL" and keep the old
                          configuration
      unmarked            send the datalogger without its "R" mark
      connect-hangs       never complete a connection (the listen queue is
                          kept full), so a connect attempt runs into its
                          time-out
  --drip-bytes N       Slice size of the drip scenario. Default: 1000.
  --drip-interval MS   Pause between slices of the drip scenario, in
                       milliseconds. Default: 100.

  -h, --help           Show this text.

Environment:
  NXA_TESTER_PORT      Port used instead of 80, both by this simulator (when
                       --port is not given) and by the Brontel NXA Manager, for
                       tests and for testers behind port forwarding.

Example: try a command-line download against a generated datalogger:
  nxa-tester-sim --port 8080 --records 500 --names --flags &
  NXA_TESTER_PORT=8080 nxa-manager 127.0.0.1 583041 /XLSX out.xlsx
)");
}

} // namespace nxa::sim
