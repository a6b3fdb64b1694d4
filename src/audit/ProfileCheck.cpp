#include "audit/ProfileCheck.h"

#include "config/ChoiceTexts.h"

namespace nxa::audit {

namespace {

// Indexes of config::checkChoices().
constexpr int kWristStrapChoice = 1;
constexpr int kShoesChoice = 2;

} // namespace

analysis::Check profileCheck(int choice) {
    switch (choice) {
    case kWristStrapChoice:
        return analysis::Check::WristStrap;
    case kShoesChoice:
        return analysis::Check::Shoes;
    default:
        return analysis::Check::WristStrapAndShoes;
    }
}

analysis::Check profileCheck(const QString &choiceText) {
    return profileCheck(int(config::checkChoices().indexOf(choiceText)));
}

} // namespace nxa::audit
