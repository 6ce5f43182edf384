// The library loads from its file and offers its factory; the shipped file has no test hooks.
#include "Wendlo.h"

#include <dlfcn.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

TEST(Library, ExportsItsFactory) {
    void* handle = dlopen(WENDLO_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    EXPECT_NE(dlsym(handle, "WendloCreateObject"), nullptr);
    dlclose(handle);
}

// No installed program can make the shipped library fail on purpose: no hooks, no failing commit in it.
TEST(Library, TheShippedFileHasNoTestHooks) {
    void* handle = dlopen(WENDLO_SHIPPED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    EXPECT_NE(dlsym(handle, "WendloCreateObject"), nullptr);
    EXPECT_EQ(dlsym(handle, "WendloTestInitFault"), nullptr);
    EXPECT_EQ(dlsym(handle, "WendloTestCommitFaults"), nullptr);
    dlclose(handle);
    std::ifstream in(WENDLO_SHIPPED_LIBRARY, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.find("The commit failed on purpose"), std::string::npos);
}
