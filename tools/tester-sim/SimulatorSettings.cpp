#include "SimulatorSettings.h"

#include <array>
#include <utility>

namespace nxa::sim {

namespace {

constexpr std::array<std::pair<Scenario, const char *>, 16> kScenarioNames{{
    {Scenario::Normal, "normal"},
    {Scenario::Busy, "busy"},
    {Scenario::WrongPassword, "wrong-password"},
    {Scenario::Silent, "silent"},
    {Scenario::Garbage, "garbage"},
    {Scenario::Nxao, "nxao"},
    {Scenario::CloseAfterLogin, "close-after-login"},
    {Scenario::Short, "short"},
    {Scenario::Long, "long"},
    {Scenario::CloseMidTransfer, "close-mid-transfer"},
    {Scenario::Drip, "drip"},
    {Scenario::UploadRefused, "upload-refused"},
    {Scenario::Unmarked, "unmarked"},
    {Scenario::ConnectHangs, "connect-hangs"},
    {Scenario::DripLogin, "drip-login"},
    {Scenario::CutLoginReply, "cut-login-reply"},
}};

} // namespace

QString scenarioName(Scenario scenario) {
    for (const auto &[value, name] : kScenarioNames)
        if (value == scenario)
            return QString::fromLatin1(name);
    return {};
}

std::optional<Scenario> scenarioFromName(const QString &name) {
    for (const auto &[value, text] : kScenarioNames)
        if (name == QLatin1String(text))
            return value;
    return std::nullopt;
}

QStringList scenarioNames() {
    QStringList names;
    for (const auto &entry : kScenarioNames)
        names.append(QString::fromLatin1(entry.second));
    return names;
}

} // namespace nxa::sim
