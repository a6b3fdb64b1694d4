#include "HiddenPassword.h"

#include <cstring>

namespace nxa::app {

void hidePasswordParameter(int argc, char *argv[]) {
    constexpr int kPasswordIndex = 2;
    if (argc <= kPasswordIndex || argv[kPasswordIndex] == nullptr)
        return;
    // Same length, so the kernel's view of the argument area keeps its layout.
    char *password = argv[kPasswordIndex];
    std::memset(password, '*', std::strlen(password));
}

} // namespace nxa::app
