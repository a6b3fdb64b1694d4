#include "app/commandline/CommandLineParameters.h"

#include "common/TesterAddress.h"
#include "link/LinkConstants.h"

namespace nxa::app {

CommandLineParameters CommandLineParameters::from(const QStringList &parameters) {
    const auto at = [&](int i) { return i < parameters.size() ? parameters.at(i) : QString(); };
    CommandLineParameters p;
    p.address = at(0);
    p.password = at(1);
    p.formatSwitch = at(2);
    p.outputPath = at(kOutputPathPosition);
    p.count = static_cast<int>(parameters.size());
    return p;
}

ParameterCheck checkParameters(const CommandLineParameters &parameters) {
    ParameterCheck check;
    // The address passes only when it survives the round trip unchanged, which
    // rules out leading zeros, signs, spaces, missing or extra fields and
    // fields above 255 without a rule of its own for each.
    check.address = parseDottedAddress(parameters.address);
    check.addressOk = formatAddress(check.address) == parameters.address;
    // Characters, not UTF-16 units: a character outside the Basic
    // Multilingual Plane is one of the six.
    check.passwordOk = parameters.password.toUcs4().size() == link::kPasswordLength;
    check.switchOk = parameters.formatSwitch == QLatin1String(kTextSwitch) ||
                     parameters.formatSwitch == QLatin1String(kWorkbookSwitch);
    check.countOk = parameters.count == kCommandLineParameterCount;
    return check;
}

} // namespace nxa::app
