// BrokenInstaide.cpp: an install aide for tests that lacks PltGetUser, and whose other functions
// answer as the test's environment says (BROKEN_AIDE_COUNT: the user count to report).
#include <cstdint>
#include <cstdlib>

extern "C" {
__attribute__((visibility("default"))) std::int32_t PltGetUserCount() {
    const char* count = std::getenv("BROKEN_AIDE_COUNT");
    return count ? std::atoi(count) : 1;
}
__attribute__((visibility("default"))) std::int32_t PltIsUserProfile(const char*) { return 0; }
__attribute__((visibility("default"))) std::int32_t PlmGetUserIDFromName(const char*, std::uint32_t* id) {
    *id = 1;
    return 0;
}
}
